#pragma once

#include "DFUFile.h"
#include "user_dialogs.h"

#include <QString>

// The file conversions of the "Dev Tools" page, on files of the PC. Each reads the input
// whole, converts in memory, and only when the conversion succeeded writes the output
// through a temporary file that is renamed over the target, so a failure leaves any
// existing output file exactly as it was.

struct tConvertOutcome {
    bool Ok = false;
    // Text for a modal box with Icon and an OK button; empty when nothing is to be shown
    // (both conversions are silent on success).
    QString Message;
    MsgIcon Icon = MsgIcon::Error;
    QString OutputFile;
};

// The input's path with its extension (from the last "." of the file name) replaced, or
// added when it has none: "fw.24d" -> "fw.24h".
QString ChangeFileExt(const QString& fileName, const QString& extension);

// "Write to HEX....": container file to image file. The Dev Tools page passes SerNum 0 and
// ChangeFileExt(file, ".24h") as the output.
tConvertOutcome ConvertContainerFileToHex(tDFUFile& converter, const QString& containerFile,
                                          const QString& hexFile, uint32_t SerNum = 0);

// "Write to DFU....": Intel HEX file to container file. The Dev Tools page passes
// ChangeFileExt(file, ".24d") as the output.
tConvertOutcome ConvertHexFileToContainer(tDFUFile& converter, const QString& hexFile,
                                          const QString& containerFile);
