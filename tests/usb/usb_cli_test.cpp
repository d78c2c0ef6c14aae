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

    r = RunTool({"write", "--family", "V8800", "--file", app, "--stick", stick, "--serial", "5"});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_TRUE(r.Err.contains("not available"));
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

} // namespace
