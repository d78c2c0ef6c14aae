#pragma once

#include "cli_common.h"

// Every command of zentrivo-tool; each subsystem adds its own here and in main.cpp.
namespace cli {
int CmdCatalogue(Args& args);
int CmdList(Args& args);
int CmdSticks(Args& args);
int CmdWrite(Args& args);
int CmdWipe(Args& args);
int CmdStickImage(Args& args);
int CmdToHex(Args& args);
int CmdToDfu(Args& args);
int CmdCheck(Args& args);
int CmdInfo(Args& args);
int CmdWeb(Args& args);
} // namespace cli
