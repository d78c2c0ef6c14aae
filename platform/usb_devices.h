#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// Removable drives and USB device notifications, as the operating system reports them.
// A drive is named by its root: "E:\" on Windows, the mount point elsewhere.

class DriveProvider {
public:
    virtual ~DriveProvider() = default;
    // Roots of the removable drives in the order the system lists them. Throws EZentrivo
    // when the system's answer cannot be read at all.
    virtual QStringList RemovableDrives() = 0;
    // Volume label of the drive; empty when the drive cannot be read.
    virtual QString VolumeLabel(const QString& root) = 0;
    // File system name as Windows spells it ("FAT32", "FAT16", "NTFS"); empty when unreadable.
    virtual QString FileSystemName(const QString& root) = 0;
    // Total size of the drive in bytes; -1 when the drive cannot be read (no media).
    virtual qint64 DiskSize(const QString& root) = 0;
};

// The three texts that describe a USB device that came or went.
struct UsbDeviceStrings {
    QString DevType;
    QString DriverName;
    QString FriendlyName;
    bool operator==(const UsbDeviceStrings&) const = default;
};

enum class UsbChange { Arrival, Removal };

// Follows arrivals and removals of USB devices (any device, not only storage). Handlers run
// on the thread that runs the event loop.
class DeviceMonitor {
public:
    using Handler = std::function<void(UsbChange, const UsbDeviceStrings&)>;
    virtual ~DeviceMonitor() = default;
    virtual void SetHandler(Handler handler) = 0;
};

// The real backends of this platform. The monitor needs a running Qt event loop; when the
// system cannot deliver notifications it is created anyway and simply stays silent.
std::unique_ptr<DriveProvider> CreatePlatformDriveProvider();
std::unique_ptr<DeviceMonitor> CreatePlatformDeviceMonitor();

// Sticks for tests: each stick is a folder with a label, a file system name and a size.
class FolderDriveProvider : public DriveProvider {
public:
    struct Stick {
        QString Root;
        QString Label;
        QString FileSystem;
        qint64 Size = -1; // -1: a drive without media
    };
    void Insert(Stick stick); // replaces a stick with the same root
    void Remove(const QString& root);
    QList<Stick> Sticks;

    QStringList RemovableDrives() override;
    QString VolumeLabel(const QString& root) override;
    QString FileSystemName(const QString& root) override;
    qint64 DiskSize(const QString& root) override;

private:
    const Stick* Find(const QString& root) const;
};

// A monitor the test fires by hand.
class ManualDeviceMonitor : public DeviceMonitor {
public:
    void SetHandler(Handler handler) override { FHandler = std::move(handler); }
    void Fire(UsbChange change, const UsbDeviceStrings& strings = {}) {
        if (FHandler)
            FHandler(change, strings);
    }

private:
    Handler FHandler;
};
