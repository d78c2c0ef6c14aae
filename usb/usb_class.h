#pragma once

#include "usb_devices.h"

#include <QString>
#include <QStringList>
#include <functional>

class TUsbClass;

// Handler of a USB arrival or removal: the watcher and the device's three texts.
using TOnUsbChangeEvent =
    std::function<void(TUsbClass* AObject, const QString& ADevType, const QString& ADriverName,
                       const QString& AFriendlyName)>;

// Watches USB arrivals and removals and enumerates removable drives. Drives are named by
// their root ("E:\" on Windows, the mount point elsewhere); where a single drive letter
// would be answered, the root is answered, and "-" stands for no drive.
class TUsbClass {
public:
    TUsbClass(DriveProvider& drives, DeviceMonitor& monitor);
    ~TUsbClass();
    TUsbClass(const TUsbClass&) = delete;
    TUsbClass& operator=(const TUsbClass&) = delete;

    static const QString NoDrive; // "-"

    // Clears the list and adds the root of every removable drive in the system's order.
    void GetDiskDrives(QStringList& ADriveList) const;
    QString GetVolumeName(const QString& DriveLetter) const;
    QString GetVolumeName_1(const QString& ADriveLetter) const {
        return GetVolumeName(ADriveLetter);
    }
    // The first removable drive with a size greater than 0, or "-".
    QString GetFirstDiskDrive() const;
    // The last removable drive whose label equals AVolumeName exactly, or empty.
    QString FindDiskDriveByVolumeName(const QString& AVolumeName) const;
    static QString DriverLetter(quint32 aUM);
    static quint16 DriverNumber(QChar Drv);

    // What the main window needs beyond the watcher's own operations.
    qint64 DiskSize(const QString& root) const;
    QString FileSystemName(const QString& root) const;
    // True while `root` is a listed removable drive with a size greater than 0.
    bool HasMedia(const QString& root) const;

    const TOnUsbChangeEvent& OnUsbInsertion() const { return FOnUsbInsertion; }
    void SetOnUsbInsertion(TOnUsbChangeEvent handler) { FOnUsbInsertion = std::move(handler); }
    const TOnUsbChangeEvent& OnUsbRemoval() const { return FOnUsbRemoval; }
    void SetOnUsbRemoval(TOnUsbChangeEvent handler) { FOnUsbRemoval = std::move(handler); }

private:
    void Changed(UsbChange change, const UsbDeviceStrings& strings);

    DriveProvider& FDrives;
    DeviceMonitor& FMonitor;
    TOnUsbChangeEvent FOnUsbRemoval;
    TOnUsbChangeEvent FOnUsbInsertion;
};
