#include "run_tool.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// One block of 20 bytes (00..13) at 08000000, zero header, default suffix with its CRC.
const QByteArray kLines = ":0400000508000000EF\r\n:020000040800F2\r\n"
                          ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
                          ":0400100010111213A6\r\n:00000001FF\r\n";

class FormatsCli : public ::testing::Test {
protected:
    QString Put(const QString& name, const QByteArray& bytes) {
        QFile f(Dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    QByteArray Get(const QString& name) {
        QFile f(Dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QTemporaryDir Dir;
};

QByteArray Container20() {
    QByteArray c = QByteArray::fromHex("00000000000000000000"
                                       "00000008"
                                       "14000000");
    for (int i = 0; i < 20; ++i)
        c += char(i);
    return c + QByteArray::fromHex("FFFF00000000100155464410CE9CA2F3");
}

TEST_F(FormatsCli, ToHexAndBackAgain) {
    const QString in = Put("fw.24d", Container20());
    ToolResult r = RunTool({"to-hex", in, Dir.filePath("fw.24h"), "--sernum", "0x00D20004"});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(Get("fw.24h"), QByteArray::fromHex("0400D200") + kLines);
    r = RunTool({"to-hex", in, Dir.filePath("zero.24h")});
    ASSERT_EQ(r.ExitCode, 0);
    EXPECT_EQ(Get("zero.24h"), QByteArray(4, '\0') + kLines);

    Put("fw.hex", kLines);
    r = RunTool({"to-dfu", Dir.filePath("fw.hex"), Dir.filePath("back.24d")});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(Get("back.24d"), Container20());
}

TEST_F(FormatsCli, FailedConversionLeavesExistingOutputAlone) {
    struct Case {
        const char* Command;
        QByteArray Input;
        const char* Message;
    };
    const Case cases[] = {
        {"to-dfu", QByteArray(4, '\0') + kLines, "Invalid Intel Hex file format"},
        {"to-dfu", ":0100000012EE\r\n:00000001FF\r\n", "Record checksum error"},
        {"to-dfu", ":020000021000EC\r\n:00000001FF\r\n", "Unsupported Intel Hex record type"},
        {"to-hex",
         QByteArray::fromHex("00000000000000000000"
                             "00000008"
                             "FF000000"
                             "0102") +
             QByteArray(16, '\0'),
         "claims 255 data bytes"},
    };
    for (const Case& c : cases) {
        const QString in = Put("in.bin", c.Input);
        const QString outFile = Put("out.bin", "precious");
        const ToolResult r = RunTool({c.Command, in, outFile});
        EXPECT_EQ(r.ExitCode, 1) << c.Message;
        EXPECT_TRUE(r.Err.contains(QLatin1String(c.Message))) << r.Err.toStdString();
        EXPECT_EQ(Get("out.bin"), "precious");
        EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files).size(), 2) << "no temporary left";
    }
    const ToolResult r = RunTool({"to-dfu", Dir.filePath("nope.hex"), Dir.filePath("new.24d")});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_FALSE(QFile::exists(Dir.filePath("new.24d")));
}

TEST_F(FormatsCli, CheckNamesTheResult) {
    QByteArray crc = Container20();
    crc[12] = 'X';
    QByteArray sig = Container20();
    sig[46] = 'X'; // suffix changed, CRC not: the CRC test comes first
    QByteArray ufx =
        Container20().left(38) + QByteArray::fromHex("FFFF0000000010015546581093C1D515");
    struct Case {
        QByteArray Bytes;
        int Exit;
        const char* Out;
    } cases[] = {{Container20(), 0, "DFU_FILE_OK"},
                 {crc, 1, "DFU_CHECKSUM_ERROR"},
                 {sig, 1, "DFU_CHECKSUM_ERROR"},
                 {ufx, 1, "DFU_INVALID_SIGNATURE"}};
    for (const Case& c : cases) {
        const ToolResult r = RunTool({"check", Put("c.24d", c.Bytes)});
        EXPECT_EQ(r.ExitCode, c.Exit);
        EXPECT_EQ(r.Out.trimmed(), QLatin1String(c.Out));
    }
}

TEST_F(FormatsCli, InfoListsHeaderBlocksAndSuffix) {
    ToolResult r = RunTool({"info", Put("c.24d", Container20())});
    ASSERT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_TRUE(r.Out.contains("block 1: address 0x08000000 length 20\n")) << r.Out.toStdString();
    EXPECT_TRUE(r.Out.contains("bcdDFU: 0x0110\n"));
    EXPECT_TRUE(r.Out.contains("dwCRC: 0xF3A29CCE (holds)"));
    QByteArray bad = Container20();
    bad[20] = 'X';
    r = RunTool({"info", Put("d.24d", bad)});
    EXPECT_TRUE(r.Out.contains("does not hold")) << r.Out.toStdString();
}

TEST(FormatsCliUsage, WrongArgumentsExitTwo) {
    for (const QStringList& a :
         {QStringList{"to-hex", "a"}, QStringList{"to-dfu"}, QStringList{"check"},
          QStringList{"info", "a", "b"}, QStringList{"to-hex", "a", "b", "--sernum", "x"}}) {
        const ToolResult r = RunTool(a);
        EXPECT_EQ(r.ExitCode, 2) << a.join(' ').toStdString();
    }
}

} // namespace
