#include "stick_files.h"

#include "errors.h"
#include "usb_messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

tSystem FamilyOfPage(const QString& pageObjectName) {
    for (tSystem s : {stV8800, stP310, stW310, stHX310})
        if (pageObjectName == PageObjectName(s))
            return s;
    return stK310;
}

TUsbTarget UsbTargetFor(tSystem family, int pcbVersion) {
    TUsbTarget t;
    t.Family = family;
    t.PcbVersion = DefaultPcbVersion(family) < 0 ? -1 : pcbVersion;
    t.FolderName = UsbFolderNames(family);
    t.FileName = UsbTargetName(family, t.PcbVersion);
    t.RelativePath = UsbTargetRelativePath(family, t.PcbVersion);
    return t;
}

TUsbTarget SelectUsbTarget(const QString& pageObjectName, tAngleBrdVer angleBrdVer,
                           tMotherBrdVer motherBrdVer) {
    const tSystem family = FamilyOfPage(pageObjectName);
    const int pcb = family == stK310 ? int(angleBrdVer) : family == stP310 ? int(motherBrdVer) : -1;
    return UsbTargetFor(family, pcb);
}

QString StickPath(const QString& root, const QString& relative) {
    return QDir::cleanPath(QDir::fromNativeSeparators(root) + QLatin1Char('/') + relative);
}

bool PrepareFamilyFolder(const QString& root, const TUsbTarget& target) {
    const QString folder = StickPath(root, target.FolderName);
    if (QFileInfo(folder).isDir())
        return true;
    return QDir().mkpath(folder);
}

quint16 TSystemRandom16::Next() {
    return quint16(QRandomGenerator::global()->bounded(65535u));
}

QByteArray SerialNumberBytes(quint32 serial) {
    const auto b = [serial](int i) { return char((serial >> (8 * i)) & 0xFF); };
    QByteArray out;
    out.append(b(1)).append(b(3)).append(b(0)).append(b(2));
    return out;
}

quint32 V8800SerNum(quint32 serial) {
    const QByteArray b = SerialNumberBytes(serial);
    return quint32(quint8(b[0])) | quint32(quint8(b[1])) << 8 | quint32(quint8(b[2])) << 16 |
           quint32(quint8(b[3])) << 24;
}

namespace {
void AppendWord(QByteArray& out, quint16 v) {
    out.append(char(v & 0xFF)).append(char(v >> 8));
}
} // namespace

QByteArray V8800StickImage(const QByteArray& convertedImage, TRandom16& random) {
    QByteArray image = convertedImage;
    AppendWord(image, random.Next());
    return image;
}

TImageResult BuildV8800StickImage(const QByteArray& container, quint32 serial,
                                  const TContainerHooks& hooks, TRandom16& random) {
    if (!hooks.Available())
        return {{}, usbtext::ConverterMissing};
    const QString problem = hooks.Check(container);
    if (!problem.isEmpty())
        return {{}, problem};
    const QByteArray converted = hooks.Convert(V8800SerNum(serial), container);
    // The board reads its serial number from the first four bytes; never write an image
    // that does not carry the one the user typed.
    if (!converted.startsWith(SerialNumberBytes(serial)))
        return {{}, usbtext::FileCopyError};
    return {V8800StickImage(converted, random), {}};
}

QByteArray WipeFileContent(TRandom16& random) {
    QByteArray out;
    out.reserve(2000);
    for (int i = 0; i < 1000; ++i)
        AppendWord(out, random.Next());
    return out;
}

TStickWriteResult WriteFileToStick(const QString& targetPath, const QByteArray& content) {
    QSaveFile file(targetPath);
    // Never fall back to writing the target in place: a pulled stick would leave half a file.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return {false, QStringLiteral("%1: %2").arg(targetPath, file.errorString())};
    if (file.write(content) != content.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        file.commit(); // removes the temporary file
        return {false, QStringLiteral("%1: %2").arg(targetPath, why)};
    }
    // commit() flushes, syncs the file to the device and renames it over the target.
    if (!file.commit())
        return {false, QStringLiteral("%1: %2").arg(targetPath, file.errorString())};

    QFile back(targetPath);
    QByteArray read;
    if (back.open(QIODevice::ReadOnly))
        read = back.readAll();
    const bool same = back.error() == QFileDevice::NoError && read == content;
    back.close();
    if (!same) {
        // Content that does not read back must not stay where the board would load it.
        QFile::remove(targetPath);
        return {
            false,
            QStringLiteral("%1: the file read back differs from what was written").arg(targetPath)};
    }
    return {true, {}};
}
