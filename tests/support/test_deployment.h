#pragma once

#include "deploy_constants.h"

// The compiled deployment with developer names the tests know.
inline Deployment TestDeployment() {
    Deployment d = Deployment::Compiled();
    d.DeveloperComputerNames = {QStringLiteral("DEV-ONE"), QStringLiteral("DEV-TWO"),
                                QStringLiteral("DEV-THREE")};
    return d;
}
