// Linux backends: drives from the mount table, sysfs and udev; notifications from a udev
// monitor.
#ifdef __linux__
#include "usb_devices.h"
#include "usb_parse.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <optional>

#include <libudev.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

namespace {

QByteArray ReadSmallFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// A partition's "removable" flag lives on its disk, one folder up in sysfs.
bool BlockDeviceRemovable(int major, int minor) {
    const QString dev =
        QFileInfo(QStringLiteral("/sys/dev/block/%1:%2").arg(major).arg(minor)).canonicalFilePath();
    if (dev.isEmpty())
        return false;
    QString disk = dev;
    if (QFileInfo::exists(dev + QStringLiteral("/partition")))
        disk = QFileInfo(dev).path();
    return ReadSmallFile(disk + QStringLiteral("/removable")).trimmed() == "1";
}

UdevProperties PropertiesOf(udev_device* device) {
    UdevProperties props;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(device)) {
        const char* name = udev_list_entry_get_name(entry);
        const char* value = udev_list_entry_get_value(entry);
        if (name)
            props.insert(QString::fromUtf8(name), QString::fromUtf8(value ? value : ""));
    }
    return props;
}

QString Normal(const QString& root) {
    return QDir::cleanPath(QDir::fromNativeSeparators(root));
}

class LinuxDriveProvider : public DriveProvider {
public:
    LinuxDriveProvider() : FUdev(udev_new()) {}
    ~LinuxDriveProvider() override {
        if (FUdev)
            udev_unref(FUdev);
    }

    QStringList RemovableDrives() override {
        QStringList roots;
        for (const MountEntry& m : Mounts())
            roots << m.MountPoint;
        return roots;
    }

    QString VolumeLabel(const QString& root) override { return Volume(root).Label; }
    QString FileSystemName(const QString& root) override { return Volume(root).FileSystem; }

    qint64 DiskSize(const QString& root) override {
        if (!Find(root))
            return -1;
        struct statvfs st {};
        if (statvfs(QFile::encodeName(Normal(root)).constData(), &st) != 0)
            return -1;
        return qint64(st.f_blocks) * qint64(st.f_frsize);
    }

private:
    QList<MountEntry> Mounts() const {
        return RemovableMounts(
            ParseMountInfo(ReadSmallFile(QStringLiteral("/proc/self/mountinfo"))),
            BlockDeviceRemovable);
    }

    std::optional<MountEntry> Find(const QString& root) const {
        for (const MountEntry& m : Mounts())
            if (m.MountPoint == Normal(root))
                return m;
        return std::nullopt;
    }

    VolumeInfo Volume(const QString& root) const {
        const auto m = Find(root);
        if (!m)
            return {};
        UdevProperties props;
        if (FUdev) {
            if (udev_device* d =
                    udev_device_new_from_devnum(FUdev, 'b', makedev(m->Major, m->Minor))) {
                props = PropertiesOf(d);
                udev_device_unref(d);
            }
        }
        return VolumeFromUdev(props, m->FsType);
    }

    udev* FUdev;
};

class LinuxDeviceMonitor : public DeviceMonitor {
public:
    LinuxDeviceMonitor() {
        FUdev = udev_new();
        if (!FUdev)
            return;
        FMonitor = udev_monitor_new_from_netlink(FUdev, "udev");
        if (!FMonitor)
            return;
        if (udev_monitor_filter_add_match_subsystem_devtype(FMonitor, "usb", "usb_device") < 0 ||
            udev_monitor_enable_receiving(FMonitor) < 0)
            return;
        const int fd = udev_monitor_get_fd(FMonitor);
        if (fd < 0)
            return;
        FNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(FNotifier.get(), &QSocketNotifier::activated, [this] { Receive(); });
    }

    ~LinuxDeviceMonitor() override {
        FNotifier.reset();
        if (FMonitor)
            udev_monitor_unref(FMonitor);
        if (FUdev)
            udev_unref(FUdev);
    }

    void SetHandler(Handler handler) override { FHandler = std::move(handler); }

private:
    void Receive() {
        udev_device* d = udev_monitor_receive_device(FMonitor);
        if (!d)
            return;
        const QByteArray action = udev_device_get_action(d);
        const UsbDeviceStrings strings = UsbDeviceStringsFromUdev(PropertiesOf(d));
        udev_device_unref(d);
        if (!FHandler)
            return;
        if (action == "add")
            FHandler(UsbChange::Arrival, strings);
        else if (action == "remove")
            FHandler(UsbChange::Removal, strings);
    }

    udev* FUdev = nullptr;
    udev_monitor* FMonitor = nullptr;
    std::unique_ptr<QSocketNotifier> FNotifier;
    Handler FHandler;
};

} // namespace

std::unique_ptr<DriveProvider> CreatePlatformDriveProvider() {
    return std::make_unique<LinuxDriveProvider>();
}

std::unique_ptr<DeviceMonitor> CreatePlatformDeviceMonitor() {
    return std::make_unique<LinuxDeviceMonitor>();
}

#endif
