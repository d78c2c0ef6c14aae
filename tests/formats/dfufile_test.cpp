#include "DFUFile.h"
#include "format_fixtures.h"

#include <gtest/gtest.h>

namespace {

QByteArray ToImage(const QByteArray& container, uint32_t serNum = 0) {
    tDFUFile dfu;
    TMemoryStream in = fx::Stream(container), out;
    dfu.DFUBin2IntelHex(serNum, in, out);
    return out.Bytes();
}

tHexToDfuResult ToContainer(tDFUFile& dfu, const QByteArray& text, QByteArray& container) {
    TMemoryStream in = fx::Stream(text), out;
    tHexToDfuResult r = dfu.IntelHex2DFUBin(0, out, in);
    container = out.Bytes();
    return r;
}

TEST(DfuCrc, CheckValueOf123456789) {
    EXPECT_EQ(DfuCrc(reinterpret_cast<const uint8_t*>("123456789"), 9), 0x340BC6D9u);
    std::mt19937 rng(3);
    const QByteArray r = fx::Random(rng, 1001);
    EXPECT_EQ(DfuCrc(reinterpret_cast<const uint8_t*>(r.constData()), size_t(r.size())),
              fx::SlowDfuCrc(r));
}

TEST(ContainerToImage, SmallContainerGivesTheFiveLines) {
    EXPECT_EQ(fx::SmallContainer().size(), 54);
    EXPECT_EQ(ToImage(fx::SmallContainer()), QByteArray(4, '\0') + fx::SmallImageText());
    EXPECT_EQ(ToImage(fx::SmallContainer(), 0x00D20004),
              QByteArray::fromHex("0400D200") + fx::SmallImageText());
}

TEST(ContainerToImage, LoadsTargetInfoAndAppendsAtPosition) {
    tDFUFile dfu;
    TMemoryStream in =
        fx::Stream(fx::Container({{0x100, "ab"}}, QByteArray::fromHex("3412785634120DF0ADDE")));
    TMemoryStream out;
    out.Write("PRE", 3);
    dfu.DFUBin2IntelHex(1, in, out);
    EXPECT_TRUE(out.Bytes().startsWith(QByteArray("PRE\x01\0\0\0", 7)));
    EXPECT_EQ(dfu.GetHardwareVer(), 0x1234);
    EXPECT_EQ(dfu.GetStartSerialNum(), 0x12345678u);
    EXPECT_EQ(dfu.GetEndSerialNum(), 0xDEADF00Du);
}

TEST(ContainerToImage, RecordsAreCutAt64KiBAndSegmentsAnnounced) {
    const QByteArray img = ToImage(fx::Container({{0x0800FFF8, fx::Counting(20)}}));
    const QByteArray expected = QByteArray(4, '\0') + ":0400000508000000EF\r\n:020000040800F2\r\n" +
                                fx::Record(0, 0xFFF8, fx::Counting(8)) +
                                "\r\n:0400000508010000EE\r\n:020000040801F1\r\n" +
                                fx::Record(0, 0x0000, fx::Counting(12, 8)) + "\r\n:00000001FF\r\n";
    EXPECT_EQ(img, expected);
}

TEST(ContainerToImage, BlocksInTheSameSegmentGetNoNewAddressRecords) {
    const QByteArray img =
        ToImage(fx::Container({{0x08000000, "A"}, {0x08000100, "B"}, {0x09000000, "C"}}));
    EXPECT_EQ(img.count(":02000004"), 2);
    EXPECT_EQ(img.count(":04000005"), 2);
}

// A first block in segment FFFF still gets its address records; without them the data
// would be loaded at 0000xxxx.
TEST(ContainerToImage, FirstBlockInTopSegmentIsAnnounced) {
    const QByteArray img = ToImage(fx::Container({{0xFFFF1000, "Z"}}));
    EXPECT_EQ(img, QByteArray(4, '\0') + ":04000005FFFF0000F9\r\n:02000004FFFFFC\r\n" +
                       fx::Record(0, 0x1000, "Z") + "\r\n:00000001FF\r\n");
}

TEST(ContainerToImage, TinyContainersHaveNoBlocks) {
    for (int n : {0, 5, 10, 26}) {
        EXPECT_EQ(ToImage(QByteArray(n, '\x11'), 7), QByteArray("\x07\0\0\0:00000001FF\r\n", 17))
            << n;
    }
}

struct DamagedCase {
    const char* Name;
    QByteArray Container;
    const char* FaultPart;
};

class ContainerDamaged : public ::testing::TestWithParam<DamagedCase> {};

// Header or data past the data area: the conversion stops, names the fault and writes
// nothing, however large the claimed length.
TEST_P(ContainerDamaged, StopsWithMessageAndWritesNothing) {
    tDFUFile dfu;
    dfu.SetHardwareVer(0x4242);
    TMemoryStream in = fx::Stream(GetParam().Container), out;
    out.Write("keep", 4);
    try {
        dfu.DFUBin2IntelHex(0, in, out);
        FAIL() << "no error";
    } catch (const EFirmwareFormatError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String(GetParam().FaultPart))) << e.what();
    }
    EXPECT_EQ(out.Bytes(), "keep");
    EXPECT_EQ(dfu.GetHardwareVer(), 0x4242) << "the header is not loaded";
    const tContainerLayout layout = WalkContainerBlocks(in);
    EXPECT_FALSE(layout.Ok());
    const tContainerCheck check = CheckContainer(in);
    EXPECT_FALSE(check.Ok);
    EXPECT_TRUE(check.Message.contains(QLatin1String(GetParam().FaultPart)))
        << check.Message.toStdString();
}

QByteArray Body(const QByteArray& blocks) {
    return fx::WithSuffix(QByteArray(10, '\0') + blocks);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ContainerDamaged,
    ::testing::Values(
        DamagedCase{"HeaderCutShort", Body(fx::Le32(0x08000000) + "\x01\x00"), "8-byte header"},
        DamagedCase{"HeaderAfterGoodBlock",
                    Body(fx::Le32(0x100) + fx::Le32(1) + "x" + QByteArray(3, '\0')), "block 2"},
        DamagedCase{"LengthOneTooMany", Body(fx::Le32(0x100) + fx::Le32(3) + "ab"), "claims 3"},
        DamagedCase{"HugeLength", Body(fx::Le32(0x100) + fx::Le32(0xFFFFFFFF) + "ab"),
                    "claims 4294967295"},
        DamagedCase{"PastFourGiB", Body(fx::Le32(0xFFFFFFFF) + fx::Le32(2) + "ab"),
                    "32-bit address space"}),
    [](const ::testing::TestParamInfo<DamagedCase>& i) { return std::string(i.param.Name); });

TEST(ImageToContainer, SmallImageTextGivesTheSmallContainer) {
    tDFUFile dfu;
    QByteArray c;
    const tHexToDfuResult r = ToContainer(dfu, fx::SmallImageText(), c);
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(c, fx::SmallContainer());
    TMemoryStream s = fx::Stream(c);
    EXPECT_EQ(dfu.IsValid(s), DFU_FILE_OK);
}

TEST(ImageToContainer, ConsecutiveRecordsMergeGapsOpenBlocks) {
    const QByteArray text = ":020000040800F2\r\n" + fx::Record(0, 0x0000, fx::Counting(16)) +
                            "\r\n" + fx::Record(0, 0x0010, fx::Counting(16, 16)) + "\r\n" +
                            fx::Record(0, 0x0100, "xy") + "\r\n" + fx::Record(0, 0x0080, "z") +
                            "\r\n:00000001FF\r\n";
    tDFUFile dfu;
    QByteArray c;
    ASSERT_TRUE(ToContainer(dfu, text, c).Ok);
    EXPECT_EQ(
        c, fx::Container({{0x08000000, fx::Counting(32)}, {0x08000100, "xy"}, {0x08000080, "z"}}));
    EXPECT_EQ(dfu.BlockCount, 3u);
}

TEST(ImageToContainer, MoreThan255BlocksConvert) {
    QByteArray text;
    std::vector<fx::Block> blocks;
    for (int i = 0; i < 300; ++i) {
        text += fx::Record(0, uint16_t(i * 4), QByteArray(1, char(i))) + "\r\n";
        blocks.push_back({uint32_t(i * 4), QByteArray(1, char(i))});
    }
    text += ":00000001FF\r\n";
    tDFUFile dfu;
    QByteArray c;
    ASSERT_TRUE(ToContainer(dfu, text, c).Ok);
    EXPECT_EQ(dfu.BlockCount, 300u);
    EXPECT_EQ(c, fx::Container(blocks));
}

struct FailCase {
    const char* Name;
    QByteArray Text;
    const char* Message;
};

class ImageToContainerFails : public ::testing::TestWithParam<FailCase> {};

TEST_P(ImageToContainerFails, ShowsTheProgramsText) {
    tDFUFile dfu;
    QByteArray c;
    const tHexToDfuResult r = ToContainer(dfu, GetParam().Text, c);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Message, QLatin1String(GetParam().Message));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImageToContainerFails,
    ::testing::Values(
        FailCase{"NoEndRecord", ":0100000012ED\r\n", "Invalid Intel Hex file format"},
        FailCase{"ImageWithSerialNumber", QByteArray(4, '\0') + fx::SmallImageText(),
                 "Invalid Intel Hex file format"},
        FailCase{"BadChecksum", ":0100000012EE\r\n:00000001FF\r\n", "Record checksum error"},
        FailCase{"SegmentRecord", ":020000021000EC\r\n:00000001FF\r\n",
                 "Unsupported Intel Hex record type"},
        FailCase{"LowerCaseIsFineButBadDigitIsNot", ":0100000012eD\r\n:01000100G2ED\r\n",
                 "Invalid Intel Hex file format"},
        FailCase{"DataPastFourGiB",
                 ":02000004FFFFFC\r\n" + fx::Record(0, 0xFFFF, "ab") + "\r\n:00000001FF\r\n",
                 "Invalid Intel Hex file format"}),
    [](const ::testing::TestParamInfo<FailCase>& i) { return std::string(i.param.Name); });

TEST(ImageToContainer, BaseAddressDoesNotCarryOverButTargetInfoDoes) {
    tDFUFile dfu;
    TMemoryStream in = fx::Stream(
                      fx::Container({{0x100, "q"}}, QByteArray::fromHex("01000200000003000000"))),
                  img;
    dfu.DFUBin2IntelHex(0, in, img);
    QByteArray c;
    ASSERT_TRUE(ToContainer(dfu, ":020000040800F2\r\n:00000001FF\r\n", c).Ok);
    ASSERT_TRUE(ToContainer(dfu, fx::Record(0, 0x10, "a") + "\r\n:00000001FF\r\n", c).Ok);
    EXPECT_EQ(c, fx::Container({{0x10, "a"}}, QByteArray::fromHex("01000200000003000000")));
}

TEST(ImageToContainer, BlockEndingAtFourGiBDoesNotMergeWithAddressZero) {
    const QByteArray text = ":02000004FFFFFC\r\n" + fx::Record(0, 0xFFFE, "ab") +
                            "\r\n:020000040000FA\r\n" + fx::Record(0, 0x0000, "cd") +
                            "\r\n:00000001FF\r\n";
    tDFUFile dfu;
    QByteArray c;
    ASSERT_TRUE(ToContainer(dfu, text, c).Ok);
    EXPECT_EQ(c, fx::Container({{0xFFFFFFFE, "ab"}, {0, "cd"}}));
}

TEST(IsValid, OkChecksumAndSignature) {
    tDFUFile dfu;
    QByteArray good = fx::SmallContainer();
    TMemoryStream s = fx::Stream(good);
    EXPECT_EQ(dfu.IsValid(s), DFU_FILE_OK);
    for (int i = 0; i < good.size() - 4; ++i) {
        QByteArray bad = good;
        bad[i] = char(bad[i] ^ 0x01);
        TMemoryStream b = fx::Stream(bad);
        EXPECT_EQ(dfu.IsValid(b), DFU_CHECKSUM_ERROR) << i;
    }
    QByteArray sig = good.left(38) + QByteArray::fromHex("FFFF00000000100155464510");
    sig = fx::WithSuffix(good.left(38), QByteArray::fromHex("FFFF00000000100155464510"));
    TMemoryStream b = fx::Stream(sig);
    EXPECT_EQ(dfu.IsValid(b), DFU_INVALID_SIGNATURE);
    TMemoryStream tiny = fx::Stream("short");
    EXPECT_EQ(dfu.IsValid(tiny), DFU_INVALID_SIGNATURE);
}

TEST(CheckContainer, NamesWhatIsWrong) {
    struct Case {
        QByteArray Bytes;
        bool Ok;
        const char* Part;
    };
    const QByteArray good = fx::SmallContainer();
    QByteArray flipped = good;
    flipped[20] = 'X';
    const Case cases[] = {
        {good, true, ""},
        {flipped, false, "CRC"},
        {fx::WithSuffix(good.left(38),
                        QByteArray::fromHex("FFFF00000000100155464410").replace(8, 1, "X")),
         false, "signature"},
        {fx::WithSuffix(good.left(38), QByteArray::fromHex("FFFF00000000100155464420")), false,
         "length of 32"},
        {fx::WithSuffix(QByteArray(4, '\0')), false, "too short"},
        {fx::Container({}), false, "no firmware data"},
        {fx::Container({{0x100, ""}}), false, "no firmware data"},
        {QByteArray("tiny"), false, "too short"},
    };
    for (const Case& c : cases) {
        const tContainerCheck r = CheckContainer(fx::Stream(c.Bytes));
        EXPECT_EQ(r.Ok, c.Ok) << c.Bytes.toHex().toStdString();
        EXPECT_TRUE(r.Message.contains(QLatin1String(c.Part))) << r.Message.toStdString();
    }
}

TEST(Setters, SuffixFieldsAreLittleEndian) {
    tDFUFile dfu;
    dfu.SetSuffixVID(0x0483);
    dfu.SetSuffixPID(0xDF11);
    dfu.SetFirmwareVer(0x0200);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(dfu.DfuSuffix.data()), 8),
              QByteArray::fromHex("000211DF83041001"));
    EXPECT_EQ(dfu.GetSuffixVendorID(), 0x0483);
    EXPECT_EQ(dfu.GetSuffixProductID(), 0xDF11);
    EXPECT_EQ(dfu.GetSuffixFWVersion(), 0x0200);
}

// Random containers survive container -> image -> container unchanged.
TEST(RoundTrip, RandomContainers) {
    std::mt19937 rng(11);
    for (int round = 0; round < 20; ++round) {
        std::vector<fx::Block> blocks;
        uint32_t addr = 0x08000000 + (rng() & 0xFFFF);
        for (int b = 0; b < 1 + int(rng() % 6); ++b) {
            blocks.push_back({addr, fx::Random(rng, 1 + int(rng() % 70000))});
            addr += uint32_t(blocks.back().Data.size()) + 1 + (rng() % 0x30000);
        }
        const QByteArray c = fx::Container(blocks);
        tDFUFile dfu;
        TMemoryStream in = fx::Stream(c), img;
        dfu.DFUBin2IntelHex(0, in, img);
        img.SetPosition(4);
        TMemoryStream back;
        ASSERT_TRUE(dfu.IntelHex2DFUBin(0, back, img).Ok);
        EXPECT_EQ(back.Bytes(), c) << round;
    }
}

} // namespace
