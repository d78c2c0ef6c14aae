#include "run_tool.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Sets an environment variable for the tool runs of one test.
struct ScopedEnv {
    ScopedEnv(const char* name, const QByteArray& value) : Name(name), Old(qgetenv(name)) {
        Had = qEnvironmentVariableIsSet(name);
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (Had)
            qputenv(Name, Old);
        else
            qunsetenv(Name);
    }
    const char* Name;
    QByteArray Old;
    bool Had = false;
};

void MakeFile(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write("fw");
    f.flush();
    ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2024, 3, 15), QTime(10, 20, 31)),
                              QFileDevice::FileModificationTime));
}

QStringList Lines(const QString& out) {
    return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

TEST(ToolList, PrintsTheBodyRowsOfThePcGrid) {
    ScopedEnv locale("LC_ALL", "en_US.UTF-8");
    QTemporaryDir dir;
    MakeFile(dir.filePath(QStringLiteral("K310V3e_LoadOnly.kfwf")));
    const ToolResult r =
        RunTool({"list", "--family", "K310", "--pcb", "V3e", "--folder", dir.path()});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    const QStringList lines = Lines(r.Out);
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[0], QStringLiteral("1\tK310V3e_Main_ADS16209.kfwf\tFile Not Found\t"));
    EXPECT_EQ(lines[7], QStringLiteral("8\tLoad Only (TX Lattice)\t3/15/24\t10:20:30 AM"));
    EXPECT_EQ(lines[9], QStringLiteral("10\tK310V3e_Main_DualLen_ADS16209.kfwf\tFile Not Found\t"));

    // The default versions: V4 for K310 (the V3e file is no V4 entry), V3e for P310.
    EXPECT_EQ(Lines(RunTool({"list", "--family", "k310", "--folder", dir.path()}).Out),
              QStringList{"\tNo Files Found!!\t\t"});
    MakeFile(dir.filePath(QStringLiteral("P310V3e_Compatability_Low.pfwf")));
    const QStringList p310 =
        Lines(RunTool({"list", "--family", "P310", "--folder", dir.path()}).Out);
    ASSERT_EQ(p310.size(), 4);
    EXPECT_EQ(p310[2], QStringLiteral("3\tOlder Lowside Compatibility\t3/15/24\t10:20:30 AM"));
}

TEST(ToolList, DefaultFolderIsUnderTheDocumentsFolder) {
    QTemporaryDir home;
    ScopedEnv h("HOME", home.path().toLocal8Bit());
    ScopedEnv c("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toLocal8Bit());
    ScopedEnv locale("LC_ALL", "en_US.UTF-8");
    MakeFile(
        home.filePath(QStringLiteral("Documents/Zentrivo/W310_mf/W310V3a_Standard_Main.wfwf")));
    // The same name directly in the documents folder is not listed.
    MakeFile(home.filePath(QStringLiteral("Documents/HX310_mf/HX310V1_LMI.hfwf")));
    const ToolResult w = RunTool({"list", "--family", "W310"});
    ASSERT_EQ(w.ExitCode, 0) << w.Err.toStdString();
    EXPECT_EQ(Lines(w.Out), QStringList{"1\tMain Relayboard Standard\t3/15/24\t10:20:30 AM"});
    const ToolResult hx = RunTool({"list", "--family", "HX310"});
    ASSERT_EQ(hx.ExitCode, 0) << hx.Err.toStdString();
    EXPECT_EQ(Lines(hx.Out), QStringList{"\tNo Files Found!!\t\t\t"});
}

TEST(ToolList, BadArgumentsExitTwo) {
    const QStringList cases[] = {
        {"list"},
        {"list", "--family", "X999"},
        {"list", "--family", "V8800"},
        {"list", "--family", "P310", "--pcb", "V3c"},
        {"list", "--family", "K310", "--pcb", "V5"},
        {"list", "--family", "W310", "--pcb", "V3d"},
        {"list", "--family", "K310", "extra"},
        {"list", "--family", "K310", "--colour", "red"},
    };
    for (const QStringList& args : cases) {
        const ToolResult r = RunTool(args);
        EXPECT_EQ(r.ExitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.Out.isEmpty()) << args.join(' ').toStdString();
        EXPECT_TRUE(r.Err.contains(QStringLiteral("usage: zentrivo-tool list")))
            << args.join(' ').toStdString();
    }
}
