#pragma once

#include "cli_common.h"

// Every command of zentrivo-tool; each subsystem adds its own here and in main.cpp.
namespace cli {
int CmdCatalogue(Args& args);
int CmdWeb(Args& args);
} // namespace cli
