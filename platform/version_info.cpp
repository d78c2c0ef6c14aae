#include "version_info.h"

#include "version_info_generated.h"

VersionInfo VersionInfo::Program() {
    return {QStringLiteral(ZENTRIVO_FILE_VERSION), QStringLiteral(ZENTRIVO_BUILD_DATE)};
}
