#include "format_fixtures.h"
#include "intelhex.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

struct ReadCase {
    const char* Name;
    QByteArray Text;
    int8_t Code;
    uint32_t BytesRead;
};

class IntelHexRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IntelHexRead, ResultCodeAndBytesTaken) {
    const ReadCase& c = GetParam();
    TMemoryStream ms = fx::Stream(c.Text);
    tIntelHexUtils hex;
    uint32_t bytesRead = 12345;
    EXPECT_EQ(hex.ReadRecord(ms, bytesRead), c.Code);
    EXPECT_EQ(bytesRead, c.BytesRead);
    EXPECT_EQ(ms.Position(), qint64(c.BytesRead)) << "the stream moves on by what was taken";
}

const QByteArray k255 = fx::Record(0x00, 0x1000, fx::Counting(255, 1));

INSTANTIATE_TEST_SUITE_P(
    Cases, IntelHexRead,
    ::testing::Values(
        ReadCase{"EofWithCrLf", ":00000001FF\r\n", -7, 13},
        ReadCase{"EofAtEndOfStream", ":00000001FF", -7, 11},
        ReadCase{"EofWithCrOnly", ":00000001FF\r:00", -7, 12},
        ReadCase{"Ela", ":020000040800F2\r\n", 0, 17},
        ReadCase{"Sla", ":0400000508000000EF\r\n", 0, 21},
        ReadCase{"Data16", ":10000000000102030405060708090A0B0C0D0E0F78\r\n", -5, 45},
        ReadCase{"Data0", ":0000000000\r\n", -5, 13},
        ReadCase{"Data255", k255 + "\r\n", -5, uint32_t(k255.size() + 2)},
        ReadCase{"LowerCaseDigits", ":10000000000102030405060708090a0b0c0d0e0f78\r\n", -5, 45},
        ReadCase{"WrongLastChecksumDigit", ":10000000000102030405060708090A0B0C0D0E0F79\r\n", -3,
                 45},
        ReadCase{"UnsupportedTypeWithBadChecksumIsChecksumError", ":020000020000FD\r\n", -3, 17},
        ReadCase{"Type02", ":020000021000EC\r\n", -8, 17},
        ReadCase{"Type03", ":0400000300003800C1\r\n", -8, 21},
        ReadCase{"Type06", ":00000006FA\r\n", -8, 13},
        ReadCase{"NoColon", "00000001FF\r\n", -2, 12},
        ReadCase{"OtherFirstChar", ";00000001FF\r\n", -2, 13},
        ReadCase{"EmptyLine", "\r\n:00000001FF\r\n", -2, 2}, ReadCase{"EndOfStream", "", -2, 0},
        ReadCase{"LeadingSerialNumberBytes", QByteArray("\x04\x00\xD2\x00", 4) + ":00000001FF\r\n",
                 -2, 17},
        // A malformed line is a format error, never decoded from stale buffer contents.
        ReadCase{"NonHexDigitInData", ":02000000G10000\r\n", -2, 17},
        ReadCase{"NonHexDigitInLength", ":0X0000000000\r\n", -2, 15},
        ReadCase{"NonHexDigitInChecksum", ":00000001F \r\n", -2, 13},
        ReadCase{"ShorterThanLengthField", ":10000000000102030405060708090A0B0C0D0E0F\r\n", -2, 43},
        ReadCase{"OnlyColon", ":\r\n", -2, 3},
        ReadCase{"TrailingCharacters", ":00000001FF  \r\n", -2, 15},
        // LF alone is no line end, so LF-separated records run together into one line.
        ReadCase{"LfOnlyLineEnds", ":020000040800F2\n:00000001FF\n", -2, 28},
        // Reading stops after 622 characters; such a line can never be a valid record.
        ReadCase{"LongerThan622", QByteArray(":") + QByteArray(700, '0') + "\r\n", -2, 622},
        ReadCase{"ElaWithoutItsTwoBytes", ":00000004FC\r\n", -2, 13},
        ReadCase{"ElaWithThreeBytes", ":0300000408000000F1\r\n", -2, 21}),
    [](const ::testing::TestParamInfo<ReadCase>& i) { return std::string(i.param.Name); });

TEST(IntelHexReadFields, AddressRecordsAndDataRecordFields) {
    TMemoryStream ms = fx::Stream(":020000040800F2\r\n"
                                  ":0400000508000000EF\r\n" +
                                  fx::Record(0x00, 0x1234, QByteArray::fromHex("AB01CD")) +
                                  "\r\n:0400000509000000EE\r\n");
    tIntelHexUtils hex;
    EXPECT_EQ(hex.GetBaseAddress(), 0u);
    uint32_t n = 0;
    ASSERT_EQ(hex.ReadRecord(ms, n), 0);
    EXPECT_EQ(hex.GetBaseAddress(), 0x08000000u);
    ASSERT_EQ(hex.ReadRecord(ms, n), 0);
    EXPECT_EQ(hex.GetBaseAddress(), 0x08000000u) << "type 05 leaves the base alone";
    ASSERT_EQ(hex.ReadRecord(ms, n), -5);
    EXPECT_EQ(hex.GetNumDataBytes(), 3);
    EXPECT_EQ(hex.GetLoadOffSet(), 0x1234);
    EXPECT_EQ(hex.GetBaseAddress() + hex.GetLoadOffSet(), 0x08001234u);
    EXPECT_EQ(hex.TypeRec, 0);
    EXPECT_EQ(hex.Checksum, hex.Data[3]);
    uint8_t buf[3] = {};
    hex.CopyData(buf);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buf), 3), QByteArray::fromHex("AB01CD"));
    ASSERT_EQ(hex.ReadRecord(ms, n), 0);
    EXPECT_EQ(hex.GetBaseAddress(), 0x08000000u);
    EXPECT_EQ(hex.ReadRecord(ms, n), -2);
    EXPECT_EQ(n, 0u);
}

TEST(IntelHexReadFields, Full255ByteRecordIsCoveredByItsChecksum) {
    QByteArray line = k255;
    TMemoryStream ms = fx::Stream(line);
    tIntelHexUtils hex;
    uint32_t n = 0;
    ASSERT_EQ(hex.ReadRecord(ms, n), -5);
    EXPECT_EQ(hex.GetNumDataBytes(), 255);
    EXPECT_EQ(hex.Data[254], 255);
    // Change one data byte near the end: the checksum no longer holds.
    line[9 + 2 * 250] = line[9 + 2 * 250] == '0' ? '1' : '0';
    TMemoryStream bad = fx::Stream(line);
    EXPECT_EQ(hex.ReadRecord(bad, n), -3);
}

struct WriteCase {
    const char* Name;
    std::function<void(tIntelHexUtils&, TMemoryStream&)> Write;
    QByteArray Line;
};

class IntelHexWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IntelHexWrite, WritesOneUpperCaseLineWithCrLf) {
    tIntelHexUtils hex;
    TMemoryStream ms;
    ms.Write("XY", 2); // writes go to the stream's position, after what is there
    GetParam().Write(hex, ms);
    EXPECT_EQ(ms.Bytes(), "XY" + GetParam().Line + "\r\n");
    EXPECT_EQ(ms.Position(), ms.Size());
    EXPECT_EQ(hex.CalcCheckSum(), hex.Data[hex.nBytes]);
}

const uint8_t kCounting16[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
const uint8_t kAB[2] = {0xAB, 0xCD};

INSTANTIATE_TEST_SUITE_P(
    Cases, IntelHexWrite,
    ::testing::Values(
        WriteCase{"Ela", [](auto& h, auto& m) { h.WriteELARecord(m, 0x0800); }, ":020000040800F2"},
        WriteCase{"ElaKeepsLow16Bits",
                  [](auto& h, auto& m) { h.WriteELARecord(m, 0x123450801ull); }, ":020000040801F1"},
        WriteCase{"Sla", [](auto& h, auto& m) { h.WriteSLARecord(m, 0x0800); },
                  ":0400000508000000EF"},
        WriteCase{"SlaNextSegment", [](auto& h, auto& m) { h.WriteSLARecord(m, 0x0801); },
                  ":0400000508010000EE"},
        WriteCase{"Data16", [](auto& h, auto& m) { h.WriteDataRecord(m, 0x0000, kCounting16, 16); },
                  ":10000000000102030405060708090A0B0C0D0E0F78"},
        WriteCase{"UpperCaseDigits", [](auto& h, auto& m) { h.WriteDataRecord(m, 0xFFAB, kAB, 2); },
                  ":02FFAB00ABCDDC"},
        WriteCase{"Eof", [](auto& h, auto& m) { h.WriteEOFRecord(m); }, ":00000001FF"}),
    [](const ::testing::TestParamInfo<WriteCase>& i) { return std::string(i.param.Name); });

TEST(IntelHexWriteThenRead, EveryDataRecordLengthRoundTrips) {
    std::mt19937 rng(7);
    for (int size = 0; size <= 255; ++size) {
        const QByteArray data = fx::Random(rng, size);
        const uint16_t offset = uint16_t(rng());
        tIntelHexUtils writer;
        TMemoryStream ms;
        writer.WriteDataRecord(ms, offset, reinterpret_cast<const uint8_t*>(data.constData()),
                               uint8_t(size));
        EXPECT_EQ(ms.Size(), 13 + 2 * size);
        ms.SetPosition(0);
        tIntelHexUtils reader;
        uint32_t n = 0;
        ASSERT_EQ(reader.ReadRecord(ms, n), -5) << size;
        EXPECT_EQ(n, uint32_t(13 + 2 * size));
        EXPECT_EQ(reader.GetLoadOffSet(), offset);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(reader.Data), size), data) << size;
    }
}

} // namespace
