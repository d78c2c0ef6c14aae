#include "stick_world.h"

#include "usb_messages.h"

namespace {

TEST(StickList, StartUpWithoutSticks) {
    StickWorld w;
    w.Sticks.Start();
    EXPECT_TRUE(w.Sticks.Items().isEmpty());
    EXPECT_FALSE(w.Sticks.WriteEnabled());
    EXPECT_EQ(w.Sticks.WriteCaption(), usbtext::WriteToUsbStick);
    EXPECT_EQ(w.Sticks.xUSBDrv(), QStringLiteral("-"));
    EXPECT_TRUE(w.Sticks.TimerEnabled());
    EXPECT_EQ(w.Sticks.USBDriveReadPhase(), ClrIdle);
    w.Sticks.USBDelayTimerTimer(); // the first tick switches the timer off
    EXPECT_FALSE(w.Sticks.TimerEnabled());
    EXPECT_TRUE(w.Dialogs.Messages.isEmpty());
}

TEST(StickList, ArrivalReadsTheFileSystemOnTheSecondTickAndStopsOnceAStickIsChosen) {
    StickWorld w;
    w.Wire();
    w.Sticks.Start();
    w.Sticks.USBDelayTimerTimer();
    int changes = 0;
    w.Sticks.OnChanged = [&] { ++changes; };

    const QString root = w.AddStick("e", "BOARDS", "FAT32");
    w.Monitor.Fire(UsbChange::Arrival);
    EXPECT_GT(changes, 0);
    EXPECT_TRUE(w.Sticks.USBAttached());
    EXPECT_TRUE(w.Sticks.TimerEnabled());
    EXPECT_EQ(w.Sticks.USBDriveReadPhase(), WaitReadFAT);
    EXPECT_EQ(w.Sticks.Items(), QStringList({QDir::toNativeSeparators(root) + " - BOARDS"}));
    EXPECT_FALSE(w.Sticks.WriteEnabled());

    w.Sticks.USBDelayTimerTimer();
    EXPECT_EQ(w.Sticks.USBDriveReadPhase(), ReadFAT);
    w.Sticks.USBDelayTimerTimer();
    // No stick chosen yet: nothing is read, and the caption says so with its underscore.
    EXPECT_EQ(w.Sticks.USBDriveReadPhase(), ReadDrv);
    EXPECT_TRUE(w.Dialogs.Messages.isEmpty());
    EXPECT_EQ(w.Sticks.WriteCaption(), usbtext::WriteToOther);
    w.Sticks.USBDelayTimerTimer();
    EXPECT_EQ(w.Sticks.USBDriveReadPhase(), ReadDrv); // keeps waiting for a chosen stick
    EXPECT_TRUE(w.Sticks.TimerEnabled());

    w.Sticks.USBStickRGClick(0);
    EXPECT_EQ(w.Sticks.xUSBDrv(), root);
    EXPECT_TRUE(w.Sticks.WriteEnabled());
    w.Sticks.USBDelayTimerTimer();
    EXPECT_EQ(w.Sticks.USBDriveReadPhase(), ClrIdle);
    EXPECT_TRUE(w.Sticks.TimerEnabled());
    w.Sticks.USBDelayTimerTimer();
    EXPECT_FALSE(w.Sticks.TimerEnabled());
}

TEST(StickList, SecondArrivalReadsTheChosenSticksFileSystem) {
    struct Case {
        const char* Fs;
        QString Caption;
    };
    for (const Case& c :
         {Case{"FAT32", usbtext::WriteToFat32}, Case{"FAT16", usbtext::WriteToFat16},
          Case{"NTFS", usbtext::WriteToOther}}) {
        StickWorld w;
        w.Wire();
        w.Sticks.Start();
        const QString root = w.AddStick("e", "A", QString::fromLatin1(c.Fs));
        w.Sticks.RefillStickList();
        w.Sticks.USBStickRGClick(0);
        w.AddStick("f", "B");
        w.Monitor.Fire(UsbChange::Arrival);
        for (int i = 0; i < 2; ++i)
            w.Sticks.USBDelayTimerTimer();
        EXPECT_EQ(w.Sticks.xUSBFat(), QString::fromLatin1(c.Fs));
        EXPECT_EQ(w.Sticks.WriteCaption(), c.Caption) << c.Fs;
        ASSERT_EQ(w.Dialogs.Messages.size(), 1) << c.Fs;
        EXPECT_EQ(w.Dialogs.Messages[0].Text, "Testing " + QDir::toNativeSeparators(root) +
                                                  " Type is " + QString::fromLatin1(c.Fs));
        EXPECT_EQ(w.Dialogs.Messages[0].Icon, MsgIcon::Information);
        EXPECT_EQ(w.Sticks.Items().size(), 2);
        // The chosen stick has media: one more tick ends the wait.
        w.Sticks.USBDelayTimerTimer();
        EXPECT_EQ(w.Sticks.USBDriveReadPhase(), ClrIdle);
    }
}

TEST(StickList, ChosenStickWithoutMediaKeepsTheTimerWaiting) {
    StickWorld w;
    w.Wire();
    w.Sticks.Start();
    w.AddStick("reader", "", "", -1);
    w.Monitor.Fire(UsbChange::Arrival);
    EXPECT_EQ(w.Sticks.Items(),
              QStringList({QDir::toNativeSeparators(w.Temp.filePath("reader")) + " - "}));
    w.Sticks.USBStickRGClick(0);
    for (int i = 0; i < 4; ++i)
        w.Sticks.USBDelayTimerTimer();
    EXPECT_EQ(w.Sticks.USBDriveReadPhase(), ReadDrv);
    EXPECT_TRUE(w.Sticks.TimerEnabled());
    EXPECT_TRUE(w.Dialogs.Messages.isEmpty()); // nothing read from a drive without media
}

TEST(StickList, RemovalForgetsTheChosenStick) {
    StickWorld w;
    w.Wire();
    w.Sticks.Start();
    w.AddStick("e", "A", "FAT32");
    const QString f = w.AddStick("f", "B", "FAT32");
    w.Monitor.Fire(UsbChange::Arrival);
    w.Sticks.USBStickRGClick(1);
    w.Sticks.RefreshStickFileSystem();
    EXPECT_EQ(w.Sticks.WriteCaption(), usbtext::WriteToFat32);
    const tUSBDriveReadPhase phase = w.Sticks.USBDriveReadPhase();

    w.Drives.Remove(f);
    w.Monitor.Fire(UsbChange::Removal);
    EXPECT_FALSE(w.Sticks.USBAttached());
    EXPECT_EQ(w.Sticks.xUSBDrv(), QStringLiteral("-"));
    EXPECT_EQ(w.Sticks.WriteCaption(), usbtext::WriteToUsbStick);
    EXPECT_EQ(w.Sticks.Items().size(), 1);
    EXPECT_EQ(w.Sticks.ItemIndex(), -1);
    EXPECT_FALSE(w.Sticks.WriteEnabled());
    EXPECT_EQ(w.Sticks.USBDriveReadPhase(), phase); // a removal leaves the timer alone
    // A click on an item that is no longer there changes nothing.
    w.Sticks.USBStickRGClick(1);
    EXPECT_EQ(w.Sticks.xUSBDrv(), QStringLiteral("-"));
}

TEST(StickList, LocateFirstStickMessages) {
    StickWorld w;
    w.Sticks.Start();
    w.Sticks.LocateFirstStick();
    EXPECT_EQ(w.Sticks.xUSBDrv(), QStringLiteral("-"));
    EXPECT_EQ(w.Dialogs.Texts(),
              QStringList({"CheckStickDrive #0 - is now found \n\rOf type \n\rSize -1"}));

    w.Dialogs.Messages.clear();
    w.AddStick("reader", "", "", -1);
    const QString root = w.AddStick("e", "A", "FAT32", 8000000000);
    w.Sticks.LocateFirstStick();
    const QString shown = QDir::toNativeSeparators(root);
    EXPECT_EQ(w.Sticks.xUSBDrv(), root);
    EXPECT_EQ(w.Dialogs.Texts(),
              QStringList(
                  {"CheckStickDrive #0 " + shown + " is now found \n\rOf type \n\rSize 8000000000",
                   "CheckStickDrive #1 " + shown + " is now found \n\rOf type ",
                   "CheckStickDrive #2 " + shown + " is now found \n\rOf type "}));
    for (const auto& m : w.Dialogs.Messages)
        EXPECT_EQ(m.Icon, MsgIcon::Information);
}

} // namespace
