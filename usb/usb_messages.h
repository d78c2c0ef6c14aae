#pragma once

#include <QString>

// The texts the stick side of the program shows.
namespace usbtext {
inline const QString WriteToUsbStick = QStringLiteral("Write To USB Stick");
inline const QString WriteToFat32 = QStringLiteral("Write To FAT32 USB Stick");
inline const QString WriteToFat16 = QStringLiteral("Write To FAT16 USB Stick");
inline const QString WriteToOther = QStringLiteral("Write To USB_Stick");
inline const QString NoStickDetected = QStringLiteral("No USB Stick Detected");
inline const QString NoStickSelected = QStringLiteral("No USB Stick Selected");
inline const QString FileCopied = QStringLiteral("File Copied to USB Stick");
inline const QString FileCopyError = QStringLiteral("File Copy Error");
inline const QString NoApplication =
    QStringLiteral("Board Application not Selected or\n\rApplication File not Found");
inline const QString NoWipeForV8800 = QStringLiteral("No Wipe file valid for NL9000");
inline const QString WipeCreated = QStringLiteral("Wipe File created on USB Stick");
inline const QString WipeError = QStringLiteral("Wipe File could not be written to USB Stick");
inline const QString ConverterMissing =
    QStringLiteral("Firmware container conversion is not available");
inline const QString ContainerUnreadable = QStringLiteral("Firmware container could not be read");
} // namespace usbtext
