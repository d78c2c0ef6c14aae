#include "devtools_convert.h"
#include "format_fixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(ChangeFileExt, ReplacesOrAddsTheExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/a/fw.24d", "/a/fw.24h"},        {"/a/fw", "/a/fw.24h"}, {"/a.b/fw", "/a.b/fw.24h"},
        {"/a/fw.tar.gz", "/a/fw.tar.24h"}, {"fw.hex", "fw.24h"},   {"/a/.hidden", "/a/.24h"}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(ChangeFileExt(QString::fromLatin1(in), ".24h"), QString::fromLatin1(out)) << in;
}

class DevToolsConvert : public ::testing::Test {
protected:
    QString Put(const char* name, const QByteArray& bytes) {
        QFile f(Dir.filePath(QLatin1String(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    QByteArray Get(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QTemporaryDir Dir;
    tDFUFile Converter;
};

TEST_F(DevToolsConvert, WriteToHexIsSilentOnSuccess) {
    const QString in = Put("fw.24d", fx::SmallContainer());
    const tConvertOutcome o = ConvertContainerFileToHex(Converter, in, ChangeFileExt(in, ".24h"));
    EXPECT_TRUE(o.Ok);
    EXPECT_TRUE(o.Message.isEmpty());
    EXPECT_EQ(Get(Dir.filePath("fw.24h")), QByteArray(4, '\0') + fx::SmallImageText());
}

TEST_F(DevToolsConvert, WriteToDfuIsSilentOnSuccess) {
    const QString in = Put("fw.hex", fx::SmallImageText());
    Put("fw.24d", "older container");
    const tConvertOutcome o = ConvertHexFileToContainer(Converter, in, ChangeFileExt(in, ".24d"));
    EXPECT_TRUE(o.Ok);
    EXPECT_TRUE(o.Message.isEmpty());
    EXPECT_EQ(Get(Dir.filePath("fw.24d")), fx::SmallContainer());
}

// The user's own container must survive a failed "Write to DFU....": picking fw.24d makes
// the target fw.24d as well.
TEST_F(DevToolsConvert, FailedWriteToDfuKeepsTheTarget) {
    const QString in = Put("fw.24d", fx::SmallContainer());
    const tConvertOutcome o = ConvertHexFileToContainer(Converter, in, ChangeFileExt(in, ".24d"));
    EXPECT_FALSE(o.Ok);
    EXPECT_EQ(o.Message, "Invalid Intel Hex file format");
    EXPECT_EQ(o.Icon, MsgIcon::Error);
    EXPECT_EQ(Get(in), fx::SmallContainer());
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(DevToolsConvert, FailedWriteToHexKeepsTheTarget) {
    const QString in =
        Put("bad.24d", fx::WithSuffix(QByteArray(10, '\0') + fx::Le32(0) + fx::Le32(99)));
    const QString target = Put("bad.24h", "old image");
    const tConvertOutcome o = ConvertContainerFileToHex(Converter, in, target);
    EXPECT_FALSE(o.Ok);
    EXPECT_TRUE(o.Message.contains("claims 99 data bytes")) << o.Message.toStdString();
    EXPECT_EQ(Get(target), "old image");
}

TEST_F(DevToolsConvert, UnreadableInputOrUnwritableTargetIsReported) {
    tConvertOutcome o =
        ConvertHexFileToContainer(Converter, Dir.filePath("none.hex"), Dir.filePath("none.24d"));
    EXPECT_FALSE(o.Ok);
    EXPECT_TRUE(o.Message.contains("none.hex"));
    const QString in = Put("fw.24d", fx::SmallContainer());
    o = ConvertContainerFileToHex(Converter, in, Dir.filePath("no/such/dir/fw.24h"));
    EXPECT_FALSE(o.Ok);
    EXPECT_TRUE(o.Message.contains("fw.24h"));
    EXPECT_EQ(o.Icon, MsgIcon::Error);
}

} // namespace
