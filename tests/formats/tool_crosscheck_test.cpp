// Independent checks of the converter with srec_cat, objcopy and dfu-suffix.
#include "DFUFile.h"
#include "format_fixtures.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

namespace {

int RunTool(const QString& program, const QStringList& args, QString* output = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return -1;
    if (output)
        *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

void Save(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray Load(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Expected memory from the blocks: address -> byte.
std::map<uint64_t, uint8_t> Memory(const std::vector<fx::Block>& blocks) {
    std::map<uint64_t, uint8_t> m;
    for (const fx::Block& b : blocks)
        for (int i = 0; i < b.Data.size(); ++i)
            m[uint64_t(b.Address) + i] = uint8_t(b.Data[i]);
    return m;
}

// Two binary dumps of [lo, hi) with different fills tell data from holes: a data byte is
// the same in both, a hole is 00 in one and FF in the other.
void ExpectSameMemory(const QByteArray& fill00, const QByteArray& fillFF, uint64_t lo,
                      const std::map<uint64_t, uint8_t>& want, const char* tool) {
    ASSERT_EQ(fill00.size(), fillFF.size()) << tool;
    ASSERT_EQ(uint64_t(fill00.size()), want.rbegin()->first + 1 - lo) << tool;
    for (qsizetype i = 0; i < fill00.size(); ++i) {
        const auto it = want.find(lo + i);
        if (it == want.end()) {
            ASSERT_TRUE(uint8_t(fill00[i]) == 0 && uint8_t(fillFF[i]) == 0xFF)
                << tool << ": data in a hole at 0x" << std::hex << lo + i;
        } else {
            ASSERT_TRUE(fill00[i] == fillFF[i] && uint8_t(fill00[i]) == it->second)
                << tool << ": wrong byte at 0x" << std::hex << lo + i;
        }
    }
}

std::vector<fx::Block> RandomBlocks(std::mt19937& rng, uint32_t base) {
    std::vector<fx::Block> blocks;
    uint32_t addr = base + (rng() % 0x100);
    const int count = 2 + int(rng() % 5);
    for (int i = 0; i < count; ++i) {
        // Start some blocks just below a 64 KiB boundary so they cross it.
        if (rng() % 2)
            addr = (addr | 0xFFFF) - (rng() % 40);
        const int len = 1 + int(rng() % 90000);
        blocks.push_back({addr, fx::Random(rng, len)});
        addr += uint32_t(len) + 1 + (rng() % 0x500);
    }
    std::shuffle(blocks.begin(), blocks.end(), rng); // order in the file is free
    return blocks;
}

class ToolCrossCheck : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Path(const char* name) const { return Dir.filePath(QLatin1String(name)); }

    void CheckImage(const std::vector<fx::Block>& blocks) {
        tDFUFile dfu;
        TMemoryStream in = fx::Stream(fx::Container(blocks)), img;
        dfu.DFUBin2IntelHex(0x11223344, in, img);
        ASSERT_EQ(img.Bytes().left(4), QByteArray::fromHex("44332211"));
        Save(Path("img.hex"), img.Bytes().mid(4));
        const auto want = Memory(blocks);
        const uint64_t lo = want.begin()->first, hi = want.rbegin()->first + 1;
        const QString range = QStringLiteral("0x%1").arg(lo, 0, 16);
        const QString end = QStringLiteral("0x%1").arg(hi, 0, 16);
        QString log;
        for (const char* fill : {"0x00", "0xFF"}) {
            ASSERT_EQ(RunTool("srec_cat",
                              {Path("img.hex"), "-Intel", "-fill", fill, range, end, "-offset",
                               "-" + range, "-o", Path(fill[3] == '0' ? "s00.bin" : "sFF.bin"),
                               "-Binary"},
                              &log),
                      0)
                << log.toStdString();
            ASSERT_EQ(RunTool("objcopy",
                              {"-I", "ihex", "-O", "binary", "--gap-fill", fill, Path("img.hex"),
                               Path(fill[3] == '0' ? "o00.bin" : "oFF.bin")},
                              &log),
                      0)
                << log.toStdString();
        }
        ExpectSameMemory(Load(Path("s00.bin")), Load(Path("sFF.bin")), lo, want, "srec_cat");
        ExpectSameMemory(Load(Path("o00.bin")), Load(Path("oFF.bin")), lo, want, "objcopy");
    }
};

TEST_F(ToolCrossCheck, ImageReadsBackInSrecCatAndObjcopy) {
    std::mt19937 rng(2024);
    for (uint32_t base : {0x08000000u, 0x0000F000u, 0x1FFEFFF0u, 0xFFF00000u}) {
        SCOPED_TRACE(base);
        CheckImage(RandomBlocks(rng, base));
    }
}

TEST_F(ToolCrossCheck, FirstBlockInTopSegmentLandsAtItsAddress) {
    std::mt19937 rng(5);
    CheckImage({{0xFFFF8000u, fx::Random(rng, 300)}});
}

TEST_F(ToolCrossCheck, ContainersPassDfuSuffixCheck) {
    std::mt19937 rng(99);
    for (int round = 0; round < 3; ++round) {
        const auto blocks = RandomBlocks(rng, 0x08000000);
        tDFUFile dfu;
        TMemoryStream in = fx::Stream(fx::Container(blocks)), img, back;
        dfu.DFUBin2IntelHex(0, in, img);
        img.SetPosition(4);
        ASSERT_TRUE(dfu.IntelHex2DFUBin(0, back, img).Ok);
        Save(Path("c.24d"), back.Bytes());
        QString log;
        EXPECT_EQ(RunTool("dfu-suffix", {"-c", Path("c.24d")}, &log), 0) << log.toStdString();
        QByteArray broken = back.Bytes();
        broken[11] = char(broken[11] ^ 0x40);
        Save(Path("bad.24d"), broken);
        EXPECT_EQ(RunTool("dfu-suffix", {"-c", Path("bad.24d")}, &log), 65) << log.toStdString();
    }
}

TEST_F(ToolCrossCheck, ObjcopyHexBecomesOneBlock) {
    std::mt19937 rng(77);
    for (int len : {1, 4097, 65536 + 333, 200000}) {
        const QByteArray bin = fx::Random(rng, len);
        Save(Path("r.bin"), bin);
        QString log;
        ASSERT_EQ(RunTool("objcopy",
                          {"-I", "binary", "-O", "ihex", "--change-section-address",
                           ".data=0x08000000", Path("r.bin"), Path("r.hex")},
                          &log),
                  0)
            << log.toStdString();
        tDFUFile dfu;
        TMemoryStream text = fx::Stream(Load(Path("r.hex"))), c;
        ASSERT_TRUE(dfu.IntelHex2DFUBin(0, c, text).Ok);
        EXPECT_EQ(c.Bytes(), fx::Container({{0x08000000, bin}})) << len;
    }
}

} // namespace
