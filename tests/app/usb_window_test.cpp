// The stick side of the main window: the "USB Stick" list, the write button, the delayed
// file system read and the files that end up on a stick.
#include "fake_system.h"
#include "format_fixtures.h"
#include "hive.h"
#include "main_window.h"
#include "scripted_dialogs.h"
#include "settings.h"
#include "stick_files.h"
#include "test_deployment.h"
#include "usb_devices.h"
#include "usb_messages.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include "test_files.h"
#include "window_fixture.h"
#include <sys/mount.h>
#include <unistd.h>

namespace {

// Counts up from a start value, so every drawn value is known to the test.
class CountingRandom : public TRandom16 {
public:
    quint16 Next() override { return Value++; }
    quint16 Value = 0x1230;
};

struct UsbWindowFixture : MainWindowFixture {
    CountingRandom random;

    QString AddStick(const QString& name, const QString& label,
                     const QString& fs = QStringLiteral("FAT32"), qint64 size = 4000000000) {
        const QString root = tmp.filePath(QStringLiteral("sticks/") + name);
        QDir().mkpath(root);
        drives.Insert({root, label, fs, size});
        return root;
    }

    std::unique_ptr<TMainFrm> MakeWindow() {
        auto w = std::make_unique<TMainFrm>(Services(nullptr, &random));
        // Start-up shows nothing on the stick side; later checks see only their own messages.
        EXPECT_TRUE(dialogs.Messages.isEmpty()) << dialogs.Texts().join('|').toStdString();
        return w;
    }

    // What a user's click on the stick's radio button does.
    static void ChooseStick(TMainFrm& w, int index) {
        auto* b =
            w.USBStickRG->findChild<QRadioButton*>(QStringLiteral("USBStickRGItem%1").arg(index));
        ASSERT_NE(b, nullptr) << index;
        b->click();
    }

    static void ShowPage(TMainFrm& w, QWidget* page) { w.AdvPager->setCurrentWidget(page); }

    QString PcFile(const QString& name, const QByteArray& content) {
        const QString path = tmp.filePath(QStringLiteral("pc/") + name);
        WriteAll(path, content);
        return path;
    }
};

TEST_F(UsbWindowFixture, StickListAtStart) {
    struct Case {
        const char* name;
        bool withSticks;
    };
    for (const Case c : {Case{"no stick", false}, Case{"two drives", true}}) {
        SCOPED_TRACE(c.name);
        drives.Sticks.clear();
        QStringList roots;
        QStringList items;
        if (c.withSticks) {
            roots << AddStick(QStringLiteral("e"), QStringLiteral("KINGSTON"));
            roots << AddStick(QStringLiteral("f"), QStringLiteral("CARDREADER"), QString(), -1);
            items << roots[0] + QStringLiteral(" - KINGSTON") << roots[1] + QStringLiteral(" - ");
        }
        auto w = MakeWindow();
        EXPECT_EQ(w->USBStickRG->Items(), items);
        EXPECT_EQ(w->USBStickRG->findChildren<QRadioButton*>().size(), items.size());
        EXPECT_EQ(w->USBStickRG->ItemIndex(), -1);
        EXPECT_EQ(w->ADriveList, roots);
        EXPECT_FALSE(w->USBWriteGB->isEnabled());
        EXPECT_EQ(w->USBWriteGB->text(), usbtext::WriteToUsbStick);
        EXPECT_EQ(w->xUSBDrv, QStringLiteral("-"));
        EXPECT_TRUE(w->xUSBFat.isEmpty());
        EXPECT_FALSE(w->USBAttached);
        // The timer runs from the start and stops itself on its first tick.
        EXPECT_TRUE(w->USBDelayTimer->isActive());
        EXPECT_EQ(w->USBDelayTimer->interval(), 1000);
        w->USBDelayTimerTimer();
        EXPECT_FALSE(w->USBDelayTimer->isActive());
        EXPECT_TRUE(dialogs.Messages.isEmpty());
    }
}

TEST_F(UsbWindowFixture, ArrivalTimerPhasesAndRemoval) {
    struct Case {
        const char* fs;
        bool choose; // a stick is chosen before the file system is read
        QString caption;
        bool tested; // the "Testing" message of the chosen stick
    };
    const Case cases[] = {
        {"FAT32", true, usbtext::WriteToFat32, true},
        {"FAT16", true, usbtext::WriteToFat16, true},
        {"NTFS", true, usbtext::WriteToOther, true},
        {"FAT32", false, usbtext::WriteToOther, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fs) + (c.choose ? " chosen" : " not chosen"));
        drives.Sticks.clear();
        dialogs.Messages.clear();
        auto w = MakeWindow();
        w->USBDelayTimerTimer(); // the start-up tick
        ASSERT_FALSE(w->USBDelayTimer->isActive());

        const QString root =
            AddStick(QStringLiteral("e"), QStringLiteral("FIRMWARE"), QString::fromLatin1(c.fs));
        monitor.Fire(UsbChange::Arrival);
        EXPECT_EQ(w->USBStickRG->Items(), QStringList{root + QStringLiteral(" - FIRMWARE")});
        EXPECT_TRUE(w->USBAttached);
        EXPECT_FALSE(w->USBWriteGB->isEnabled());
        EXPECT_TRUE(w->USBDelayTimer->isActive());

        if (c.choose) {
            ChooseStick(*w, 0);
            EXPECT_EQ(w->xUSBDrv, root);
            EXPECT_EQ(w->USBStickRG->ItemIndex(), 0);
            EXPECT_TRUE(w->USBWriteGB->isEnabled());
        }
        w->USBDelayTimerTimer(); // waits
        EXPECT_TRUE(dialogs.Messages.isEmpty());
        EXPECT_EQ(w->USBWriteGB->text(), usbtext::WriteToUsbStick);
        w->USBDelayTimerTimer(); // reads the file system
        EXPECT_EQ(w->USBWriteGB->text(), c.caption);
        if (c.tested) {
            ASSERT_EQ(dialogs.Messages.size(), 1);
            EXPECT_EQ(dialogs.Messages[0].Text,
                      QStringLiteral("Testing ") + root + QStringLiteral(" Type is ") + c.fs);
            EXPECT_EQ(dialogs.Messages[0].Icon, MsgIcon::Information);
            EXPECT_EQ(w->xUSBFat, QString::fromLatin1(c.fs));
        } else {
            EXPECT_TRUE(dialogs.Messages.isEmpty());
            EXPECT_TRUE(w->xUSBFat.isEmpty());
        }
        // The list was refilled: writing waits for the stick to be chosen again.
        EXPECT_EQ(w->USBStickRG->Items(), QStringList{root + QStringLiteral(" - FIRMWARE")});
        EXPECT_FALSE(w->USBWriteGB->isEnabled());
        w->USBDelayTimerTimer();
        if (c.choose) {
            w->USBDelayTimerTimer(); // idle again, one tick after
            EXPECT_FALSE(w->USBDelayTimer->isActive());
        } else {
            // Nothing chosen: the timer keeps waiting for a stick.
            w->USBDelayTimerTimer();
            EXPECT_TRUE(w->USBDelayTimer->isActive());
        }

        drives.Remove(root);
        monitor.Fire(UsbChange::Removal);
        EXPECT_TRUE(w->USBStickRG->Items().isEmpty());
        EXPECT_TRUE(w->USBStickRG->findChildren<QRadioButton*>().isEmpty());
        EXPECT_FALSE(w->USBAttached);
        EXPECT_EQ(w->xUSBDrv, QStringLiteral("-"));
        EXPECT_EQ(w->USBWriteGB->text(), usbtext::WriteToUsbStick);
        EXPECT_FALSE(w->USBWriteGB->isEnabled());
    }
}

TEST_F(UsbWindowFixture, WriteRefusedWithoutAListedOrChosenStick) {
    auto w = MakeWindow();
    w->EnableWritetoUSB1->trigger(); // the pop-up item enables writing whatever the list holds
    EXPECT_TRUE(w->USBWriteGB->isEnabled());
    w->USBWriteGB->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{usbtext::NoStickDetected});
    EXPECT_FALSE(w->USBWriteGB->isEnabled());

    dialogs.Messages.clear();
    const QString root = AddStick(QStringLiteral("e"), QStringLiteral("FIRMWARE"));
    monitor.Fire(UsbChange::Arrival);
    w->EnableWritetoUSB1->trigger();
    w->SourceFile = PcFile(QStringLiteral("app.kfwf"), "app");
    w->USBWriteGB->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{usbtext::NoStickSelected});
    EXPECT_TRUE(w->USBWriteGB->isEnabled());
    EXPECT_TRUE(Entries(root).isEmpty());
}

TEST_F(UsbWindowFixture, ApplicationGoesToTheFamilyFolderUnderItsTargetName) {
    struct Case {
        const char* page;
        tAngleBrdVer angle;
        tMotherBrdVer mother;
        const char* target;
    };
    const Case cases[] = {
        {"K310Page", av4, mv3d, "K310_bin/K310V4.bin"},
        {"K310Page", av3d, mv3d, "K310_bin/K310V3d.bin"},
        {"eMailPage", av3e, mv3d, "K310_bin/K310V3e.bin"},
        {"P310Page", av4, mv3e, "P310_bin/P310V3e.bin"},
        {"W310Page", av4, mv3d, "W310_bin/W310V3a.bin"},
        {"HX310Page", av4, mv3d, "HX310bin/HX310V1.bin"},
    };
    const QString root = AddStick(QStringLiteral("e"), QStringLiteral("FIRMWARE"));
    const QByteArray app = fx::Counting(3000, 7);
    const QString source = PcFile(QStringLiteral("K310V4_Main_ADS16209.kfwf"), app);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " " + c.target);
        QDir(root).removeRecursively();
        QDir().mkpath(root);
        const QString target = root + QLatin1Char('/') + QString::fromLatin1(c.target);
        const QString folder = QFileInfo(target).path();
        // An older target and a neighbour in the family folder.
        WriteAll(target, "an older application, longer than nothing");
        WriteAll(folder + QStringLiteral("/notes.txt"), "keep");
        dialogs.Messages.clear();

        auto w = MakeWindow();
        ShowPage(*w, w->findChild<QWidget*>(QString::fromLatin1(c.page)));
        w->AngleBrdVer = c.angle;
        w->MotherBrdVer = c.mother;
        w->SourceFile = source;
        ChooseStick(*w, 0);
        w->USBWriteGB->click();

        ASSERT_EQ(dialogs.Messages.size(), 1) << dialogs.Texts().join('|').toStdString();
        EXPECT_EQ(dialogs.Messages[0].Text, usbtext::FileCopied);
        EXPECT_EQ(dialogs.Messages[0].Icon, MsgIcon::Confirmation);
        EXPECT_EQ(ReadAll(target), app);
        EXPECT_EQ(ReadAll(source), app);
        const QStringList expected{QFileInfo(target).fileName(), QStringLiteral("notes.txt")};
        QStringList got = Entries(folder);
        got.sort();
        QStringList want = expected;
        want.sort();
        EXPECT_EQ(got, want);
        EXPECT_EQ(Entries(root), QStringList{QFileInfo(folder).fileName()});
        EXPECT_EQ(ReadAll(folder + QStringLiteral("/notes.txt")), QByteArray("keep"));
        EXPECT_EQ(w->SourceFile, source);
    }
}

TEST_F(UsbWindowFixture, OnlyTheChosenOfTwoSticksGetsTheFile) {
    const QString first = AddStick(QStringLiteral("e"), QStringLiteral("FIRST"));
    const QString second = AddStick(QStringLiteral("f"), QStringLiteral("SECOND"), "FAT16");
    auto w = MakeWindow();
    ShowPage(*w, w->W310Page);
    w->SourceFile = PcFile(QStringLiteral("W310V3a.wfwf"), "w310");
    ChooseStick(*w, 1);
    EXPECT_EQ(w->USBStickRG->ItemIndex(), 1);
    EXPECT_EQ(w->xUSBDrv, second);
    EXPECT_TRUE(w->USBWriteGB->isEnabled());
    w->USBWriteGB->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{usbtext::FileCopied});
    EXPECT_EQ(ReadAll(second + QStringLiteral("/W310_bin/W310V3a.bin")), QByteArray("w310"));
    EXPECT_TRUE(Entries(first).isEmpty());
}

TEST_F(UsbWindowFixture, FolderIsCreatedAndAMissingApplicationIsReported) {
    const QString root = AddStick(QStringLiteral("e"), QStringLiteral("FIRMWARE"));
    auto w = MakeWindow();
    ShowPage(*w, w->K310Page);
    ChooseStick(*w, 0);
    for (const QString& missing : {QString(), tmp.filePath(QStringLiteral("pc/gone.kfwf"))}) {
        dialogs.Messages.clear();
        w->SourceFile = missing;
        w->USBWriteGB->click();
        ASSERT_EQ(dialogs.Messages.size(), 1);
        EXPECT_EQ(
            dialogs.Messages[0].Text,
            QStringLiteral("Board Application not Selected or\n\rApplication File not Found"));
        EXPECT_EQ(dialogs.Messages[0].Icon, MsgIcon::Error);
        EXPECT_TRUE(Entries(root).isEmpty());
    }
    // A stick without the family folder gets it.
    dialogs.Messages.clear();
    w->SourceFile = PcFile(QStringLiteral("a.kfwf"), "abc");
    w->USBWriteGB->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{usbtext::FileCopied});
    EXPECT_EQ(ReadAll(root + QStringLiteral("/K310_bin/K310V4.bin")), QByteArray("abc"));
}

TEST_F(UsbWindowFixture, V8800ImageCarriesTheSerialNumberAndTwoRandomBytes) {
    struct Case {
        const char* serial;
        QByteArray head;
    };
    const Case cases[] = {
        {"1234", QByteArray::fromHex("0400D200")},
        {"0000", QByteArray::fromHex("00000000")},
        {"16909060", QByteArray::fromHex("03010402")}, // 01020304
        {"4294967295", QByteArray::fromHex("FFFFFFFF")},
    };
    const QString root = AddStick(QStringLiteral("e"), QStringLiteral("FIRMWARE"));
    const QString container = PcFile(QStringLiteral("crane.24d"), fx::SmallContainer());
    auto w = MakeWindow();
    ASSERT_EQ(w->AdvPager->currentWidget(), w->V8800ListPage);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.serial);
        dialogs.Messages.clear();
        w->DirectoryBrowse.FileName = container;
        w->SerialNumberEDT->setText(QString::fromLatin1(c.serial));
        ASSERT_EQ(w->SerialNumberEDT->text(), QString::fromLatin1(c.serial));
        random.Value = 0xBEEF;
        ChooseStick(*w, 0);
        w->USBWriteGB->click();
        EXPECT_EQ(dialogs.Texts(), QStringList{usbtext::FileCopied});
        EXPECT_EQ(ReadAll(root + QStringLiteral("/V88_bin/crane_fw.24h")),
                  c.head + fx::SmallImageText() + QByteArray::fromHex("EFBE"));
        EXPECT_EQ(Entries(root + QStringLiteral("/V88_bin")), QStringList{"crane_fw.24h"});
        EXPECT_EQ(ReadAll(container), fx::SmallContainer());
    }
}

TEST_F(UsbWindowFixture, V8800RefusalsWriteNothing) {
    const QString root = AddStick(QStringLiteral("e"), QStringLiteral("FIRMWARE"));
    QByteArray damaged = fx::SmallContainer();
    damaged[20] = char(damaged[20] ^ 0x01); // a data byte: the suffix check sum no longer fits
    const QString bad = PcFile(QStringLiteral("bad.24d"), damaged);
    const QString good = PcFile(QStringLiteral("good.24d"), fx::SmallContainer());
    struct Case {
        const char* name;
        QString container;
        QString serial;
        QString message; // empty: any error text
    };
    const Case cases[] = {
        {"damaged container", bad, QStringLiteral("1234"), QString()},
        {"no container", QString(), QStringLiteral("1234"), usbtext::NoApplication},
        {"missing container", tmp.filePath(QStringLiteral("pc/none.24d")), QStringLiteral("1"),
         QString()},
        {"serial number above 32 bits", good, QStringLiteral("4294967296"),
         QStringLiteral("The serial number \"4294967296\" is too large.")},
    };
    auto w = MakeWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.Messages.clear();
        w->DirectoryBrowse.FileName = c.container;
        w->SerialNumberEDT->setText(c.serial);
        ChooseStick(*w, 0);
        w->USBWriteGB->click();
        ASSERT_EQ(dialogs.Messages.size(), 1) << dialogs.Texts().join('|').toStdString();
        EXPECT_EQ(dialogs.Messages[0].Icon, MsgIcon::Error);
        EXPECT_NE(dialogs.Messages[0].Text, usbtext::FileCopied);
        EXPECT_FALSE(dialogs.Messages[0].Text.trimmed().isEmpty());
        if (!c.message.isEmpty()) {
            EXPECT_EQ(dialogs.Messages[0].Text, c.message);
        }
        EXPECT_TRUE(Entries(root).isEmpty()) << Entries(root).join(',').toStdString();
    }
    // An image already on the stick outlives a refused container.
    WriteAll(root + QStringLiteral("/V88_bin/crane_fw.24h"), "older image");
    dialogs.Messages.clear();
    w->DirectoryBrowse.FileName = bad;
    w->SerialNumberEDT->setText(QStringLiteral("1"));
    ChooseStick(*w, 0);
    w->USBWriteGB->click();
    ASSERT_EQ(dialogs.Messages.size(), 1);
    EXPECT_EQ(dialogs.Messages[0].Icon, MsgIcon::Error);
    EXPECT_EQ(ReadAll(root + QStringLiteral("/V88_bin/crane_fw.24h")), QByteArray("older image"));
}

TEST_F(UsbWindowFixture, WipeFile) {
    const QString root = AddStick(QStringLiteral("e"), QStringLiteral("FIRMWARE"));
    const QString source = PcFile(QStringLiteral("P310V3d.mfwf"), "application");
    auto w = MakeWindow();
    ShowPage(*w, w->P310Page);
    w->MotherBrdVer = mv3d;
    w->SourceFile = source;
    ChooseStick(*w, 0);
    random.Value = 0xFF00;
    w->WriteWipeFileGB->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{usbtext::WipeCreated});
    EXPECT_EQ(dialogs.Messages[0].Icon, MsgIcon::Confirmation);
    const QString wipe = root + QStringLiteral("/P310_bin/P310V3d.bin");
    const QByteArray bytes = ReadAll(wipe);
    ASSERT_EQ(bytes.size(), 2000);
    for (int i = 0; i < 1000; ++i) {
        const quint16 v = quint16(0xFF00 + i);
        ASSERT_EQ(quint8(bytes[2 * i]), quint8(v & 0xFF)) << i;
        ASSERT_EQ(quint8(bytes[2 * i + 1]), quint8(v >> 8)) << i;
    }
    EXPECT_EQ(QFileInfo(w->SourceFile).canonicalFilePath(), QFileInfo(wipe).canonicalFilePath());
    EXPECT_EQ(Entries(root + QStringLiteral("/P310_bin")), QStringList{"P310V3d.bin"});
    // The wipe file is now the write source: writing it again copies it unchanged.
    dialogs.Messages.clear();
    ChooseStick(*w, 0);
    w->USBWriteGB->click();
    EXPECT_EQ(dialogs.Texts(), QStringList{usbtext::FileCopied});
    EXPECT_EQ(ReadAll(wipe), bytes);

    // On the large display page there is no wipe file.
    dialogs.Messages.clear();
    QDir(root + QStringLiteral("/P310_bin")).removeRecursively();
    w->SourceFile = source;
    ShowPage(*w, w->V8800ListPage);
    w->WriteWipeFileGBClick(); // the button is hidden there; the handler refuses anyway
    EXPECT_EQ(dialogs.Texts(), QStringList{usbtext::NoWipeForV8800});
    EXPECT_EQ(dialogs.Messages[0].Icon, MsgIcon::Information);
    EXPECT_TRUE(Entries(root).isEmpty());
    EXPECT_EQ(w->SourceFile, source);
}

// A stick the system mounted read-only.
struct ReadOnlyStickFixture : UsbWindowFixture {
    QString mountPoint;
    bool mounted = false;

    void SetUp() override {
        UsbWindowFixture::SetUp();
        if (geteuid() != 0)
            GTEST_SKIP() << "mounting a read-only stick needs root";
        mountPoint = tmp.filePath(QStringLiteral("sticks/ro"));
        QDir().mkpath(mountPoint);
        if (::mount("tmpfs", mountPoint.toLocal8Bit().constData(), "tmpfs", MS_RDONLY, "size=1m") !=
            0)
            GTEST_SKIP() << "cannot mount a read-only file system here";
        mounted = true;
        drives.Insert({mountPoint, QStringLiteral("LOCKED"), QStringLiteral("FAT32"), 1048576});
    }
    void TearDown() override {
        if (mounted)
            ::umount2(mountPoint.toLocal8Bit().constData(), MNT_DETACH);
    }
};

TEST_F(ReadOnlyStickFixture, NothingIsWrittenAndTheFailureIsReportedAndLogged) {
    struct Case {
        const char* name;
        bool wipe;
        QString message;
    };
    const Case cases[] = {{"application", false, usbtext::FileCopyError},
                          {"wipe", true, usbtext::WipeError}};
    const QString source = PcFile(QStringLiteral("K310V4.kfwf"), "application");
    const QString log = tmp.filePath(QStringLiteral("Zentrivo Error.log"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(log);
        dialogs.Messages.clear();
        auto w = MakeWindow();
        ShowPage(*w, w->K310Page);
        w->SourceFile = source;
        ChooseStick(*w, 0);
        if (c.wipe) {
            w->WriteWipeFileGB->click();
        } else {
            w->USBWriteGB->click();
        }
        ASSERT_EQ(dialogs.Messages.size(), 1) << dialogs.Texts().join('|').toStdString();
        EXPECT_EQ(dialogs.Messages[0].Text, c.message);
        EXPECT_EQ(dialogs.Messages[0].Icon, MsgIcon::Error);
        EXPECT_TRUE(Entries(mountPoint).isEmpty());
        EXPECT_EQ(w->SourceFile, source);
        // The reason goes to the error log for the service desk.
        EXPECT_TRUE(ReadAll(log).contains("Error Class: EInOutError")) << ReadAll(log).constData();
    }
}

} // namespace
