#include "devtools_convert.h"

#include <QFileInfo>

namespace {

tConvertOutcome Failure(const QString& message) {
    return tConvertOutcome{false, message, MsgIcon::Error, QString()};
}

} // namespace

QString ChangeFileExt(const QString& fileName, const QString& extension) {
    // QFileInfo knows this platform's separators (and drive prefixes on Windows).
    const qsizetype nameStart = fileName.size() - QFileInfo(fileName).fileName().size();
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const qsizetype cut = dot >= nameStart ? dot : fileName.size();
    return fileName.left(cut) + extension;
}

tConvertOutcome ConvertContainerFileToHex(tDFUFile& converter, const QString& containerFile,
                                          const QString& hexFile, uint32_t SerNum) {
    try {
        TMemoryStream MsDfuFile;
        TMemoryStream MsHexFile;
        MsDfuFile.LoadFromFile(containerFile);
        converter.DFUBin2IntelHex(SerNum, MsDfuFile, MsHexFile);
        MsHexFile.SaveToFile(hexFile);
        return tConvertOutcome{true, QString(), MsgIcon::Information, hexFile};
    } catch (const EZentrivo& e) {
        return Failure(e.Message());
    }
}

tConvertOutcome ConvertHexFileToContainer(tDFUFile& converter, const QString& hexFile,
                                          const QString& containerFile) {
    try {
        TMemoryStream MsDfuFile;
        TMemoryStream MsHexFile;
        MsHexFile.LoadFromFile(hexFile);
        const tHexToDfuResult r = converter.IntelHex2DFUBin(0, MsDfuFile, MsHexFile);
        if (!r.Ok)
            return Failure(r.Message); // the partial container is dropped, not saved
        MsDfuFile.SaveToFile(containerFile);
        return tConvertOutcome{true, QString(), MsgIcon::Information, containerFile};
    } catch (const EZentrivo& e) {
        return Failure(e.Message());
    }
}
