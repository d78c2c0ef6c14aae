#pragma once

#include "catalogue.h"

#include <QByteArray>
#include <QString>
#include <functional>

// Where a page's file goes on the stick, and the bytes that go there.

struct TUsbTarget {
    tSystem Family = stK310;
    int PcbVersion = -1;  // ordinal of the family's PCB version, -1 for none
    QString FolderName;   // "K310_bin"
    QString FileName;     // "K310V4.bin"
    QString RelativePath; // "K310_bin/K310V4.bin"
};

// The family a board page writes for: the page object names of the V8800, P310, W310 and
// HX310 pages give their family; every other page (the K310 page, the e-mail page, ...)
// writes for the K310.
tSystem FamilyOfPage(const QString& pageObjectName);
TUsbTarget UsbTargetFor(tSystem family, int pcbVersion);
TUsbTarget SelectUsbTarget(const QString& pageObjectName, tAngleBrdVer angleBrdVer,
                           tMotherBrdVer motherBrdVer);

// A path below a stick's root, whatever separator the root was written with.
QString StickPath(const QString& root, const QString& relative);

// Creates the family folder on the stick when it is missing; false when it is still missing.
bool PrepareFamilyFolder(const QString& root, const TUsbTarget& target);

// Pseudo-random 16-bit values from 0 to 65534.
class TRandom16 {
public:
    virtual ~TRandom16() = default;
    virtual quint16 Next() = 0;
};
class TSystemRandom16 : public TRandom16 {
public:
    quint16 Next() override;
};

// The four serial number bytes in file order b1, b3, b0, b2 (b0 the least significant).
QByteArray SerialNumberBytes(quint32 serial);
// The value whose little-endian bytes are SerialNumberBytes(serial): what the container
// conversion is given as its serial number.
quint32 V8800SerNum(quint32 serial);

// The container conversion and its check, provided by the firmware formats.
// Check: an empty text when the container may be converted, else the reason for the user.
using TContainerCheck = std::function<QString(const QByteArray& container)>;
// Convert: the image as the container conversion writes it (SerNum, least significant byte
// first, then the Intel HEX text). Throws EZentrivo on failure.
using TContainerToImage = std::function<QByteArray(quint32 SerNum, const QByteArray& container)>;
struct TContainerHooks {
    TContainerCheck Check;
    TContainerToImage Convert;
    bool Available() const { return Check && Convert; }
};

// Appends one random value, least significant byte first: the last two bytes of the image.
QByteArray V8800StickImage(const QByteArray& convertedImage, TRandom16& random);

struct TImageResult {
    QByteArray Image;
    QString Error; // empty on success; else what the user is told
};
// Check, convert with the serial number of the "Serial #" box, add the trailing bytes.
TImageResult BuildV8800StickImage(const QByteArray& container, quint32 serial,
                                  const TContainerHooks& hooks, TRandom16& random);

// 1000 random values, each least significant byte first.
QByteArray WipeFileContent(TRandom16& random);

// Writes `content` as the file `targetPath` without ever leaving a half-written file under
// that name: a temporary file in the same folder is written, flushed to the device and
// renamed over the target, then the target is read back and compared. On failure an older
// target is left as it was (or removed when it was replaced by content that did not read
// back), no temporary file stays behind, and the reason is returned.
struct TStickWriteResult {
    bool Ok = false;
    QString Detail; // for the error log; empty on success
};
TStickWriteResult WriteFileToStick(const QString& targetPath, const QByteArray& content);
