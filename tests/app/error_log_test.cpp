#include "error_log.h"
#include "errors.h"
#include "scripted_dialogs.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

TEST(ErrorLog, EntryHasTheThreeLineFormat) {
    const EInOutError e(QStringLiteral("Unable to create directory"));
    const QString entry = FormatErrorEntry(e, QDateTime(QDate(2026, 3, 4), QTime(14, 7, 9)));
    const QStringList lines = entry.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    // The date separator is the system's; any single character stands for it here.
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Error Time Stamp: 02:07 pm on 03.04.26$"))
                    .match(lines[0])
                    .hasMatch())
        << lines[0].toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("Error Class: EInOutError"));
    EXPECT_EQ(lines[2], QStringLiteral("Error Message: Unable to create directory"));
    EXPECT_TRUE(FormatErrorEntry(e, QDateTime(QDate(2026, 3, 4), QTime(0, 5)))
                    .startsWith(QStringLiteral("Error Time Stamp: 12:05 am on ")));
}

TEST(ErrorLog, HookAppendsToTheLogAndShowsTheMessageOnce) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("sub/Zentrivo Error.log"));
    ScriptedDialogs dialogs;
    ErrorHook hook(dialogs, log);
    {
        QDir().mkpath(dir.filePath(QStringLiteral("sub")));
        QFile f(log);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("earlier entry\r\n");
    }
    int reached = 0;
    Guarded(hook, [&] {
        ++reached;
        throw EInOutError(QStringLiteral("Folder cannot be created"));
        ++reached;
    });
    Guarded(hook, [] { throw std::runtime_error("plain failure"); });
    EXPECT_EQ(reached, 1);
    ASSERT_EQ(dialogs.Messages.size(), 2);
    EXPECT_EQ(dialogs.Messages[0].Text, QStringLiteral("Folder cannot be created"));
    EXPECT_EQ(dialogs.Messages[0].Icon, MsgIcon::Error);
    EXPECT_EQ(dialogs.Messages[1].Text, QStringLiteral("plain failure"));
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.startsWith(QStringLiteral("earlier entry\r\nError Time Stamp: ")));
    EXPECT_EQ(text.count(QStringLiteral("Error Time Stamp: ")), 2);
    EXPECT_TRUE(text.contains(QStringLiteral("Error Class: std::runtime_error\r\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("Error Message: plain failure\r\n")));
}

TEST(ErrorLog, UnwritableLogStillShowsTheError) {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    // A folder in the place of the log file cannot be opened for appending.
    const QString log = dir.filePath(QStringLiteral("log"));
    QDir().mkpath(log);
    ErrorHook hook(dialogs, log);
    Guarded(hook, [] { throw EZentrivo(QStringLiteral("boom")); });
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("boom")});
}
