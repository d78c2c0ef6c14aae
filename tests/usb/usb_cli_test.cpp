#include "format_fixtures.h"
#include "run_tool.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(ToolUsb, WriteWipeAndTheirErrors) {
    QTemporaryDir t;
    const QString stick = t.filePath("stick");
    QDir().mkpath(stick);
    const QString app = t.filePath("P310V3d_Standard_Main.pfwf");
    QFile f(app);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("p310 application");
    f.close();

    ToolResult r =
        RunTool({"write", "--family", "P310", "--pcb", "V3d", "--file", app, "--stick", stick});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_TRUE(r.Out.startsWith("File Copied to USB Stick"));
    QFile w(stick + "/P310_bin/P310V3d.bin");
    ASSERT_TRUE(w.open(QIODevice::ReadOnly));
    EXPECT_EQ(w.readAll(), QByteArray("p310 application"));

    r = RunTool({"wipe", "--family", "K310", "--stick", stick}); // default PCB V4
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(QFileInfo(stick + "/K310_bin/K310V4.bin").size(), 2000);

    r = RunTool({"wipe", "--family", "V8800", "--stick", stick});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.contains("No Wipe file valid for NL9000"));

    r = RunTool({"write", "--family", "K310", "--file", t.filePath("none"), "--stick", stick});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.contains("Application File not Found"));

    // Something that is no firmware container is refused and nothing is written.
    r = RunTool({"write", "--family", "V8800", "--file", app, "--stick", stick, "--serial", "5"});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_FALSE(r.Err.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(stick + "/V88_bin/crane_fw.24h"));

    for (const QStringList& bad :
         {QStringList{"write", "--family", "K310", "--stick", stick},
          QStringList{"write", "--family", "X", "--file", app, "--stick", stick},
          QStringList{"wipe", "--family", "W310", "--pcb", "V3d", "--stick", stick},
          QStringList{"wipe", "--family", "K310", "--pcb", "V9", "--stick", stick},
          QStringList{"sticks", "extra"}})
        EXPECT_EQ(RunTool(bad).ExitCode, 2) << bad.join(' ').toStdString();

    r = RunTool({"sticks"});
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    for (const QString& line : r.Out.split('\n', Qt::SkipEmptyParts))
        EXPECT_EQ(line.count('\t'), 3) << line.toStdString();
}

TEST(ToolUsb, V8800ImageCarriesTheSerialAndTwoTrailingBytes) {
    QTemporaryDir t;
    const QString stick = t.filePath("stick");
    QDir().mkpath(stick);
    const QString container = t.filePath("fw.24d");
    QFile f(container);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(fx::SmallContainer());
    f.close();

    ToolResult r = RunTool(
        {"write", "--family", "V8800", "--file", container, "--stick", stick, "--serial", "1234"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    QFile w(stick + "/V88_bin/crane_fw.24h");
    ASSERT_TRUE(w.open(QIODevice::ReadOnly));
    const QByteArray onStick = w.readAll();
    const QByteArray expected = QByteArray::fromHex("0400D200") + fx::SmallImageText();
    ASSERT_EQ(onStick.size(), expected.size() + 2);
    EXPECT_EQ(onStick.left(expected.size()), expected);

    // stick-image gives the same bytes but for the random tail; serial 0 is four zeros.
    const QString out = t.filePath("image.24h");
    r = RunTool({"stick-image", container, out, "--serial", "1234"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    QFile img(out);
    ASSERT_TRUE(img.open(QIODevice::ReadOnly));
    const QByteArray image = img.readAll();
    EXPECT_EQ(image.size(), onStick.size());
    EXPECT_EQ(image.left(expected.size()), expected);
    img.close();
    r = RunTool({"stick-image", container, out});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    ASSERT_TRUE(img.open(QIODevice::ReadOnly));
    EXPECT_EQ(img.readAll().left(4), QByteArray(4, 0));
    img.close();

    // A damaged container leaves an existing output alone.
    QByteArray damaged = fx::SmallContainer();
    damaged[30] = char(damaged[30] ^ 0x55);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(damaged);
    f.close();
    ASSERT_TRUE(img.open(QIODevice::ReadOnly));
    const QByteArray before = img.readAll();
    img.close();
    r = RunTool({"stick-image", container, out});
    EXPECT_EQ(r.ExitCode, 1);
    ASSERT_TRUE(img.open(QIODevice::ReadOnly));
    EXPECT_EQ(img.readAll(), before);
    EXPECT_EQ(RunTool({"stick-image", container}).ExitCode, 2);
}

} // namespace
