#include "usb_stick_list.h"

#include "usb_messages.h"

#include <QDir>

namespace {
QString Shown(const QString& root) {
    return QDir::toNativeSeparators(root);
}
} // namespace

TUsbStickList::TUsbStickList(TUsbClass& usb, UserDialogs& dialogs)
    : FUsb(usb), FDialogs(dialogs), FWriteCaption(usbtext::WriteToUsbStick) {}

void TUsbStickList::Notify() {
    if (OnChanged)
        OnChanged();
}

void TUsbStickList::Start() {
    FxUSBDrv = TUsbClass::NoDrive;
    FPhase = ClrIdle;
    FTimerEnabled = true;
    FItems.clear();
    FItemIndex = -1;
    FWriteEnabled = false;
    RefillStickList();
}

void TUsbStickList::RefillStickList() {
    // Clear first, so a failing drive query leaves an empty list rather than a stale one.
    FItems.clear();
    FItemIndex = -1;
    FWriteEnabled = false;
    FADriveList.clear();
    Notify();
    FUsb.GetDiskDrives(FADriveList);
    for (const QString& root : FADriveList)
        FItems << Shown(root) + QStringLiteral(" - ") + FUsb.GetVolumeName(root);
    Notify();
}

void TUsbStickList::UsbInserted() {
    FPhase = WaitReadFAT;
    FTimerEnabled = true;
    FUSBAttached = true;
    RefillStickList();
}

void TUsbStickList::UsbRemoved() {
    FUSBAttached = false;
    FItems.clear();
    FItemIndex = -1;
    FxUSBDrv = TUsbClass::NoDrive;
    FWriteCaption = usbtext::WriteToUsbStick;
    RefillStickList();
}

void TUsbStickList::USBStickRGClick(int itemIndex) {
    if (itemIndex < 0 || itemIndex >= FADriveList.size())
        return;
    FItemIndex = itemIndex;
    FxUSBDrv = FADriveList[itemIndex];
    FWriteEnabled = true;
    Notify();
}

void TUsbStickList::EnableWriteButton() {
    FWriteEnabled = true;
    Notify();
}

void TUsbStickList::DisableWriteButton() {
    FWriteEnabled = false;
    Notify();
}

void TUsbStickList::SetCaptionByFat(bool otherCaption) {
    if (FxUSBFat == QLatin1String("FAT32"))
        FWriteCaption = usbtext::WriteToFat32;
    else if (FxUSBFat == QLatin1String("FAT16"))
        FWriteCaption = usbtext::WriteToFat16;
    else if (otherCaption)
        FWriteCaption = usbtext::WriteToOther;
}

void TUsbStickList::USBDelayTimerTimer() {
    switch (FPhase) {
    case ClrIdle:
        FTimerEnabled = false;
        break;
    case WaitReadFAT:
        FPhase = ReadFAT;
        break;
    case ReadFAT:
        RefreshStickFileSystem();
        SetCaptionByFat(true);
        RefillStickList();
        FPhase = ReadDrv;
        break;
    case ReadDrv:
        if (FxUSBDrv != TUsbClass::NoDrive && ChosenDiskSize() > 0)
            FPhase = ClrIdle;
        break;
    }
    Notify();
}

void TUsbStickList::RefreshStickFileSystem() {
    if (FxUSBDrv == TUsbClass::NoDrive || ChosenDiskSize() <= 0)
        return;
    FxUSBFat = GetHardDiskPartitionType(FxUSBDrv);
    SetCaptionByFat(false);
    Notify();
}

QString TUsbStickList::GetHardDiskPartitionType(const QString& drive) {
    const QString name = FUsb.FileSystemName(drive);
    FDialogs.Message(QStringLiteral("Testing ") + Shown(drive) + QStringLiteral(" Type is ") + name,
                     MsgIcon::Information);
    return name;
}

void TUsbStickList::LocateFirstStick() {
    FxUSBDrv = FUsb.GetFirstDiskDrive();
    Notify();
    const QString lfcr = QStringLiteral("\n\r");
    const QString drive = Shown(FxUSBDrv);
    const qint64 size = ChosenDiskSize();
    FDialogs.Message(QStringLiteral("CheckStickDrive #0 ") + drive +
                         QStringLiteral(" is now found ") + lfcr + QStringLiteral("Of type ") +
                         FxUSBFat + lfcr + QStringLiteral("Size ") + QString::number(size),
                     MsgIcon::Information);
    if (FxUSBDrv == TUsbClass::NoDrive || size <= 0)
        return;
    const QString rest =
        drive + QStringLiteral(" is now found ") + lfcr + QStringLiteral("Of type ") + FxUSBFat;
    FDialogs.Message(QStringLiteral("CheckStickDrive #1 ") + rest, MsgIcon::Information);
    FDialogs.Message(QStringLiteral("CheckStickDrive #2 ") + rest, MsgIcon::Information);
}
