#pragma once

#include "usb_devices.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

// Pure pieces of the drive backends, kept apart so they are tested on captured texts.

// One line of /proc/self/mountinfo.
struct MountEntry {
    int Major = 0;
    int Minor = 0;
    QString Root;       // the part of the file system that is mounted ("/" for all of it)
    QString MountPoint; // escapes (\040 etc.) decoded
    QString FsType;
    QString Source;
};

// Lines that do not have the mountinfo shape are skipped.
QList<MountEntry> ParseMountInfo(const QByteArray& text);

// Mount points of whole file systems on removable block devices, in mount order. A mount
// point mounted over again counts once, with the device mounted last (the one visible).
QList<MountEntry> RemovableMounts(const QList<MountEntry>& mounts,
                                  const std::function<bool(int major, int minor)>& isRemovable);

using UdevProperties = QHash<QString, QString>;

// "KEY=VALUE" lines as `udevadm info --query=property` prints them; the "E:" lines of the
// udev database are taken as well.
UdevProperties ParseUdevProperties(const QByteArray& text);

// Decodes the \xNN escapes of udev's *_ENC properties.
QString DecodeUdevEnc(const QString& text);

// Label and file system of a block device. The file system is spelled as Windows spells it:
// vfat with version FAT32 gives "FAT32", FAT16 "FAT16"; `mountFsType` is used when udev
// knows nothing of the device.
struct VolumeInfo {
    QString Label;
    QString FileSystem;
};
VolumeInfo VolumeFromUdev(const UdevProperties& props, const QString& mountFsType);
QString WindowsFileSystemName(const QString& fsType, const QString& fsVersion);

// The three description texts of a USB device from its udev properties.
UsbDeviceStrings UsbDeviceStringsFromUdev(const UdevProperties& props);

// "\\?\USB#VID_vvvv&PID_pppp#instance#{GUID}" -> device id and instance id; both empty when
// the path does not have that shape.
struct UsbDevicePathIds {
    QString DeviceId;
    QString InstanceId;
};
UsbDevicePathIds SplitUsbDevicePath(const QString& path);

// True when a storage registry key name matches "<instance id>*" (case-insensitively).
bool MatchesInstanceMask(const QString& keyName, const QString& instanceId);

// "A:" to "Z:" for a drive mask with exactly one of the bits 0 to 25 set, else empty.
QString DriveMaskLetter(quint32 mask);
