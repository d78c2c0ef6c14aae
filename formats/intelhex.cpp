#include "intelhex.h"

#include <array>
#include <cstring>

namespace {

// Value of a hexadecimal digit, or -1. Lower-case digits are accepted: other tools write
// them, and their meaning is unambiguous.
constexpr std::array<int8_t, 256> MakeDigitTable() {
    std::array<int8_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[size_t(i)] = -1;
    for (int i = 0; i < 10; ++i)
        t[size_t('0' + i)] = int8_t(i);
    for (int i = 0; i < 6; ++i) {
        t[size_t('A' + i)] = int8_t(10 + i);
        t[size_t('a' + i)] = int8_t(10 + i);
    }
    return t;
}
constexpr std::array<int8_t, 256> kDigit = MakeDigitTable();
constexpr char kHexDigits[] = "0123456789ABCDEF";

// The byte from two digits at p, or -1 when either is not a digit.
inline int DecodeByte(const char* p) {
    const int hi = kDigit[uint8_t(p[0])];
    const int lo = kDigit[uint8_t(p[1])];
    if ((hi | lo) < 0)
        return -1;
    return (hi << 4) | lo;
}

inline char* EncodeByte(char* p, uint8_t v) {
    p[0] = kHexDigits[v >> 4];
    p[1] = kHexDigits[v & 0x0F];
    return p + 2;
}

} // namespace

int8_t tIntelHexUtils::ReadRecord(TMemoryStream& Ms, uint32_t& BytesRead) {
    BytesRead = 0;
    const qint64 available = Ms.Size() - Ms.Position();
    const char* p = available > 0 ? Ms.Memory() + Ms.Position() : nullptr;

    // Take bytes up to CR (consumed, not stored, with an LF right after it), the end of
    // the stream, or a full line buffer, whichever comes first.
    const qint64 window = qMin<qint64>(qMax<qint64>(available, 0), kMaxLine);
    const void* cr = window > 0 ? std::memchr(p, '\r', size_t(window)) : nullptr;
    qint64 stored = cr ? static_cast<const char*>(cr) - p : window;
    qint64 consumed = stored;
    if (cr) {
        ++consumed;
        if (consumed < available && p[consumed] == '\n')
            ++consumed;
    }
    if (stored > 0)
        std::memcpy(TxtLine, p, size_t(stored));
    TxtLen = int(stored);
    Ms.Seek(consumed, TMemoryStream::soCurrent);
    BytesRead = uint32_t(consumed);

    if (stored == 0 || TxtLine[0] != ':')
        return ihx::ihFormatError;
    // ":LLAAAATTCC" at the least; the line must hold exactly the LL data bytes, so a short
    // line, trailing characters or text run together without CR are all rejected rather
    // than decoded from whatever the buffer holds.
    if (stored < 11)
        return ihx::ihFormatError;
    const int ll = DecodeByte(TxtLine + 1);
    if (ll < 0 || stored != 11 + 2 * ll)
        return ihx::ihFormatError;
    const int aHi = DecodeByte(TxtLine + 3);
    const int aLo = DecodeByte(TxtLine + 5);
    const int tt = DecodeByte(TxtLine + 7);
    if ((aHi | aLo | tt) < 0)
        return ihx::ihFormatError;
    uint8_t bytes[256];
    const char* d = TxtLine + 9;
    for (int i = 0; i <= ll; ++i, d += 2) {
        const int v = DecodeByte(d);
        if (v < 0)
            return ihx::ihFormatError;
        bytes[i] = uint8_t(v);
    }
    nBytes = uint8_t(ll);
    OffSet = uint16_t((aHi << 8) | aLo);
    TypeRec = uint8_t(tt);
    std::memcpy(Data, bytes, size_t(ll) + 1);
    Checksum = Data[nBytes];

    if (CalcCheckSum() != Checksum)
        return ihx::ihChecksumError;

    switch (TypeRec) {
    case 0x00:
        return ihx::ihDataRecord;
    case 0x01:
        return ihx::ihEndOfFile;
    case 0x04:
        // The base address comes from exactly two bytes; any other length would take it
        // from the checksum or a stale byte.
        if (nBytes != 2)
            return ihx::ihFormatError;
        LinearBaseAddress = uint32_t((Data[0] << 8) | Data[1]) << 16;
        return ihx::ihAddressRecord;
    case 0x05:
        return ihx::ihAddressRecord;
    default:
        return ihx::ihUnsupportedType;
    }
}

uint8_t tIntelHexUtils::CalcCheckSum() const {
    unsigned sum = nBytes + (OffSet >> 8) + (OffSet & 0xFF) + TypeRec;
    for (int i = 0; i < nBytes; ++i)
        sum += Data[i];
    return uint8_t(0x100 - (sum & 0xFF));
}

void tIntelHexUtils::CopyData(uint8_t* pData) const {
    std::memcpy(pData, Data, nBytes);
}

void tIntelHexUtils::WriteRecord(TMemoryStream& Ms) {
    Data[nBytes] = CalcCheckSum();
    char* p = TxtLine;
    *p++ = ':';
    p = EncodeByte(p, nBytes);
    p = EncodeByte(p, uint8_t(OffSet >> 8));
    p = EncodeByte(p, uint8_t(OffSet & 0xFF));
    p = EncodeByte(p, TypeRec);
    for (int i = 0; i <= nBytes; ++i)
        p = EncodeByte(p, Data[i]);
    *p++ = '\r';
    *p++ = '\n';
    TxtLen = int(p - TxtLine);
    Ms.Write(TxtLine, TxtLen);
}

void tIntelHexUtils::WriteSLARecord(TMemoryStream& Ms, uint16_t Segment) {
    nBytes = 4;
    OffSet = 0;
    TypeRec = 0x05;
    Data[0] = uint8_t(Segment >> 8);
    Data[1] = uint8_t(Segment & 0xFF);
    Data[2] = 0;
    Data[3] = 0;
    WriteRecord(Ms);
}

void tIntelHexUtils::WriteELARecord(TMemoryStream& Ms, uint64_t Segment) {
    nBytes = 2;
    OffSet = 0;
    TypeRec = 0x04;
    Data[0] = uint8_t((Segment >> 8) & 0xFF);
    Data[1] = uint8_t(Segment & 0xFF);
    WriteRecord(Ms);
}

void tIntelHexUtils::WriteDataRecord(TMemoryStream& Ms, uint16_t OffsetParm, const uint8_t* pData,
                                     uint8_t Size) {
    nBytes = Size;
    OffSet = OffsetParm;
    TypeRec = 0x00;
    std::memcpy(Data, pData, Size);
    WriteRecord(Ms);
}

void tIntelHexUtils::WriteEOFRecord(TMemoryStream& Ms) {
    nBytes = 0;
    OffSet = 0;
    TypeRec = 0x01;
    WriteRecord(Ms);
}
