#pragma once

#include "memory_stream.h"

#include <cstdint>

// Result codes of tIntelHexUtils::ReadRecord.
namespace ihx {
constexpr int8_t ihAddressRecord = 0;    // type 04 or 05 accepted
constexpr int8_t ihReadError = -1;       // never returned by the reader; the converter handles it
constexpr int8_t ihFormatError = -2;     // no ":", empty line, end of text, malformed line
constexpr int8_t ihChecksumError = -3;   // checksum mismatch
constexpr int8_t ihEndOfText = -4;       // never returned by the reader; treated as end of file
constexpr int8_t ihDataRecord = -5;      // type 00; fetch it with the getters and CopyData
constexpr int8_t ihEndOfFile = -7;       // type 01
constexpr int8_t ihUnsupportedType = -8; // 02, 03, 06..FF
} // namespace ihx

// Reads Intel HEX records one at a time from a memory stream and writes the record types
// the container converter produces. All text is 8-bit ASCII. It holds the record last read
// or written; only a type 04 record read changes the base address, which is kept from
// record to record.
class tIntelHexUtils {
public:
    static constexpr int kMaxLine = 622;

    tIntelHexUtils() = default;

    // Reads the record at the stream's position; BytesRead gets the bytes it took, the
    // line end included. Never throws, never reads past the stream.
    int8_t ReadRecord(TMemoryStream& Ms, uint32_t& BytesRead);

    void WriteSLARecord(TMemoryStream& Ms, uint16_t Segment);
    // Only the low 16 bits of Segment are written.
    void WriteELARecord(TMemoryStream& Ms, uint64_t Segment);
    void WriteDataRecord(TMemoryStream& Ms, uint16_t OffsetParm, const uint8_t* pData,
                         uint8_t Size);
    void WriteEOFRecord(TMemoryStream& Ms);

    // Checksum of the record held in nBytes, OffSet, TypeRec and Data.
    uint8_t CalcCheckSum() const;
    // Copies the nBytes data bytes of the record last read.
    void CopyData(uint8_t* pData) const;

    uint8_t GetNumDataBytes() const { return nBytes; }
    uint16_t GetLoadOffSet() const { return OffSet; }
    uint32_t GetBaseAddress() const { return LinearBaseAddress; }

    // The record: its text (TxtLen characters of TxtLine, from the colon), its data bytes
    // followed by the checksum at index nBytes, and its fields.
    char TxtLine[kMaxLine] = {};
    int TxtLen = 0;
    uint8_t Data[256] = {};
    uint8_t nBytes = 0;
    uint8_t TypeRec = 0;
    uint8_t Checksum = 0;
    uint16_t OffSet = 0;
    uint32_t LinearBaseAddress = 0;

private:
    void WriteRecord(TMemoryStream& Ms);
};
