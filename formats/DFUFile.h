#pragma once

#include "errors.h"
#include "intelhex.h"
#include "memory_stream.h"

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// The large display's firmware container (".24d"): a 10-byte target header, address
// blocks (4-byte address, 4-byte length, data), and the 16-byte USB DFU 1.1 file suffix,
// all little-endian. Its image (".24h") is 4 bytes of serial number and Intel HEX text.

enum tDFU_FILE_ERRORS { DFU_FILE_OK = 0, DFU_INVALID_SIGNATURE = 1, DFU_CHECKSUM_ERROR = 2 };

struct SectionAddr_t {
    uint16_t Offset = 0;
    uint16_t Segment = 0;
    uint32_t SectAddr = 0;
};

struct tTargetInfo {
    uint16_t HWVersion = 0;
    uint32_t StartSerNum = 0;
    uint32_t EndSerNum = 0;
};

struct tBlockTableEntry {
    qint64 Position = 0; // stream position of the block's length field
    uint32_t Length = 0;
};

// A container that cannot be converted because its blocks do not fit its data area.
class EFirmwareFormatError : public EZentrivo {
public:
    explicit EFirmwareFormatError(QString message)
        : EZentrivo(std::move(message), "EFirmwareFormatError") {}
};

// The program's texts for a failed Intel HEX to container conversion.
namespace dfutext {
inline const QString RecordChecksumError = QStringLiteral("Record checksum error");
inline const QString InvalidFormat = QStringLiteral("Invalid Intel Hex file format");
inline const QString UnsupportedRecordType = QStringLiteral("Unsupported Intel Hex record type");
inline const QString FileReadError = QStringLiteral("File read error");
} // namespace dfutext

// Outcome of IntelHex2DFUBin. Message holds the text to show with the error icon; it is
// empty when the container was completed.
struct tHexToDfuResult {
    bool Ok = false;
    int8_t Code = 0; // the reader's code that ended the conversion
    QString Message;
};

// One block of a container as found by walking its data area.
struct tContainerBlock {
    uint32_t Address = 0;
    uint32_t Length = 0;
    qint64 HeaderPos = 0; // stream position of the block's address field
};

struct tContainerLayout {
    std::vector<tContainerBlock> Blocks;
    QString Fault; // empty when every block fits the data area
    bool Ok() const { return Fault.isEmpty(); }
};

// Walks the blocks of the data area (bytes 10 to N - 16) without trusting any length:
// stops at the first header or data that runs past the area, or past the 32-bit address
// space, and names it in Fault. A container of 26 bytes or fewer has no blocks.
tContainerLayout WalkContainerBlocks(const TMemoryStream& MsDfuFile);

// Everything worth checking before a container goes to a board: the suffix signature and
// CRC (IsValid), the suffix length, the block structure, and that it holds any data.
struct tContainerCheck {
    bool Ok = false;
    tDFU_FILE_ERRORS SuffixResult = DFU_FILE_OK;
    QString Message; // what is wrong, for the user; empty when Ok
};
tContainerCheck CheckContainer(const TMemoryStream& MsDfuFile);

// CRC of the DFU file suffix (CRC-32, reflected EDB88320, start FFFFFFFF, no final
// inversion) over count bytes.
uint32_t DfuCrc(const uint8_t* data, size_t count, uint32_t crc = 0xFFFFFFFFu);

// Converts containers into Intel HEX images and Intel HEX text into containers. Not
// re-entrant: the target header, the suffix and the block table are shared by all calls,
// and the target header read from a container is used by the next container made.
class tDFUFile {
public:
    tDFUFile();
    ~tDFUFile();
    tDFUFile(const tDFUFile&) = delete;
    tDFUFile& operator=(const tDFUFile&) = delete;

    // Container (read from its start) to image (appended at MsHexFile's position).
    // Throws EFirmwareFormatError, before writing anything or loading the header, when a
    // block does not fit the data area.
    void DFUBin2IntelHex(uint32_t SerNum, TMemoryStream& MsDfuFile, TMemoryStream& MsHexFile);
    // Intel HEX text (from MsHexFile's position) to container (MsDfuFile is replaced).
    // SerNum is not used. On failure MsDfuFile holds the header and the blocks up to the
    // fault, without lengths or suffix; it must not be saved.
    [[nodiscard]] tHexToDfuResult IntelHex2DFUBin(uint32_t SerNum, TMemoryStream& MsDfuFile,
                                                  TMemoryStream& MsHexFile);
    // Loads the suffix and, when valid, the target header from the container.
    tDFU_FILE_ERRORS IsValid(TMemoryStream& MsDfuFile);

    void SaveTargetInfo(TMemoryStream& MsDfuFile);
    void AppendSuffix(TMemoryStream& MsDfuFile);
    void CalcDFUChecksum(TMemoryStream& MsDfuFile);
    void SaveDFUChecksum(TMemoryStream& MsDfuFile);

    void SetSuffixVID(uint16_t VendorID);
    void SetSuffixPID(uint16_t ProductID);
    void SetFirmwareVer(uint16_t FWVersion);
    void SetHardwareVer(uint16_t HWVersion) { TargetInfo.HWVersion = HWVersion; }
    void SetStartSerialNum(uint32_t StartSerNum) { TargetInfo.StartSerNum = StartSerNum; }
    void SetEndSerialNum(uint32_t EndSerNum) { TargetInfo.EndSerNum = EndSerNum; }
    uint16_t GetSuffixVendorID() const;
    uint16_t GetSuffixProductID() const;
    uint16_t GetSuffixFWVersion() const;
    uint16_t GetHardwareVer() const { return TargetInfo.HWVersion; }
    uint32_t GetStartSerialNum() const { return TargetInfo.StartSerNum; }
    uint32_t GetEndSerialNum() const { return TargetInfo.EndSerNum; }

    static constexpr std::array<uint8_t, 16> kDefaultSuffix = {
        0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x10, 0x01, 0x55, 0x46, 0x44, 0x10, 0, 0, 0, 0};

    uint32_t TotalBytesRead = 0;
    uint32_t BytesRead = 0;
    uint32_t DFUFileCRC = 0;
    uint32_t ExpectedLoadAddress = 0xFFFFFFFFu;
    uint32_t CurrentLoadAddress = 0;
    SectionAddr_t SectionAddr;
    tTargetInfo TargetInfo;
    std::array<uint8_t, 16> DfuSuffix = kDefaultSuffix;
    // Grows as needed: the container format puts no limit on the number of blocks.
    std::vector<tBlockTableEntry> BlockTable;
    uint32_t BlockCount = 0;

private:
    bool StoreDataRecord(TMemoryStream& MsDfuFile);

    std::unique_ptr<tIntelHexUtils> FHexUtils;
    // Whether a block is open that the next record may extend; ExpectedLoadAddress alone
    // cannot tell, since FFFFFFFF is also a real address and a block may end at 4 GiB.
    bool FBlockOpen = false;
};
