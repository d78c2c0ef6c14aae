// Feeds arbitrary bytes to the record reader and both conversions, and checks that what
// converts also converts back to the same memory contents.
#include "DFUFile.h"

#include <cstdlib>
#include <map>

namespace {

// The memory a container describes: address -> byte, later blocks winning.
std::map<uint64_t, uint8_t> Memory(const TMemoryStream& c) {
    std::map<uint64_t, uint8_t> m;
    const tContainerLayout layout = WalkContainerBlocks(c);
    if (!layout.Ok())
        abort();
    const uint8_t* p = reinterpret_cast<const uint8_t*>(c.Memory());
    for (const tContainerBlock& b : layout.Blocks)
        for (uint32_t i = 0; i < b.Length; ++i)
            m[uint64_t(b.Address) + i] = p[b.HeaderPos + 8 + i];
    return m;
}

void Check(bool ok) {
    if (!ok)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // Record reader: every call either takes bytes or reports the end.
    {
        TMemoryStream s(bytes);
        tIntelHexUtils hex;
        for (;;) {
            uint32_t n = 0;
            const qint64 before = s.Position();
            const int8_t code = hex.ReadRecord(s, n);
            Check(s.Position() == before + qint64(n) && s.Position() <= s.Size());
            if (n == 0)
                break;
            (void)code;
        }
    }

    // Intel HEX -> container -> image -> container: same container.
    {
        tDFUFile dfu;
        TMemoryStream text(bytes), c;
        if (dfu.IntelHex2DFUBin(0, c, text).Ok) {
            Check(dfu.IsValid(c) == DFU_FILE_OK);
            Check(WalkContainerBlocks(c).Ok());
            TMemoryStream img, back;
            dfu.DFUBin2IntelHex(0, c, img);
            img.SetPosition(4);
            Check(dfu.IntelHex2DFUBin(0, back, img).Ok);
            Check(Memory(back) == Memory(c));
        }
    }

    // Container -> image -> container: same memory, same header.
    {
        tDFUFile dfu;
        TMemoryStream c(bytes), img;
        try {
            dfu.DFUBin2IntelHex(0x01020304, c, img);
        } catch (const EFirmwareFormatError&) {
            Check(img.Size() == 0);
            return 0;
        }
        img.SetPosition(4);
        TMemoryStream back;
        Check(dfu.IntelHex2DFUBin(0, back, img).Ok);
        if (bytes.size() > 26) {
            Check(Memory(back) == Memory(c));
            Check(back.Bytes().left(10) == bytes.left(10));
        }
    }
    return 0;
}
