#include "run_tool.h"

#include <gtest/gtest.h>

TEST(ToolCatalogue, PrintsEveryEntryInTableOrder) {
    const ToolResult r = RunTool({QStringLiteral("catalogue")});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    const QStringList lines = r.Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // 1 V8800 line + K310 9+9+10+10 + P310 4+4 + W310 1 + HX310 6.
    ASSERT_EQ(lines.size(), 54);
    EXPECT_EQ(lines[0], QStringLiteral("V8800\t-\t-\t-\t-\tV88_bin\tcrane_fw.24h"));
    EXPECT_EQ(lines[1], QStringLiteral("K310\tV3c\t0\tK310V3c_Standard_Main_ADS16209.kfwf\t"
                                       "Main Angle Board Standard\tK310_bin\tK310V3c.bin"));
    EXPECT_EQ(lines[38], QStringLiteral("K310\tV4\t9\tK310V4_Main_DualLen_ADS16209.kfwf\t"
                                        "Main Angle Dual Length\tK310_bin\tK310V4.bin"));
    EXPECT_EQ(lines[39], QStringLiteral("P310\tV3d\t0\tP310V3d_Standard_Main.pfwf\t"
                                        "Main Motherboard Standard\tP310_bin\tP310V3d.bin"));
    EXPECT_EQ(lines[47], QStringLiteral("W310\t-\t0\tW310V3a_Standard_Main.wfwf\t"
                                        "Main Relayboard Standard\tW310_bin\tW310V3a.bin"));
    EXPECT_EQ(lines[53], QStringLiteral("HX310\t-\t5\tHX310V1_SerialEntry.hfwf\t"
                                        "NL550 3.5\" Serial Number & Test\tHX310bin\tHX310V1.bin"));
}

TEST(ToolUsage, BadCommandsAndArgumentsExitTwo) {
    for (const QStringList& args :
         {QStringList{}, QStringList{QStringLiteral("frobnicate")},
          QStringList{QStringLiteral("catalogue"), QStringLiteral("x")},
          QStringList{QStringLiteral("catalogue"), QStringLiteral("--y")}}) {
        const ToolResult r = RunTool(args);
        EXPECT_EQ(r.ExitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.Err.contains(QStringLiteral("usage: zentrivo-tool"))) << r.Err.toStdString();
    }
}
