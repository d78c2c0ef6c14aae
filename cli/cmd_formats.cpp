#include "DFUFile.h"
#include "cli_commands.h"
#include "devtools_convert.h"

namespace cli {

namespace {

QStringList TakePositional(Args& args, int count, const char* what) {
    const QStringList p = args.Positional();
    if (p.size() != count)
        throw UsageError(
            QStringLiteral("%1 takes %2 file names").arg(QLatin1String(what)).arg(count));
    return p;
}

int Report(const tConvertOutcome& o) {
    if (o.Ok)
        return kExitOk;
    err() << o.Message << '\n';
    err().flush();
    return kExitFailure;
}

QString Hex(uint32_t v, int digits) {
    return QString::number(v, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

} // namespace

// to-hex IN.24d OUT.24h [--sernum N]: what "Write to HEX...." does, with a serial number.
int CmdToHex(Args& args) {
    const std::optional<QString> ser = args.Option(QStringLiteral("sernum"));
    const uint32_t serNum = ser ? Args::UInt32(*ser, QStringLiteral("--sernum")) : 0;
    const QStringList p = TakePositional(args, 2, "to-hex");
    tDFUFile converter;
    return Report(ConvertContainerFileToHex(converter, p[0], p[1], serNum));
}

// to-dfu IN.hex OUT.24d: what "Write to DFU...." does.
int CmdToDfu(Args& args) {
    const QStringList p = TakePositional(args, 2, "to-dfu");
    tDFUFile converter;
    return Report(ConvertHexFileToContainer(converter, p[0], p[1]));
}

// check FILE.24d: the result of IsValid by its name.
int CmdCheck(Args& args) {
    const QStringList p = TakePositional(args, 1, "check");
    TMemoryStream ms;
    ms.LoadFromFile(p[0]);
    tDFUFile converter;
    const tDFU_FILE_ERRORS r = converter.IsValid(ms);
    static const char* const kNames[] = {"DFU_FILE_OK", "DFU_INVALID_SIGNATURE",
                                         "DFU_CHECKSUM_ERROR"};
    out() << kNames[r] << '\n';
    out().flush();
    return r == DFU_FILE_OK ? kExitOk : kExitFailure;
}

// info FILE.24d: header, blocks, suffix and whether the CRC holds.
int CmdInfo(Args& args) {
    const QStringList p = TakePositional(args, 1, "info");
    TMemoryStream ms;
    ms.LoadFromFile(p[0]);
    const QByteArray& b = ms.Bytes();
    auto u8 = [&](qint64 i) { return uint32_t(uint8_t(b[i])); };
    auto le16 = [&](qint64 i) { return u8(i) | u8(i + 1) << 8; };
    auto le32 = [&](qint64 i) { return le16(i) | le16(i + 2) << 16; };
    out() << "size: " << b.size() << '\n';
    if (b.size() >= 10)
        out() << "hardware version: 0x" << Hex(le16(0), 4) << "\nstart serial number: " << le32(2)
              << "\nend serial number: " << le32(6) << '\n';
    const tContainerLayout layout = WalkContainerBlocks(ms);
    int i = 0;
    for (const tContainerBlock& blk : layout.Blocks)
        out() << "block " << ++i << ": address 0x" << Hex(blk.Address, 8) << " length "
              << blk.Length << '\n';
    if (b.size() >= 16) {
        const qint64 s = b.size() - 16;
        const uint32_t stored = le32(s + 12);
        const uint32_t computed =
            DfuCrc(reinterpret_cast<const uint8_t*>(b.constData()), size_t(b.size() - 4));
        out() << "bcdDevice: 0x" << Hex(le16(s), 4) << "\nidProduct: 0x" << Hex(le16(s + 2), 4)
              << "\nidVendor: 0x" << Hex(le16(s + 4), 4) << "\nbcdDFU: 0x" << Hex(le16(s + 6), 4)
              << "\nsignature: " << QString::fromLatin1(b.mid(s + 8, 3).toHex().toUpper())
              << "\nbLength: " << u8(s + 11) << "\ndwCRC: 0x" << Hex(stored, 8) << ' '
              << (stored == computed
                      ? QStringLiteral("(holds)")
                      : QStringLiteral("(does not hold; computed 0x%1)").arg(Hex(computed, 8)))
              << '\n';
    }
    out().flush();
    if (!layout.Ok()) {
        err() << layout.Fault << '\n';
        err().flush();
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace cli
