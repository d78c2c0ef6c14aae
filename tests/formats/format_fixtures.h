#pragma once

#include "memory_stream.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <random>
#include <vector>

// Containers and Intel HEX texts built by hand, independently of the converter.
namespace fx {

struct Block {
    uint32_t Address;
    QByteArray Data;
};

inline QByteArray Le32(uint32_t v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (8 * i));
    return b;
}

// Bit-by-bit CRC of the DFU suffix: reflected EDB88320, start FFFFFFFF, no final inversion.
inline uint32_t SlowDfuCrc(const QByteArray& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (char ch : bytes) {
        crc ^= uint8_t(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return crc;
}

inline QByteArray DefaultSuffixWithoutCrc() {
    return QByteArray::fromHex("FFFF00000000100155464410");
}

inline QByteArray WithSuffix(QByteArray body,
                             const QByteArray& suffix12 = DefaultSuffixWithoutCrc()) {
    body += suffix12;
    body += Le32(SlowDfuCrc(body));
    return body;
}

inline QByteArray Container(const std::vector<Block>& blocks,
                            const QByteArray& header = QByteArray(10, '\0')) {
    QByteArray body = header;
    for (const Block& b : blocks)
        body += Le32(b.Address) + Le32(uint32_t(b.Data.size())) + b.Data;
    return WithSuffix(body);
}

inline QByteArray Counting(int n, int start = 0) {
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char(start + i);
    return b;
}

inline QByteArray Random(std::mt19937& rng, int n) {
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char(rng() & 0xFF);
    return b;
}

// The small container of the format description: one block of 20 bytes (00..13) at
// 08000000, zero target header, default suffix. It is 54 bytes long.
inline QByteArray SmallContainer() {
    return QByteArray::fromHex("0000"
                               "00000000"
                               "00000000"
                               "00000008"
                               "14000000"
                               "000102030405060708090A0B0C0D0E0F10111213"
                               "FFFF00000000100155464410"
                               "CE9CA2F3");
}

inline QByteArray SmallImageText() {
    return QByteArray(":0400000508000000EF\r\n"
                      ":020000040800F2\r\n"
                      ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
                      ":0400100010111213A6\r\n"
                      ":00000001FF\r\n");
}

// One Intel HEX record line (no line end) with its checksum computed here.
inline QByteArray Record(uint8_t type, uint16_t offset, const QByteArray& data) {
    QByteArray raw;
    raw += char(data.size());
    raw += char(offset >> 8);
    raw += char(offset & 0xFF);
    raw += char(type);
    raw += data;
    uint8_t sum = 0;
    for (char c : raw)
        sum = uint8_t(sum + uint8_t(c));
    raw += char(uint8_t(0x100 - sum));
    return ":" + raw.toHex().toUpper();
}

inline TMemoryStream Stream(const QByteArray& bytes) {
    return TMemoryStream(bytes);
}

} // namespace fx
