#include "stick_world.h"

namespace {

TEST(UsbClass, RemovableDrivesLabelsAndFirstDriveWithMedia) {
    StickWorld w;
    QStringList list{QStringLiteral("stale")};
    w.Usb.GetDiskDrives(list);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(w.Usb.GetFirstDiskDrive(), QStringLiteral("-"));

    // A card reader without media first: listed, never taken.
    const QString reader = w.AddStick("reader", "", "", -1);
    const QString a = w.AddStick("a", "BOARDS");
    const QString b = w.AddStick("b", "BOARDS", "FAT16", 1000);
    w.Usb.GetDiskDrives(list);
    EXPECT_EQ(list, QStringList({reader, a, b}));
    EXPECT_EQ(w.Usb.GetVolumeName(reader), QString());
    EXPECT_EQ(w.Usb.GetVolumeName(a), QStringLiteral("BOARDS"));
    EXPECT_EQ(w.Usb.GetVolumeName_1(a), QStringLiteral("BOARDS"));
    EXPECT_EQ(w.Usb.GetFirstDiskDrive(), a);
    EXPECT_EQ(w.Usb.FindDiskDriveByVolumeName(QStringLiteral("BOARDS")), b); // the last one
    EXPECT_EQ(w.Usb.FindDiskDriveByVolumeName(QStringLiteral("boards")), QString());
    EXPECT_TRUE(w.Usb.HasMedia(a));
    EXPECT_FALSE(w.Usb.HasMedia(reader));
    EXPECT_FALSE(w.Usb.HasMedia(w.Temp.path()));
}

TEST(UsbClass, DriveLettersUpperCasedMountPointsKept) {
    StickWorld w;
    w.Drives.Insert({QStringLiteral("e:\\"), QStringLiteral("X"), QStringLiteral("FAT32"), 10});
    EXPECT_EQ(w.Usb.GetFirstDiskDrive(), QStringLiteral("E:\\"));
    w.Drives.Sticks.clear();
    w.Drives.Insert({QStringLiteral("/media/tech/e"), QStringLiteral("X"), {}, 10});
    EXPECT_EQ(w.Usb.GetFirstDiskDrive(), QStringLiteral("/media/tech/e"));
}

TEST(UsbClass, DriverLetterAndNumber) {
    struct Case {
        quint32 Mask;
        const char* Expected;
    };
    for (const Case& c : {Case{16, "E:"}, Case{3, ""}, Case{1, "A:"}, Case{1u << 25, "Z:"},
                          Case{1u << 26, ""}, Case{0, ""}, Case{0x80000000u, ""}})
        EXPECT_EQ(TUsbClass::DriverLetter(c.Mask), QString::fromLatin1(c.Expected)) << c.Mask;
    EXPECT_EQ(TUsbClass::DriverNumber(QLatin1Char('A')), 0);
    EXPECT_EQ(TUsbClass::DriverNumber(QLatin1Char('E')), 4);
}

TEST(UsbClass, EventsCarryTheWatcherAndTheDeviceTexts) {
    StickWorld w;
    QStringList seen;
    TUsbClass* sender = nullptr;
    const auto record = [&](const char* kind) {
        return [&, kind](TUsbClass* o, const QString& t, const QString& d, const QString& f) {
            sender = o;
            seen << QStringLiteral("%1|%2|%3|%4").arg(QLatin1String(kind), t, d, f);
        };
    };
    // Unset handlers are fine.
    w.Monitor.Fire(UsbChange::Arrival);
    EXPECT_TRUE(seen.isEmpty());

    w.Usb.SetOnUsbInsertion(record("in"));
    w.Usb.SetOnUsbRemoval(record("out"));
    w.Monitor.Fire(UsbChange::Arrival, {"USB Mass Storage Device", "Disk drive", "SanDisk"});
    w.Monitor.Fire(UsbChange::Removal, {"USB Input Device", "", ""});
    EXPECT_EQ(sender, &w.Usb);
    EXPECT_EQ(seen, QStringList({"in|USB Mass Storage Device|Disk drive|SanDisk",
                                 "out|USB Input Device||"}));
}

TEST(UsbClass, PlatformBackendsStartOnThisMachine) {
    // Whatever this machine has plugged in, the answers must be well-formed.
    const auto drives = CreatePlatformDriveProvider();
    const auto monitor = CreatePlatformDeviceMonitor();
    TUsbClass usb(*drives, *monitor);
    QStringList list;
    usb.GetDiskDrives(list);
    for (const QString& root : list) {
        EXPECT_TRUE(QDir(root).isAbsolute()) << root.toStdString();
        EXPECT_GE(usb.DiskSize(root), -1);
    }
    EXPECT_EQ(usb.DiskSize(QStringLiteral("-")), -1);
}

} // namespace
