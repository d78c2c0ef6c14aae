#include "usb_parse.h"

#include <gtest/gtest.h>

namespace {

// Captured from a desktop with two sticks: one auto-mounted with a blank in its label, one
// mounted twice at the same point (the second hides the first), a bind mount of a stick's
// subfolder, and the usual non-block file systems.
const QByteArray kMountInfo =
    R"(22 28 0:21 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw
28 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro
30 28 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev rw,size=8127812k,mode=755
101 28 8:17 / /media/tech/MY\040STICK rw,nosuid,nodev,relatime shared:60 - vfat /dev/sdb1 rw,fmask=0022,dmask=0022,codepage=437,iocharset=ascii,shortname=mixed,utf8,errors=remount-ro
102 28 8:33 / /media/tech/NL9000 rw,nosuid,nodev,relatime shared:61 - vfat /dev/sdc1 rw,fmask=0022
103 28 8:49 / /media/tech/NL9000 rw,nosuid,nodev,relatime shared:62 - exfat /dev/sdd1 rw
104 28 8:17 /K310_bin /mnt/bound rw,relatime shared:63 - vfat /dev/sdb1 rw
105 28 8:3 / /home rw,relatime shared:64 - ext4 /dev/sda3 rw
this line is not a mount line
)";

TEST(MountInfo, FieldsAndEscapesAreRead) {
    const QList<MountEntry> m = ParseMountInfo(kMountInfo);
    ASSERT_EQ(m.size(), 8);
    EXPECT_EQ(m[3].Major, 8);
    EXPECT_EQ(m[3].Minor, 17);
    EXPECT_EQ(m[3].Root, QStringLiteral("/"));
    EXPECT_EQ(m[3].MountPoint, QStringLiteral("/media/tech/MY STICK"));
    EXPECT_EQ(m[3].FsType, QStringLiteral("vfat"));
    EXPECT_EQ(m[3].Source, QStringLiteral("/dev/sdb1"));
    EXPECT_EQ(m[6].Root, QStringLiteral("/K310_bin"));
    // Optional fields are variable in number; the type follows the "-" wherever it is.
    EXPECT_EQ(m[0].FsType, QStringLiteral("sysfs"));
}

TEST(MountInfo, OnlyVisibleWholeRemovableFileSystemsCount) {
    // sdb, sdc and sdd are removable; sda is the PC's disk.
    const auto removable = [](int major, int minor) { return major == 8 && minor >= 16; };
    const QList<MountEntry> r = RemovableMounts(ParseMountInfo(kMountInfo), removable);
    ASSERT_EQ(r.size(), 2);
    EXPECT_EQ(r[0].MountPoint, QStringLiteral("/media/tech/MY STICK"));
    EXPECT_EQ(r[1].MountPoint, QStringLiteral("/media/tech/NL9000"));
    EXPECT_EQ(r[1].Minor, 49); // the device mounted last is the one seen there
    EXPECT_EQ(r[1].FsType, QStringLiteral("exfat"));
    EXPECT_TRUE(
        RemovableMounts(ParseMountInfo(kMountInfo), [](int, int) { return false; }).isEmpty());
}

// `udevadm info --query=property` of a FAT32 stick's partition, and the database form.
const QByteArray kFat32Partition = R"(DEVNAME=/dev/sdb1
DEVTYPE=partition
ID_FS_LABEL=MY_STICK
ID_FS_LABEL_ENC=MY\x20STICK
ID_FS_TYPE=vfat
ID_FS_VERSION=FAT32
ID_FS_USAGE=filesystem
)";

TEST(UdevProperties, VolumeLabelAndWindowsFileSystemName) {
    const UdevProperties p = ParseUdevProperties(kFat32Partition);
    EXPECT_EQ(p.value(QStringLiteral("DEVTYPE")), QStringLiteral("partition"));
    VolumeInfo v = VolumeFromUdev(p, QStringLiteral("vfat"));
    EXPECT_EQ(v.Label, QStringLiteral("MY STICK"));
    EXPECT_EQ(v.FileSystem, QStringLiteral("FAT32"));

    v = VolumeFromUdev(ParseUdevProperties("E:ID_FS_LABEL=BOARDS\nE:ID_FS_TYPE=vfat\n"
                                           "E:ID_FS_VERSION=FAT16\nS:disk/by-label/BOARDS\n"),
                       QString());
    EXPECT_EQ(v.Label, QStringLiteral("BOARDS"));
    EXPECT_EQ(v.FileSystem, QStringLiteral("FAT16"));

    // Without udev data the mount table's type is all there is.
    v = VolumeFromUdev({}, QStringLiteral("exfat"));
    EXPECT_EQ(v.Label, QString());
    EXPECT_EQ(v.FileSystem, QStringLiteral("exFAT"));

    struct Case {
        const char* Type;
        const char* Version;
        const char* Expected;
    };
    for (const Case& c :
         {Case{"vfat", "FAT32", "FAT32"}, Case{"vfat", "FAT16", "FAT16"},
          Case{"vfat", "FAT12", "FAT12"}, Case{"vfat", "", "FAT"}, Case{"ntfs", "", "NTFS"},
          Case{"exfat", "1.0", "exFAT"}, Case{"ext4", "1.0", "ext4"}})
        EXPECT_EQ(
            WindowsFileSystemName(QString::fromLatin1(c.Type), QString::fromLatin1(c.Version)),
            QString::fromLatin1(c.Expected))
            << c.Type << ' ' << c.Version;
}

TEST(UdevProperties, UsbDeviceStrings) {
    const UsbDeviceStrings s = UsbDeviceStringsFromUdev(ParseUdevProperties(
        "ACTION=add\nDEVTYPE=usb_device\nDRIVER=usb\nID_MODEL=Cruzer_Blade\n"
        "ID_MODEL_ENC=Cruzer\\x20Blade\\x20\\x20\nID_MODEL_FROM_DATABASE=Cruzer Blade\n"
        "ID_VENDOR=SanDisk\nID_VENDOR_FROM_DATABASE=SanDisk Corp.\n"));
    EXPECT_EQ(s.DevType, QStringLiteral("Cruzer Blade"));
    EXPECT_EQ(s.DriverName, QStringLiteral("usb"));
    EXPECT_EQ(s.FriendlyName, QStringLiteral("SanDisk Corp. Cruzer Blade"));

    const UsbDeviceStrings bare =
        UsbDeviceStringsFromUdev(ParseUdevProperties("ID_MODEL=USB_Mouse\nID_VENDOR=Logi\n"));
    EXPECT_EQ(bare.DevType, QStringLiteral("USB Mouse"));
    EXPECT_EQ(bare.FriendlyName, QStringLiteral("Logi USB Mouse"));
    EXPECT_EQ(UsbDeviceStringsFromUdev({}), UsbDeviceStrings{});
}

TEST(UsbDevicePath, DeviceAndInstanceIds) {
    const UsbDevicePathIds ids =
        SplitUsbDevicePath(QStringLiteral("\\\\?\\USB#VID_0781&PID_5567#4C530001230105117410#"
                                          "{a5dcbf10-6530-11d2-901f-00c04fb951ed}"));
    EXPECT_EQ(ids.DeviceId, QStringLiteral("VID_0781&PID_5567"));
    EXPECT_EQ(ids.InstanceId, QStringLiteral("4C530001230105117410"));
    EXPECT_TRUE(SplitUsbDevicePath(QString()).DeviceId.isEmpty());
    EXPECT_TRUE(SplitUsbDevicePath(QStringLiteral("\\\\?\\USB#only")).InstanceId.isEmpty());

    EXPECT_TRUE(MatchesInstanceMask(QStringLiteral("4C530001230105117410&0"), ids.InstanceId));
    EXPECT_TRUE(MatchesInstanceMask(QStringLiteral("4c530001230105117410&0"), ids.InstanceId));
    EXPECT_FALSE(MatchesInstanceMask(QStringLiteral("7&2AF1B2&0"), ids.InstanceId));
    EXPECT_FALSE(MatchesInstanceMask(QStringLiteral("anything"), QString()));
}

} // namespace
