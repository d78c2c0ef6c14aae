#include "errors.h"
#include "hive.h"
#include "scripted_dialogs.h"
#include "settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kKey = QStringLiteral("\\software\\Torvanex\\Zentrivo");

struct SettingsFixture : ::testing::Test {
    QTemporaryDir dir;
    RegFileHive hive{dir.path()};
    ScriptedDialogs dialogs;
    tInfo info{hive, dialogs};
    void SetUp() override { info.RegPath = kKey; }
};

} // namespace

TEST_F(SettingsFixture, FirstReadWritesTheDefaultWithItsRegistryType) {
    EXPECT_FALSE(hive.OpenKey(kKey, false));
    QVariant log = info.ReturnVariable(ivLOGWEBUPDATE);
    EXPECT_EQ(log.typeId(), QMetaType::Bool);
    EXPECT_FALSE(log.toBool());
    EXPECT_EQ(hive.ReadValue(kKey, QStringLiteral("Log WebUpdate")), HiveValue::DWord(0));

    QVariant browse = info.ReturnVariable(ivBROWSEBASEPATH);
    EXPECT_EQ(browse.typeId(), QMetaType::QString);
    EXPECT_EQ(browse.toString(), QString());
    EXPECT_EQ(hive.ReadValue(kKey, QStringLiteral("Browse Path")), HiveValue::String(QString()));
    EXPECT_FALSE(hive.ReadValue(kKey, QStringLiteral("Version Check")).has_value());
    EXPECT_TRUE(dialogs.Messages.isEmpty());
}

TEST_F(SettingsFixture, StoredValuesAreReadBack) {
    struct Case {
        const char* name;
        HiveValue stored;
        tINFOVARIABLE entry;
        QVariant expected;
    };
    const Case cases[] = {
        {"non-zero number reads true", HiveValue::DWord(7), ivLOGWEBUPDATE, QVariant(true)},
        {"one reads true", HiveValue::DWord(1), ivLOGWEBUPDATE, QVariant(true)},
        {"zero reads false", HiveValue::DWord(0), ivLOGWEBUPDATE, QVariant(false)},
        {"expandable string accepted", HiveValue::Expand(QStringLiteral("%TEMP%\\fw")),
         ivBROWSEBASEPATH, QVariant(QStringLiteral("%TEMP%\\fw"))},
        {"string", HiveValue::String(QStringLiteral("D:\\fw")), ivBROWSEBASEPATH,
         QVariant(QStringLiteral("D:\\fw"))},
    };
    for (const Case& c : cases) {
        hive.WriteValue(kKey, QString::fromLatin1(InfoEntry(c.entry).Name), c.stored);
        EXPECT_EQ(info.ReturnVariable(c.entry), c.expected) << c.name;
    }
}

TEST_F(SettingsFixture, DateTimeTextRoundTrips) {
    const QString when = QStringLiteral("11/12/2026 14:03:07");
    info.SetVariable(ivLASTVERSIONCHECK, when);
    EXPECT_EQ(info.ReturnVariable(ivLASTVERSIONCHECK).toString(), when);
    info.SetVariable(ivLOGWEBUPDATE, true);
    EXPECT_EQ(hive.ReadValue(kKey, QStringLiteral("Log WebUpdate")), HiveValue::DWord(1));
}

TEST_F(SettingsFixture, WrongRegistryTypeIsAnError) {
    hive.WriteValue(kKey, QStringLiteral("Log WebUpdate"), HiveValue::String(QStringLiteral("1")));
    hive.WriteValue(kKey, QStringLiteral("Browse Path"), HiveValue::DWord(3));
    try {
        info.ReturnVariable(ivLOGWEBUPDATE);
        FAIL() << "no error";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Invalid data type for 'Log WebUpdate'"));
    }
    try {
        info.ReturnVariable(ivBROWSEBASEPATH);
        FAIL() << "no error";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Invalid data type for 'Browse Path'"));
    }
}

TEST_F(SettingsFixture, EmptyRegPathShowsTheBoxAndTouchesNothing) {
    info.RegPath.clear();
    EXPECT_FALSE(info.ReturnVariable(ivLOGWEBUPDATE).isValid());
    info.SetVariable(ivBROWSEBASEPATH, QStringLiteral("x"));
    ASSERT_EQ(dialogs.Messages.size(), 2);
    for (const auto& m : dialogs.Messages) {
        EXPECT_EQ(m.Text, QStringLiteral("Set Info.RegPath"));
        EXPECT_EQ(m.Icon, MsgIcon::Information);
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(SettingsFixture, UnconvertibleValueWritesNothing) {
    EXPECT_THROW(info.SetVariable(ivLOGWEBUPDATE, QStringLiteral("maybe")), EVariantError);
    EXPECT_FALSE(hive.ReadValue(kKey, QStringLiteral("Log WebUpdate")).has_value());
}

TEST_F(SettingsFixture, DamagedFileIsReportedAndLeftAsItWas) {
    const QString file = hive.FileForKey(kKey);
    QDir().mkpath(QFileInfo(file).absolutePath());
    const QByteArray junk = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\software]\r\n\"Browse";
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(junk);
    }
    try {
        info.ReturnVariable(ivBROWSEBASEPATH);
        FAIL() << "no error";
    } catch (const ERegistryException& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("damaged"))) << e.what();
    }
    EXPECT_THROW(info.SetVariable(ivBROWSEBASEPATH, QStringLiteral("x")), ERegistryException);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), junk);
}

TEST_F(SettingsFixture, AllFourTypeCodesUseTheirRegistryForms) {
    const tInfoEntry entries[] = {
        {"T", itText, QVariant(QStringLiteral("abc"))},
        {"I", itInteger, QVariant(qint32(-5))},
        {"F", itFloat, QVariant(2.5)},
        {"B", itBoolean, QVariant(true)},
    };
    const HiveType forms[] = {HiveType::String, HiveType::DWord, HiveType::Binary, HiveType::DWord};
    for (size_t i = 0; i < 4; ++i) {
        const tInfoEntry& e = entries[i];
        EXPECT_EQ(info.ReadEntry(e), e.Default) << e.Name; // default written lazily
        auto stored = hive.ReadValue(kKey, QString::fromLatin1(e.Name));
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->type, forms[i]) << e.Name;
    }
    info.WriteEntry(entries[1], QStringLiteral("42"));
    EXPECT_EQ(info.ReadEntry(entries[1]), QVariant(qint32(42)));
    info.WriteEntry(entries[2], -0.125);
    EXPECT_EQ(info.ReadEntry(entries[2]), QVariant(-0.125));
    EXPECT_THROW(info.WriteEntry(entries[1], QVariant(5e12)), EVariantError);
    EXPECT_EQ(hive.ReadValue(kKey, QStringLiteral("I"))->binary.size(), 0);
}
