#include "errors.h"
#include "hive.h"
#include "single_instance.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kKey = QStringLiteral("\\software\\Torvanex\\Zentrivo");

} // namespace

TEST(RegFileHive, ValuesOfEveryTypeRoundTripThroughTheFile) {
    QTemporaryDir dir;
    const QList<std::pair<QString, HiveValue>> values = {
        {QStringLiteral("Text"), HiveValue::String(QStringLiteral("C:\\Fw \"new\"\nline äö"))},
        {QStringLiteral("Empty"), HiveValue::String(QString())},
        {QStringLiteral("Expand"), HiveValue::Expand(QStringLiteral("%USERPROFILE%\\x"))},
        {QStringLiteral("Number"), HiveValue::DWord(0xDEADBEEF)},
        {QStringLiteral("Blob"), HiveValue::Binary(QByteArray("\x00\x01\xff", 3))},
    };
    {
        RegFileHive hive(dir.path());
        ASSERT_TRUE(hive.OpenKey(kKey, true));
        for (const auto& [name, value] : values)
            hive.WriteValue(kKey, name, value);
    }
    RegFileHive again(dir.path());
    for (const auto& [name, value] : values) {
        auto read = again.ReadValue(kKey, name);
        ASSERT_TRUE(read.has_value()) << name.toStdString();
        EXPECT_EQ(*read, value) << name.toStdString();
    }
    // Value names and key paths are case-insensitive, as in the registry.
    EXPECT_TRUE(again.ReadValue(kKey.toUpper(), QStringLiteral("number")).has_value());
    EXPECT_FALSE(again.ReadValue(kKey, QStringLiteral("Missing")).has_value());
}

TEST(RegFileHive, WritesRegeditSyntaxOneFilePerKey) {
    QTemporaryDir dir;
    RegFileHive hive(dir.path());
    hive.WriteValue(kKey, QStringLiteral("Log WebUpdate"), HiveValue::DWord(1));
    const QString file = hive.FileForKey(kKey);
    EXPECT_EQ(file, dir.path() + QStringLiteral("/software/torvanex/zentrivo.reg"));
    const QByteArray text = ReadAll(file);
    EXPECT_TRUE(text.startsWith("REGEDIT4\r\n"));
    EXPECT_TRUE(text.contains("[HKEY_CURRENT_USER\\software\\Torvanex\\Zentrivo]"));
    EXPECT_TRUE(text.contains("\"Log WebUpdate\"=dword:00000001\r\n"));
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/software/torvanex/zentrivo")));
}

TEST(RegFileHive, OpenKeyWithoutCreateReportsAMissingKey) {
    QTemporaryDir dir;
    RegFileHive hive(dir.path());
    EXPECT_FALSE(hive.OpenKey(kKey, false));
    EXPECT_TRUE(hive.OpenKey(kKey, true));
    EXPECT_TRUE(hive.OpenKey(kKey, false));
}

TEST(RegFileHive, DamagedFileIsReportedAndNeverRewritten) {
    const QList<QByteArray> damaged = {
        "not a registry file\r\n",
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n\"A\"=dword:zz\r\n",
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n\"A\"=\"unterminated\r\n",
        "REGEDIT4\r\n\r\n\"A\"=\"no key line\"\r\n",
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n\"A\"=hex:1,2\r\n",
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n\"A\"=\"1\"\r\n\"a\"=\"2\"\r\n",
    };
    for (const QByteArray& text : damaged) {
        QTemporaryDir dir;
        RegFileHive hive(dir.path());
        const QString file = hive.FileForKey(kKey);
        WriteAll(file, text);
        EXPECT_THROW(hive.ReadValue(kKey, QStringLiteral("A")), ERegistryException) << text.data();
        EXPECT_THROW(hive.WriteValue(kKey, QStringLiteral("A"), HiveValue::DWord(1)),
                     ERegistryException);
        EXPECT_THROW(hive.OpenKey(kKey, true), ERegistryException);
        EXPECT_EQ(ReadAll(file), text);
    }
}

TEST(RegFileHive, UnreadableFileIsAnError) {
    QTemporaryDir dir;
    RegFileHive hive(dir.path());
    // A folder in the place of the key's file cannot be read, not even by root.
    ASSERT_TRUE(QDir().mkpath(hive.FileForKey(kKey)));
    EXPECT_THROW(hive.ReadValue(kKey, QStringLiteral("A")), ERegistryException);
    EXPECT_THROW(hive.WriteValue(kKey, QStringLiteral("A"), HiveValue::DWord(1)),
                 ERegistryException);
    EXPECT_TRUE(QFileInfo(hive.FileForKey(kKey)).isDir());
}

TEST(NamedMutex, SecondHolderIsRefusedUntilTheFirstLetsGo) {
    QTemporaryDir dir;
    NamedMutex first(QStringLiteral("Zentrivo"), dir.path());
    NamedMutex second(QStringLiteral("Zentrivo"), dir.path());
    NamedMutex other(QStringLiteral("Other"), dir.path());
    ASSERT_TRUE(first.Acquire());
    EXPECT_FALSE(second.Acquire());
    EXPECT_TRUE(other.Acquire());
    first.Release();
    EXPECT_TRUE(second.Acquire());
}
