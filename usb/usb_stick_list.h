#pragma once

#include "usb_class.h"
#include "user_dialogs.h"

#include <QString>
#include <QStringList>
#include <functional>

// State of the delayed file system read after a USB arrival.
enum tUSBDriveReadPhase { ClrIdle = 0, WaitReadFAT = 1, ReadFAT = 2, ReadDrv = 3 };

// The main window's side of the stick detection, without widgets: the "USB Stick" list,
// the chosen stick, the write button's caption and enabled state, and the one-second
// timer's phases. The window mirrors the observable state into its controls after each
// call (or in OnChanged).
class TUsbStickList {
public:
    TUsbStickList(TUsbClass& usb, UserDialogs& dialogs);

    // Start-up: no stick chosen, list filled once, button disabled, timer enabled in ClrIdle.
    void Start();

    // Handlers.
    void UsbInserted();
    void UsbRemoved();
    void USBStickRGClick(int itemIndex);
    void USBDelayTimerTimer();
    void EnableWriteButton(); // the pop-up item "Enable Write to USB"
    void DisableWriteButton();

    // Operations other parts call.
    void RefreshStickFileSystem();
    void LocateFirstStick();
    QString GetHardDiskPartitionType(const QString& drive);
    void RefillStickList();

    // Observable state.
    const QStringList& Items() const { return FItems; } // USBStickRG items
    int ItemIndex() const { return FItemIndex; }        // -1: none selected
    const QStringList& ADriveList() const { return FADriveList; }
    const QString& xUSBDrv() const { return FxUSBDrv; } // root, or "-"
    const QString& xUSBFat() const { return FxUSBFat; }
    bool USBAttached() const { return FUSBAttached; }
    tUSBDriveReadPhase USBDriveReadPhase() const { return FPhase; }
    bool TimerEnabled() const { return FTimerEnabled; }
    bool WriteEnabled() const { return FWriteEnabled; }
    const QString& WriteCaption() const { return FWriteCaption; }
    qint64 ChosenDiskSize() const { return FUsb.DiskSize(FxUSBDrv); }
    TUsbClass& Usb() { return FUsb; }

    // Called after every change of the state above.
    std::function<void()> OnChanged;

private:
    void Notify();
    void SetCaptionByFat(bool otherCaption);

    TUsbClass& FUsb;
    UserDialogs& FDialogs;
    QStringList FADriveList;
    QStringList FItems;
    int FItemIndex = -1;
    QString FxUSBDrv = TUsbClass::NoDrive;
    QString FxUSBFat;
    bool FUSBAttached = false;
    tUSBDriveReadPhase FPhase = ClrIdle;
    bool FTimerEnabled = true;
    bool FWriteEnabled = false;
    QString FWriteCaption;
};
