#include "stick_world.h"

#include "usb_messages.h"

#include <QDirIterator>
#include <sys/mount.h>
#include <unistd.h>

namespace {

QByteArray Bytes(std::initializer_list<int> b) {
    QByteArray out;
    for (int v : b)
        out.append(char(v));
    return out;
}

// What the container conversion writes: the serial number, least significant byte first,
// then the Intel HEX text.
const QByteArray kHexText = ":00000001FF\r\n";
TContainerHooks FakeConverter(int* converted = nullptr) {
    return {[](const QByteArray& c) {
                return c.startsWith("BAD") ? QStringLiteral("Not a firmware container") : QString();
            },
            [converted](quint32 serNum, const QByteArray&) {
                if (converted)
                    ++*converted;
                QByteArray out;
                for (int i = 0; i < 4; ++i)
                    out.append(char(serNum >> (8 * i)));
                return out + kHexText;
            }};
}

// Every file below `folder`, relative, sorted.
QStringList Tree(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

TEST(StickTarget, PageAndPcbVersionGiveTheTargetPath) {
    struct Case {
        const char* Page;
        tAngleBrdVer Angle;
        tMotherBrdVer Mother;
        const char* Expected;
    };
    for (const Case& c : {
             Case{"K310Page", av4, mv3e, "K310_bin/K310V4.bin"},
             Case{"K310Page", av3d, mv3e, "K310_bin/K310V3d.bin"},
             Case{"K310Page", av3e, mv3d, "K310_bin/K310V3e.bin"},
             Case{"EMailPage", av3d, mv3d, "K310_bin/K310V3d.bin"},
             Case{"", av4, mv3d, "K310_bin/K310V4.bin"},
             Case{"P310Page", av3d, mv3d, "P310_bin/P310V3d.bin"},
             Case{"P310Page", av3d, mv3e, "P310_bin/P310V3e.bin"},
             Case{"W310Page", av3d, mv3d, "W310_bin/W310V3a.bin"},
             Case{"HX310Page", av3d, mv3d, "HX310bin/HX310V1.bin"},
             Case{"V8800ListPage", av3d, mv3d, "V88_bin/crane_fw.24h"},
         }) {
        const TUsbTarget t = SelectUsbTarget(QString::fromLatin1(c.Page), c.Angle, c.Mother);
        EXPECT_EQ(t.RelativePath, QString::fromLatin1(c.Expected)) << c.Page;
        EXPECT_EQ(t.FolderName + '/' + t.FileName, t.RelativePath);
    }
    EXPECT_EQ(StickPath(QStringLiteral("E:/"), QStringLiteral("K310_bin")),
              QStringLiteral("E:/K310_bin"));
    EXPECT_EQ(StickPath(QStringLiteral("/media/e/"), QStringLiteral("K310_bin/K310V4.bin")),
              QStringLiteral("/media/e/K310_bin/K310V4.bin"));
}

TEST(StickImage, SerialNumberBytesAreB1B3B0B2) {
    EXPECT_EQ(SerialNumberBytes(1234), Bytes({0x04, 0x00, 0xD2, 0x00}));
    EXPECT_EQ(SerialNumberBytes(0), Bytes({0, 0, 0, 0}));
    EXPECT_EQ(SerialNumberBytes(0x11223344), Bytes({0x33, 0x11, 0x44, 0x22}));
    EXPECT_EQ(V8800SerNum(1234), 0x00D20004u);
    EXPECT_EQ(V8800SerNum(0x11223344), 0x22441133u);
}

TEST(StickImage, TrailingRandomValueLeastSignificantByteFirst) {
    ScriptedRandom r;
    r.Values = {0xBEEF};
    EXPECT_EQ(V8800StickImage("IMG", r), QByteArray("IMG") + Bytes({0xEF, 0xBE}));
    EXPECT_EQ(WipeFileContent(r).size(), 2000);
    r.Values = {0x0102, 0x0304};
    EXPECT_TRUE(WipeFileContent(r).startsWith(Bytes({0x02, 0x01, 0x04, 0x03, 0x04, 0x03})));

    TSystemRandom16 sys;
    bool varied = false;
    for (int i = 0; i < 200; ++i) {
        const quint16 v = sys.Next();
        EXPECT_LT(v, 65535);
        varied = varied || v != sys.Next();
    }
    EXPECT_TRUE(varied);
}

struct WriteTest : ::testing::Test {
    StickWorld W;
    QString Root;
    QString Source;

    void SetUp() override {
        Root = W.AddStick("e", "BOARDS", "FAT32");
        Source = W.Temp.filePath("pc/K310_mf/K310V4_Main_ADS16209.kfwf");
        WriteAll(Source, QByteArray("new application ") + QByteArray(3000, 'A'));
        W.Sticks.Start();
        W.Flow.SetContainerHooks(FakeConverter());
    }
    TWriteSelection K310(tAngleBrdVer v = av4) {
        TWriteSelection s;
        s.ActivePage = QStringLiteral("K310Page");
        s.AngleBrdVer = v;
        s.SourceFile = Source;
        return s;
    }
    TWriteSelection V8800(quint32 serial, const QString& container) {
        TWriteSelection s;
        s.ActivePage = QStringLiteral("V8800ListPage");
        s.ContainerFile = container;
        s.SerialNumber = serial;
        return s;
    }
};

TEST_F(WriteTest, K310ApplicationReplacesTheOlderTargetInACreatedFolder) {
    W.Sticks.USBStickRGClick(0);
    EXPECT_EQ(W.Flow.USBWriteGBClick(K310()), TWriteOutcome::Copied);
    EXPECT_EQ(ReadAll(Root + "/K310_bin/K310V4.bin"), ReadAll(Source));
    ASSERT_EQ(W.Dialogs.Messages.size(), 1);
    EXPECT_EQ(W.Dialogs.Messages[0].Text, usbtext::FileCopied);
    EXPECT_EQ(W.Dialogs.Messages[0].Icon, MsgIcon::Confirmation);

    WriteAll(Source, "a newer build");
    EXPECT_EQ(W.Flow.USBWriteGBClick(K310()), TWriteOutcome::Copied);
    EXPECT_EQ(ReadAll(Root + "/K310_bin/K310V4.bin"), QByteArray("a newer build"));
    EXPECT_EQ(Tree(Root), QStringList({"K310_bin", "K310_bin/K310V4.bin"}));
}

TEST_F(WriteTest, EMailPageWritesTheK310TargetOfTheCurrentVersion) {
    W.Sticks.USBStickRGClick(0);
    TWriteSelection s = K310(av3d);
    s.ActivePage = QStringLiteral("EMailPage");
    EXPECT_EQ(W.Flow.USBWriteGBClick(s), TWriteOutcome::Copied);
    EXPECT_EQ(Tree(Root), QStringList({"K310_bin", "K310_bin/K310V3d.bin"}));
}

TEST_F(WriteTest, EmptyListAndNoSelectionAreTold) {
    // Sticks listed, none selected: told so, the enabled button stays enabled.
    W.Flow.EnableWritetoUSB1Click();
    EXPECT_EQ(W.Flow.USBWriteGBClick(K310()), TWriteOutcome::NoStickSelected);
    EXPECT_EQ(W.Dialogs.Texts(), QStringList({usbtext::NoStickSelected}));
    EXPECT_TRUE(W.Sticks.WriteEnabled());

    W.Drives.Sticks.clear();
    W.Sticks.RefillStickList();
    W.Flow.EnableWritetoUSB1Click();
    EXPECT_EQ(W.Flow.USBWriteGBClick(K310()), TWriteOutcome::NoStickDetected);
    EXPECT_EQ(W.Dialogs.Texts().last(), usbtext::NoStickDetected);
    EXPECT_EQ(W.Dialogs.Messages.last().Icon, MsgIcon::Information);
    EXPECT_FALSE(W.Sticks.WriteEnabled());
    EXPECT_TRUE(Tree(Root).isEmpty());
}

TEST_F(WriteTest, MissingApplicationTouchesNothing) {
    W.Sticks.USBStickRGClick(0);
    for (const QString& source : {QString(), W.Temp.filePath("pc/gone.kfwf"), W.Temp.path()}) {
        W.Dialogs.Messages.clear();
        TWriteSelection s = K310();
        s.SourceFile = source;
        EXPECT_EQ(W.Flow.USBWriteGBClick(s), TWriteOutcome::NoApplication);
        ASSERT_EQ(W.Dialogs.Messages.size(), 1);
        EXPECT_EQ(
            W.Dialogs.Messages[0].Text,
            QStringLiteral("Board Application not Selected or\n\rApplication File not Found"));
        EXPECT_EQ(W.Dialogs.Messages[0].Icon, MsgIcon::Error);
    }
    EXPECT_TRUE(Tree(Root).isEmpty());
}

TEST_F(WriteTest, PulledStickIsNotWrittenThroughItsLeftoverFolder) {
    W.Sticks.USBStickRGClick(0);
    W.Drives.Remove(Root); // no removal notification yet; the folder stays behind
    EXPECT_EQ(W.Flow.USBWriteGBClick(K310()), TWriteOutcome::CopyError);
    EXPECT_EQ(W.Dialogs.Texts(), QStringList({usbtext::FileCopyError}));
    EXPECT_TRUE(Tree(Root).isEmpty());
}

TEST_F(WriteTest, V8800ImageCarriesTheSerialAndTwoRandomBytes) {
    const QString container = W.Temp.filePath("pc/V8800_mf/crane.24d");
    WriteAll(container, QByteArray(56, '\x01'));
    W.Sticks.USBStickRGClick(0);
    W.Random.Values = {0x1234};
    EXPECT_EQ(W.Flow.USBWriteGBClick(V8800(1234, container)), TWriteOutcome::Copied);
    const QString image = Root + "/V88_bin/crane_fw.24h";
    EXPECT_EQ(ReadAll(image), Bytes({0x04, 0x00, 0xD2, 0x00}) + kHexText + Bytes({0x34, 0x12}));
    EXPECT_EQ(W.Dialogs.Texts(), QStringList({usbtext::FileCopied}));

    EXPECT_EQ(W.Flow.USBWriteGBClick(V8800(0, container)), TWriteOutcome::Copied);
    EXPECT_TRUE(ReadAll(image).startsWith(Bytes({0, 0, 0, 0}) + kHexText));

    // With the system's random source two runs differ at most in the last two bytes.
    TSystemRandom16 sys;
    TStickWriteFlow flow(W.Sticks, W.Dialogs, sys);
    flow.SetContainerHooks(FakeConverter());
    ASSERT_EQ(flow.USBWriteGBClick(V8800(77, container)), TWriteOutcome::Copied);
    const QByteArray first = ReadAll(image);
    ASSERT_EQ(flow.USBWriteGBClick(V8800(77, container)), TWriteOutcome::Copied);
    const QByteArray second = ReadAll(image);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_EQ(first.size(), 4 + kHexText.size() + 2);
    EXPECT_EQ(first.chopped(2), second.chopped(2));
}

TEST_F(WriteTest, V8800ContainerRefusedBeforeAnythingIsWritten) {
    const QString bad = W.Temp.filePath("pc/bad.24d");
    WriteAll(bad, "BAD container");
    W.Sticks.USBStickRGClick(0);
    int converted = 0;
    W.Flow.SetContainerHooks(FakeConverter(&converted));

    struct Case {
        QString Container;
        QString Message;
    };
    for (const Case& c : {
             Case{bad, QStringLiteral("Not a firmware container")},
             Case{W.Temp.filePath("pc/none.24d"),
                  usbtext::ContainerUnreadable + "\n\r" + W.Temp.filePath("pc/none.24d")},
         }) {
        W.Dialogs.Messages.clear();
        EXPECT_EQ(W.Flow.USBWriteGBClick(V8800(1, c.Container)), TWriteOutcome::ContainerRejected);
        ASSERT_EQ(W.Dialogs.Messages.size(), 1);
        EXPECT_EQ(W.Dialogs.Messages[0].Text, c.Message);
        EXPECT_EQ(W.Dialogs.Messages[0].Icon, MsgIcon::Error);
    }
    // With no container chosen at all, the application is "not selected".
    W.Dialogs.Messages.clear();
    EXPECT_EQ(W.Flow.USBWriteGBClick(V8800(1, QString())), TWriteOutcome::NoApplication);
    ASSERT_EQ(W.Dialogs.Messages.size(), 1);
    EXPECT_EQ(W.Dialogs.Messages[0].Text, usbtext::NoApplication);
    EXPECT_EQ(W.Dialogs.Messages[0].Icon, MsgIcon::Error);
    EXPECT_EQ(converted, 0);

    // Until the converter is wired, the V8800 write says so and writes nothing.
    const QString good = W.Temp.filePath("pc/good.24d");
    WriteAll(good, "container");
    W.Flow.SetContainerHooks({});
    W.Dialogs.Messages.clear();
    EXPECT_EQ(W.Flow.USBWriteGBClick(V8800(1, good)), TWriteOutcome::ContainerRejected);
    EXPECT_EQ(W.Dialogs.Texts(), QStringList({usbtext::ConverterMissing}));
    EXPECT_TRUE(Tree(Root).isEmpty());
}

TEST_F(WriteTest, WipeFileOnTheP310V3dStickReplacesSourceFile) {
    W.Sticks.USBStickRGClick(0);
    W.Random.Values = {0xABCD};
    TWriteSelection s;
    s.ActivePage = QStringLiteral("P310Page");
    s.MotherBrdVer = mv3d;
    QString sourceFile = Source;
    EXPECT_EQ(W.Flow.WriteWipeFileGBClick(s, sourceFile), TWriteOutcome::WipeCreated);
    const QString wipe = StickPath(Root, "P310_bin/P310V3d.bin");
    EXPECT_EQ(sourceFile, wipe);
    QByteArray expected;
    for (int i = 0; i < 1000; ++i)
        expected += Bytes({0xCD, 0xAB});
    EXPECT_EQ(ReadAll(wipe), expected);
    EXPECT_EQ(W.Dialogs.Texts(), QStringList({usbtext::WipeCreated}));
    EXPECT_EQ(W.Dialogs.Messages[0].Icon, MsgIcon::Confirmation);
}

TEST_F(WriteTest, WipeOnTheV8800PageIsRefused) {
    W.Sticks.USBStickRGClick(0);
    QString sourceFile = Source;
    EXPECT_EQ(W.Flow.WriteWipeFileGBClick(V8800(0, QString()), sourceFile),
              TWriteOutcome::WipeRefused);
    EXPECT_EQ(W.Dialogs.Texts(), QStringList({usbtext::NoWipeForV8800}));
    EXPECT_EQ(W.Dialogs.Messages[0].Icon, MsgIcon::Information);
    EXPECT_EQ(sourceFile, Source);
    EXPECT_TRUE(Tree(Root).isEmpty());
}

TEST_F(WriteTest, NoChosenStickTakesTheFirstWithMediaOrNone) {
    // Nothing chosen: the first stick with media is located, its messages come first.
    QString sourceFile;
    EXPECT_EQ(W.Flow.WriteWipeFileGBClick(K310(), sourceFile), TWriteOutcome::WipeCreated);
    const QStringList texts = W.Dialogs.Texts();
    ASSERT_EQ(texts.size(), 5);
    EXPECT_TRUE(texts[0].startsWith("CheckStickDrive #0 "));
    EXPECT_TRUE(texts[1].startsWith("CheckStickDrive #1 "));
    EXPECT_TRUE(texts[2].startsWith("CheckStickDrive #2 "));
    EXPECT_EQ(texts[3], "Testing " + QDir::toNativeSeparators(Root) + " Type is FAT32");
    EXPECT_EQ(texts[4], usbtext::WipeCreated);
    EXPECT_EQ(W.Sticks.xUSBFat(), QStringLiteral("FAT32"));
    EXPECT_EQ(ReadAll(Root + "/K310_bin/K310V4.bin").size(), 2000);

    // No stick at all: nothing is written anywhere, not even relative to the working folder.
    StickWorld bare;
    bare.Sticks.Start();
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(bare.Temp.path());
    sourceFile = Source;
    const TWriteOutcome outcome = bare.Flow.WriteWipeFileGBClick(K310(), sourceFile);
    QDir::setCurrent(cwd);
    EXPECT_EQ(outcome, TWriteOutcome::NoStickDetected);
    EXPECT_EQ(bare.Dialogs.Texts().last(), usbtext::NoStickDetected);
    EXPECT_EQ(sourceFile, Source);
    EXPECT_TRUE(Tree(bare.Temp.path()).isEmpty());
}

TEST(StickGrid, RowClickAndDrop) {
    const auto pick = StickGridClick(stK310, av4, 2, QStringLiteral("/media/e"));
    ASSERT_TRUE(pick);
    EXPECT_EQ(pick->Caption, QStringLiteral("Selected - Main K310 from USB Stick"));
    EXPECT_EQ(pick->SourceFile, QStringLiteral("/media/e/K310_mf/K310V4_Main_ADS16209.kfwf"));
    EXPECT_EQ(StickGridClick(stP310, mv3d, 5, "/m")->SourceFile,
              QStringLiteral("/m/P310_mf/P310V3d_Tele_Forklift_Special.pfwf"));
    for (int row : {0, 1, 12})
        EXPECT_FALSE(StickGridClick(stK310, av4, row, "/m")) << row;
    EXPECT_FALSE(StickGridClick(stV8800, 0, 2, "/m"));
    EXPECT_EQ(DroppedContainerCaption("crane.24d"),
              QStringLiteral("Selected - crane.24d [dropped]"));
}

// A real small or read-only file system as the stick; needs root to mount.
class MountedStickTest : public WriteTest {
protected:
    QTemporaryDir Mount;
    bool Mounted = false;

    void SetUp() override {
        if (geteuid() != 0)
            GTEST_SKIP() << "mounting a test file system needs root";
        ASSERT_EQ(
            ::mount("tmpfs", QFile::encodeName(Mount.path()).constData(), "tmpfs", 0, "size=64k"),
            0)
            << strerror(errno);
        Mounted = true;
        WriteTest::SetUp();
        W.Drives.Sticks.clear();
        Root = W.AddStick({}, "SMALL", "FAT32", 65536, Mount.path());
        W.Sticks.RefillStickList();
        W.Sticks.USBStickRGClick(0);
        WriteAll(Root + "/K310_bin/K310V4.bin", "older application");
    }
    void TearDown() override {
        if (Mounted)
            ::umount2(QFile::encodeName(Mount.path()).constData(), MNT_DETACH);
    }
    void MakeReadOnly() {
        ASSERT_EQ(::mount(nullptr, QFile::encodeName(Mount.path()).constData(), nullptr,
                          MS_REMOUNT | MS_RDONLY, "size=64k"),
                  0)
            << strerror(errno);
    }
};

TEST_F(MountedStickTest, FullStickKeepsTheOlderFile) {
    WriteAll(Source, QByteArray(200 * 1024, 'X'));
    EXPECT_EQ(W.Flow.USBWriteGBClick(K310()), TWriteOutcome::CopyError);
    EXPECT_EQ(W.Dialogs.Texts(), QStringList({usbtext::FileCopyError}));
    EXPECT_EQ(W.Dialogs.Messages[0].Icon, MsgIcon::Error);
    EXPECT_FALSE(W.Flow.LastErrorDetail().isEmpty());
    EXPECT_EQ(ReadAll(Root + "/K310_bin/K310V4.bin"), QByteArray("older application"));
    EXPECT_EQ(Tree(Root), QStringList({"K310_bin", "K310_bin/K310V4.bin"}));

    // A file that fits still goes on afterwards.
    WriteAll(Source, "small");
    EXPECT_EQ(W.Flow.USBWriteGBClick(K310()), TWriteOutcome::Copied);
    EXPECT_EQ(ReadAll(Root + "/K310_bin/K310V4.bin"), QByteArray("small"));
}

TEST_F(MountedStickTest, ReadOnlyStickKeepsTheOlderFileForApplicationAndWipe) {
    MakeReadOnly();
    EXPECT_EQ(W.Flow.USBWriteGBClick(K310()), TWriteOutcome::CopyError);
    QString sourceFile = Source;
    EXPECT_EQ(W.Flow.WriteWipeFileGBClick(K310(), sourceFile), TWriteOutcome::WipeError);
    EXPECT_EQ(sourceFile, Source);
    EXPECT_EQ(W.Dialogs.Texts(), QStringList({usbtext::FileCopyError, usbtext::WipeError}));
    EXPECT_EQ(W.Dialogs.Messages[1].Icon, MsgIcon::Error);
    // A family folder that cannot be created fails the same way.
    TWriteSelection p = K310();
    p.ActivePage = QStringLiteral("W310Page");
    EXPECT_EQ(W.Flow.USBWriteGBClick(p), TWriteOutcome::CopyError);
    EXPECT_EQ(ReadAll(Root + "/K310_bin/K310V4.bin"), QByteArray("older application"));
    EXPECT_EQ(Tree(Root), QStringList({"K310_bin", "K310_bin/K310V4.bin"}));
}

} // namespace
