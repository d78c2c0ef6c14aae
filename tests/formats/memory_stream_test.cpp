#include "errors.h"
#include "memory_stream.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(MemoryStream, ReadWriteSeekAndSize) {
    TMemoryStream s;
    s.Write("abcdef", 6);
    EXPECT_EQ(s.Size(), 6);
    EXPECT_EQ(s.Position(), 6);
    s.SetPosition(2);
    s.Write("XY", 2);
    EXPECT_EQ(s.Bytes(), "abXYef");
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 2);
    EXPECT_EQ(QByteArray(buf, 2), "ef");
    EXPECT_EQ(s.Read(buf, 8), 0);
    EXPECT_EQ(s.Seek(-3, TMemoryStream::soEnd), 3);
    EXPECT_EQ(s.Seek(1, TMemoryStream::soCurrent), 4);
    s.SetPosition(9); // writing past the end fills the gap with zeros
    s.Write("Z", 1);
    EXPECT_EQ(s.Bytes(), QByteArray("abXYef\0\0\0Z", 10));
    s.SetSize(3);
    EXPECT_EQ(s.Position(), 3);
    EXPECT_EQ(s.Bytes(), "abX");
    s.Clear();
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Position(), 0);
}

TEST(MemoryStream, SaveReplacesAtomicallyAndLoadReadsBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath("f.bin");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old content that is longer");
    }
    TMemoryStream s(QByteArray("new\0bytes", 9));
    s.SaveToFile(path);
    TMemoryStream r;
    r.Write("junk", 4);
    r.LoadFromFile(path);
    EXPECT_EQ(r.Bytes(), QByteArray("new\0bytes", 9));
    EXPECT_EQ(r.Position(), 0);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"f.bin"});
}

TEST(MemoryStream, FileErrorsThrowAndLeaveNothing) {
    QTemporaryDir dir;
    TMemoryStream s(QByteArray("x"));
    EXPECT_THROW(s.SaveToFile(dir.filePath("missing/f.bin")), EInOutError);
    EXPECT_THROW(s.SaveToFile(dir.path()), EInOutError); // a folder is in the way
    EXPECT_THROW(s.LoadFromFile(dir.filePath("absent.bin")), EInOutError);
    EXPECT_EQ(s.Bytes(), "x") << "a failed load keeps the content";
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

} // namespace
