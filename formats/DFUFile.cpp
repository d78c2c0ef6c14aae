#include "DFUFile.h"

#include <cstring>

namespace {

constexpr qint64 kHeaderSize = 10;
constexpr qint64 kSuffixSize = 16;
constexpr qint64 kBlockHeaderSize = 8;
constexpr uint64_t kAddressSpace = uint64_t(1) << 32;

// Slice-by-8 tables: the container CRC runs over whole firmware images.
struct CrcTables {
    uint32_t T[8][256];
    constexpr CrcTables() : T() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
            T[0][i] = c;
        }
        for (uint32_t i = 0; i < 256; ++i)
            for (int s = 1; s < 8; ++s)
                T[s][i] = (T[s - 1][i] >> 8) ^ T[0][T[s - 1][i] & 0xFF];
    }
};
constexpr CrcTables kCrc;

inline uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t Le16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
inline void PutLe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void PutLe16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void WriteLe32(TMemoryStream& s, uint32_t v) {
    uint8_t b[4];
    PutLe32(b, v);
    s.Write(b, 4);
}

const uint8_t* Bytes(const TMemoryStream& s) {
    return reinterpret_cast<const uint8_t*>(s.Memory());
}

QString Hex8(uint32_t v) {
    return QStringLiteral("0x") +
           QString::number(v, 16).toUpper().rightJustified(8, QLatin1Char('0'));
}

// Visits every block of the data area, trusting no length. Returns the fault, or an empty
// text when the blocks fill the data area exactly. Each step advances by at least the
// 8-byte header, so the walk ends after at most (N - 26) / 8 blocks.
template <typename Visit> QString ForEachBlock(const TMemoryStream& s, Visit&& visit) {
    const qint64 end = s.Size() - kSuffixSize;
    const uint8_t* p = Bytes(s);
    qint64 pos = kHeaderSize;
    for (int index = 1; pos < end; ++index) {
        const qint64 left = end - pos;
        if (left < kBlockHeaderSize)
            return QStringLiteral("The firmware container is damaged: block %1 at byte %2 needs "
                                  "an 8-byte header, but the data area ends %3 bytes later.")
                .arg(index)
                .arg(pos)
                .arg(left);
        const uint32_t address = Le32(p + pos);
        const uint32_t length = Le32(p + pos + 4);
        if (qint64(length) > left - kBlockHeaderSize)
            return QStringLiteral("The firmware container is damaged: block %1 at byte %2 "
                                  "(address %3) claims %4 data bytes, but only %5 remain in "
                                  "the data area.")
                .arg(index)
                .arg(pos)
                .arg(Hex8(address))
                .arg(length)
                .arg(left - kBlockHeaderSize);
        if (uint64_t(address) + length > kAddressSpace)
            return QStringLiteral("The firmware container is damaged: block %1 at byte %2 "
                                  "(address %3, %4 bytes) runs past the end of the 32-bit "
                                  "address space.")
                .arg(index)
                .arg(pos)
                .arg(Hex8(address))
                .arg(length);
        visit(tContainerBlock{address, length, pos});
        pos += kBlockHeaderSize + length;
    }
    return QString();
}

} // namespace

uint32_t DfuCrc(const uint8_t* data, size_t count, uint32_t crc) {
    while (count >= 8) {
        const uint32_t a = Le32(data) ^ crc;
        const uint32_t b = Le32(data + 4);
        crc = kCrc.T[7][a & 0xFF] ^ kCrc.T[6][(a >> 8) & 0xFF] ^ kCrc.T[5][(a >> 16) & 0xFF] ^
              kCrc.T[4][a >> 24] ^ kCrc.T[3][b & 0xFF] ^ kCrc.T[2][(b >> 8) & 0xFF] ^
              kCrc.T[1][(b >> 16) & 0xFF] ^ kCrc.T[0][b >> 24];
        data += 8;
        count -= 8;
    }
    while (count--)
        crc = (crc >> 8) ^ kCrc.T[0][(crc ^ *data++) & 0xFF];
    return crc;
}

tContainerLayout WalkContainerBlocks(const TMemoryStream& MsDfuFile) {
    tContainerLayout layout;
    layout.Fault =
        ForEachBlock(MsDfuFile, [&](const tContainerBlock& b) { layout.Blocks.push_back(b); });
    return layout;
}

tContainerCheck CheckContainer(const TMemoryStream& MsDfuFile) {
    tContainerCheck check;
    const qint64 n = MsDfuFile.Size();
    if (n < kSuffixSize) {
        check.SuffixResult = DFU_INVALID_SIGNATURE;
        check.Message = QStringLiteral("The file is not a firmware container: at %1 bytes it is "
                                       "too short to hold a DFU suffix.")
                            .arg(n);
        return check;
    }
    // A converter of its own, so the suffix and header this loads stay out of the
    // program's converter.
    tDFUFile probe;
    TMemoryStream copy = MsDfuFile;
    check.SuffixResult = probe.IsValid(copy);
    if (check.SuffixResult == DFU_CHECKSUM_ERROR) {
        check.Message = QStringLiteral("The firmware container is damaged: its CRC is %1, but "
                                       "its content gives %2.")
                            .arg(Hex8(Le32(probe.DfuSuffix.data() + 12)), Hex8(probe.DFUFileCRC));
        return check;
    }
    if (check.SuffixResult == DFU_INVALID_SIGNATURE) {
        check.Message = QStringLiteral("The file is not a firmware container: its DFU suffix "
                                       "signature is not \"UFD\".");
        return check;
    }
    if (probe.DfuSuffix[11] != kSuffixSize) {
        check.Message = QStringLiteral("The firmware container is damaged: its DFU suffix "
                                       "gives a length of %1 bytes instead of 16.")
                            .arg(probe.DfuSuffix[11]);
        return check;
    }
    if (n < kHeaderSize + kSuffixSize) {
        check.Message = QStringLiteral("The firmware container is damaged: at %1 bytes it is "
                                       "too short for its target header and DFU suffix.")
                            .arg(n);
        return check;
    }
    uint64_t dataBytes = 0;
    check.Message =
        ForEachBlock(MsDfuFile, [&](const tContainerBlock& b) { dataBytes += b.Length; });
    if (!check.Message.isEmpty())
        return check;
    if (dataBytes == 0) {
        check.Message = QStringLiteral("The firmware container holds no firmware data.");
        return check;
    }
    check.Ok = true;
    return check;
}

tDFUFile::tDFUFile() : FHexUtils(std::make_unique<tIntelHexUtils>()) {}

tDFUFile::~tDFUFile() = default;

void tDFUFile::DFUBin2IntelHex(uint32_t SerNum, TMemoryStream& MsDfuFile,
                               TMemoryStream& MsHexFile) {
    // Check the whole structure first: a damaged container must leave the image stream
    // and the converter's state exactly as they were.
    const QString fault = ForEachBlock(MsDfuFile, [](const tContainerBlock&) {});
    if (!fault.isEmpty())
        throw EFirmwareFormatError(fault);

    uint8_t header[kHeaderSize] = {};
    MsDfuFile.SetPosition(0);
    MsDfuFile.Read(header, kHeaderSize);
    TargetInfo.HWVersion = Le16(header);
    TargetInfo.StartSerNum = Le32(header + 2);
    TargetInfo.EndSerNum = Le32(header + 6);
    TotalBytesRead = 0;

    WriteLe32(MsHexFile, SerNum);
    const qint64 area = MsDfuFile.Size() - kHeaderSize - kSuffixSize;
    if (area > 0)
        MsHexFile.Reserve(MsHexFile.Position() + area * 3 + 64);

    // Unlike a 16-bit "last segment" of FFFF, this cannot match the first block, so a
    // first block at FFFF0000 or above still gets its address records; without them every
    // reader would load it at the bottom of memory.
    bool haveSegment = false;
    uint16_t lastSegment = 0;
    auto announce = [&](uint16_t segment) {
        FHexUtils->WriteSLARecord(MsHexFile, segment);
        FHexUtils->WriteELARecord(MsHexFile, segment);
        lastSegment = segment;
        haveSegment = true;
    };

    ForEachBlock(MsDfuFile, [&](const tContainerBlock& block) {
        SectionAddr.SectAddr = block.Address;
        SectionAddr.Segment = uint16_t(block.Address >> 16);
        SectionAddr.Offset = uint16_t(block.Address & 0xFFFF);
        TotalBytesRead += 4;
        if (!haveSegment || SectionAddr.Segment != lastSegment)
            announce(SectionAddr.Segment);
        uint32_t remaining = block.Length;
        TotalBytesRead += 4;
        const uint8_t* data = Bytes(MsDfuFile) + block.HeaderPos + kBlockHeaderSize;
        while (remaining > 0) {
            BytesRead = qMin<uint32_t>(remaining, 16);
            if (uint32_t(SectionAddr.Offset) + BytesRead > 0x10000)
                BytesRead = 0x10000 - SectionAddr.Offset;
            FHexUtils->WriteDataRecord(MsHexFile, SectionAddr.Offset, data, uint8_t(BytesRead));
            data += BytesRead;
            if (uint32_t(SectionAddr.Offset) + BytesRead == 0x10000) {
                ++SectionAddr.Segment;
                SectionAddr.Offset = 0;
                announce(SectionAddr.Segment);
            } else {
                SectionAddr.Offset = uint16_t(SectionAddr.Offset + BytesRead);
            }
            remaining -= BytesRead;
            TotalBytesRead += BytesRead;
        }
    });
    MsDfuFile.SetPosition(kHeaderSize + TotalBytesRead);
    FHexUtils->WriteEOFRecord(MsHexFile);
}

bool tDFUFile::StoreDataRecord(TMemoryStream& MsDfuFile) {
    const uint8_t count = FHexUtils->GetNumDataBytes();
    const uint64_t address = uint64_t(FHexUtils->GetBaseAddress()) + FHexUtils->GetLoadOffSet();
    if (address + count > kAddressSpace)
        return false; // data beyond 4 GiB has no place in a container
    CurrentLoadAddress = uint32_t(address);
    if (FBlockOpen && CurrentLoadAddress == ExpectedLoadAddress) {
        BlockTable.back().Length += count;
    } else {
        ++BlockCount;
        WriteLe32(MsDfuFile, CurrentLoadAddress);
        BlockTable.push_back({MsDfuFile.Position(), count});
        WriteLe32(MsDfuFile, 0);
    }
    MsDfuFile.Write(FHexUtils->Data, count);
    const uint64_t end = address + count;
    ExpectedLoadAddress = uint32_t(end);
    FBlockOpen = end < kAddressSpace;
    return true;
}

tHexToDfuResult tDFUFile::IntelHex2DFUBin(uint32_t /*SerNum*/, TMemoryStream& MsDfuFile,
                                          TMemoryStream& MsHexFile) {
    BlockTable.clear();
    BlockCount = 0;
    TotalBytesRead = 0;
    ExpectedLoadAddress = 0xFFFFFFFFu;
    FBlockOpen = false;
    // Every Intel HEX text starts at base address 0; a base left over from an earlier text
    // would move this one's data.
    FHexUtils->LinearBaseAddress = 0;

    MsDfuFile.Clear();
    const qint64 text = MsHexFile.Size() - MsHexFile.Position();
    if (text > 0)
        MsDfuFile.Reserve(kHeaderSize + text / 2 + kSuffixSize);
    SaveTargetInfo(MsDfuFile);

    auto fail = [](int8_t code, const QString& message) {
        return tHexToDfuResult{false, code, message};
    };
    for (;;) {
        const int8_t code = FHexUtils->ReadRecord(MsHexFile, BytesRead);
        TotalBytesRead += BytesRead;
        switch (code) {
        case ihx::ihDataRecord:
            if (!StoreDataRecord(MsDfuFile))
                return fail(ihx::ihFormatError, dfutext::InvalidFormat);
            break;
        case ihx::ihAddressRecord:
            break;
        case ihx::ihEndOfFile:
        case ihx::ihEndOfText: {
            for (const tBlockTableEntry& e : BlockTable) {
                MsDfuFile.SetPosition(e.Position);
                WriteLe32(MsDfuFile, e.Length);
            }
            AppendSuffix(MsDfuFile);
            CalcDFUChecksum(MsDfuFile);
            SaveDFUChecksum(MsDfuFile);
            return tHexToDfuResult{true, code, QString()};
        }
        case ihx::ihChecksumError:
            return fail(code, dfutext::RecordChecksumError);
        case ihx::ihUnsupportedType:
            return fail(code, dfutext::UnsupportedRecordType);
        case ihx::ihReadError:
            return fail(code, dfutext::FileReadError);
        case ihx::ihFormatError:
        default:
            return fail(code, dfutext::InvalidFormat);
        }
    }
}

tDFU_FILE_ERRORS tDFUFile::IsValid(TMemoryStream& MsDfuFile) {
    const qint64 n = MsDfuFile.Size();
    if (n < kSuffixSize)
        return DFU_INVALID_SIGNATURE; // no room for a suffix at all
    MsDfuFile.SetPosition(n - kSuffixSize);
    MsDfuFile.Read(DfuSuffix.data(), kSuffixSize);
    CalcDFUChecksum(MsDfuFile);
    if (DFUFileCRC != Le32(DfuSuffix.data() + 12))
        return DFU_CHECKSUM_ERROR;
    if (DfuSuffix[8] != 'U' || DfuSuffix[9] != 'F' || DfuSuffix[10] != 'D')
        return DFU_INVALID_SIGNATURE;
    uint8_t header[kHeaderSize];
    MsDfuFile.SetPosition(0);
    MsDfuFile.Read(header, kHeaderSize);
    TargetInfo.HWVersion = Le16(header);
    TargetInfo.StartSerNum = Le32(header + 2);
    TargetInfo.EndSerNum = Le32(header + 6);
    return DFU_FILE_OK;
}

void tDFUFile::SaveTargetInfo(TMemoryStream& MsDfuFile) {
    uint8_t header[kHeaderSize];
    PutLe16(header, TargetInfo.HWVersion);
    PutLe32(header + 2, TargetInfo.StartSerNum);
    PutLe32(header + 6, TargetInfo.EndSerNum);
    MsDfuFile.SetPosition(0);
    MsDfuFile.Write(header, kHeaderSize);
}

void tDFUFile::AppendSuffix(TMemoryStream& MsDfuFile) {
    MsDfuFile.Seek(0, TMemoryStream::soEnd);
    MsDfuFile.Write(DfuSuffix.data(), kSuffixSize);
}

void tDFUFile::CalcDFUChecksum(TMemoryStream& MsDfuFile) {
    const qint64 n = MsDfuFile.Size() - 4;
    DFUFileCRC = DfuCrc(Bytes(MsDfuFile), n > 0 ? size_t(n) : 0);
}

void tDFUFile::SaveDFUChecksum(TMemoryStream& MsDfuFile) {
    PutLe32(DfuSuffix.data() + 12, DFUFileCRC);
    if (MsDfuFile.Size() < 4)
        return;
    MsDfuFile.Seek(-4, TMemoryStream::soEnd);
    MsDfuFile.Write(DfuSuffix.data() + 12, 4);
}

void tDFUFile::SetSuffixVID(uint16_t VendorID) {
    PutLe16(DfuSuffix.data() + 4, VendorID);
}
void tDFUFile::SetSuffixPID(uint16_t ProductID) {
    PutLe16(DfuSuffix.data() + 2, ProductID);
}
void tDFUFile::SetFirmwareVer(uint16_t FWVersion) {
    PutLe16(DfuSuffix.data(), FWVersion);
}
uint16_t tDFUFile::GetSuffixVendorID() const {
    return Le16(DfuSuffix.data() + 4);
}
uint16_t tDFUFile::GetSuffixProductID() const {
    return Le16(DfuSuffix.data() + 2);
}
uint16_t tDFUFile::GetSuffixFWVersion() const {
    return Le16(DfuSuffix.data());
}
