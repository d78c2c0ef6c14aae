#include "usb_class.h"

#include "usb_parse.h"

#include <QDir>
#include <QRegularExpression>

const QString TUsbClass::NoDrive = QStringLiteral("-");

TUsbClass::TUsbClass(DriveProvider& drives, DeviceMonitor& monitor)
    : FDrives(drives), FMonitor(monitor) {
    FMonitor.SetHandler(
        [this](UsbChange change, const UsbDeviceStrings& strings) { Changed(change, strings); });
}

TUsbClass::~TUsbClass() {
    FMonitor.SetHandler({});
}

void TUsbClass::Changed(UsbChange change, const UsbDeviceStrings& s) {
    const TOnUsbChangeEvent& handler =
        change == UsbChange::Arrival ? FOnUsbInsertion : FOnUsbRemoval;
    if (handler)
        handler(this, s.DevType, s.DriverName, s.FriendlyName);
}

void TUsbClass::GetDiskDrives(QStringList& ADriveList) const {
    ADriveList.clear();
    ADriveList = FDrives.RemovableDrives();
}

QString TUsbClass::GetVolumeName(const QString& DriveLetter) const {
    return FDrives.VolumeLabel(DriveLetter);
}

QString TUsbClass::GetFirstDiskDrive() const {
    for (const QString& root : FDrives.RemovableDrives()) {
        if (FDrives.DiskSize(root) <= 0)
            continue;
        // Drive letters are answered in capitals; mount points stay as they are.
        static const QRegularExpression letterRoot(QStringLiteral("^[a-z]:"));
        if (letterRoot.match(root).hasMatch())
            return root.left(1).toUpper() + root.mid(1);
        return root;
    }
    return NoDrive;
}

QString TUsbClass::FindDiskDriveByVolumeName(const QString& AVolumeName) const {
    QString found;
    for (const QString& root : FDrives.RemovableDrives())
        if (FDrives.VolumeLabel(root) == AVolumeName)
            found = root;
    return found;
}

QString TUsbClass::DriverLetter(quint32 aUM) {
    return DriveMaskLetter(aUM);
}

quint16 TUsbClass::DriverNumber(QChar Drv) {
    return quint16(Drv.unicode() - 65);
}

qint64 TUsbClass::DiskSize(const QString& root) const {
    if (root == NoDrive || root.isEmpty())
        return -1;
    return FDrives.DiskSize(root);
}

QString TUsbClass::FileSystemName(const QString& root) const {
    if (root == NoDrive || root.isEmpty())
        return QString();
    return FDrives.FileSystemName(root);
}

bool TUsbClass::HasMedia(const QString& root) const {
    const QString wanted = QDir::cleanPath(QDir::fromNativeSeparators(root));
    for (const QString& r : FDrives.RemovableDrives())
        if (QDir::cleanPath(QDir::fromNativeSeparators(r)) == wanted)
            return FDrives.DiskSize(r) > 0;
    return false;
}
