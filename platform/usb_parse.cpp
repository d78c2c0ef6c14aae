#include "usb_parse.h"

#include <QRegularExpression>

namespace {

QString DecodeMountField(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size()) {
            const QByteArray oct = field.mid(i + 1, 3);
            bool ok = oct.size() == 3;
            for (char d : oct)
                ok = ok && d >= '0' && d <= '7';
            if (ok) {
                out.append(char(oct.toInt(nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return QString::fromUtf8(out);
}

QString Prop(const UdevProperties& p, const char* key) {
    return p.value(QLatin1String(key));
}

// udev's *_ENC value decoded, else the plain value with its '_' stand-ins for blanks.
QString Readable(const UdevProperties& p, const char* encKey, const char* plainKey) {
    const QString enc = Prop(p, encKey);
    if (!enc.isEmpty())
        return DecodeUdevEnc(enc).trimmed();
    QString plain = Prop(p, plainKey);
    return plain.replace(QLatin1Char('_'), QLatin1Char(' ')).trimmed();
}

} // namespace

QList<MountEntry> ParseMountInfo(const QByteArray& text) {
    QList<MountEntry> result;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QList<QByteArray> f = rawLine.trimmed().split(' ');
        // id parent major:minor root mount-point options [optional...] - type source super
        const qsizetype dash = f.indexOf(QByteArray("-"), 6);
        if (f.size() < 10 || dash < 6 || dash + 2 >= f.size())
            continue;
        const QList<QByteArray> dev = f[2].split(':');
        if (dev.size() != 2)
            continue;
        bool okMaj = false, okMin = false;
        MountEntry e;
        e.Major = dev[0].toInt(&okMaj);
        e.Minor = dev[1].toInt(&okMin);
        if (!okMaj || !okMin)
            continue;
        e.Root = DecodeMountField(f[3]);
        e.MountPoint = DecodeMountField(f[4]);
        e.FsType = DecodeMountField(f[dash + 1]);
        e.Source = DecodeMountField(f[dash + 2]);
        result.append(e);
    }
    return result;
}

QList<MountEntry> RemovableMounts(const QList<MountEntry>& mounts,
                                  const std::function<bool(int, int)>& isRemovable) {
    QList<MountEntry> visible;
    for (const MountEntry& m : mounts) {
        // A later mount on the same point hides the earlier one, whatever its device.
        visible.removeIf([&](const MountEntry& v) { return v.MountPoint == m.MountPoint; });
        visible.append(m);
    }
    QList<MountEntry> result;
    for (const MountEntry& m : visible)
        if (m.Root == QLatin1String("/") && m.Major != 0 && isRemovable(m.Major, m.Minor))
            result.append(m);
    return result;
}

UdevProperties ParseUdevProperties(const QByteArray& text) {
    UdevProperties props;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.startsWith("E:"))
            line = line.mid(2);
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        props.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));
    }
    return props;
}

QString DecodeUdevEnc(const QString& text) {
    QByteArray out;
    const QByteArray in = text.toUtf8();
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            bool ok = false;
            const int v = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(v));
                i += 3;
                continue;
            }
        }
        out.append(in[i]);
    }
    return QString::fromUtf8(out);
}

QString WindowsFileSystemName(const QString& fsType, const QString& fsVersion) {
    const QString t = fsType.toLower();
    if (t == QLatin1String("vfat") || t == QLatin1String("msdos")) {
        const QString v = fsVersion.toUpper();
        if (v == QLatin1String("FAT32") || v == QLatin1String("FAT16") ||
            v == QLatin1String("FAT12"))
            return v;
        return QStringLiteral("FAT");
    }
    if (t == QLatin1String("exfat"))
        return QStringLiteral("exFAT");
    if (t == QLatin1String("ntfs") || t == QLatin1String("ntfs3") || t == QLatin1String("fuseblk"))
        return QStringLiteral("NTFS");
    if (t == QLatin1String("udf"))
        return QStringLiteral("UDF");
    if (t == QLatin1String("iso9660"))
        return QStringLiteral("CDFS");
    return fsType;
}

VolumeInfo VolumeFromUdev(const UdevProperties& props, const QString& mountFsType) {
    VolumeInfo v;
    v.Label = Prop(props, "ID_FS_LABEL_ENC").isEmpty()
                  ? Prop(props, "ID_FS_LABEL")
                  : DecodeUdevEnc(Prop(props, "ID_FS_LABEL_ENC"));
    const QString type = Prop(props, "ID_FS_TYPE");
    v.FileSystem = type.isEmpty() ? WindowsFileSystemName(mountFsType, QString())
                                  : WindowsFileSystemName(type, Prop(props, "ID_FS_VERSION"));
    return v;
}

UsbDeviceStrings UsbDeviceStringsFromUdev(const UdevProperties& props) {
    UsbDeviceStrings s;
    // What Windows keeps as the device description: the product's name.
    s.DevType = Prop(props, "ID_MODEL_FROM_DATABASE");
    if (s.DevType.isEmpty())
        s.DevType = Readable(props, "ID_MODEL_ENC", "ID_MODEL");
    s.DriverName = Prop(props, "DRIVER");
    const QString vendor = Prop(props, "ID_VENDOR_FROM_DATABASE").isEmpty()
                               ? Readable(props, "ID_VENDOR_ENC", "ID_VENDOR")
                               : Prop(props, "ID_VENDOR_FROM_DATABASE");
    const QString model = Readable(props, "ID_MODEL_ENC", "ID_MODEL");
    s.FriendlyName = QStringList({vendor, model}).join(QLatin1Char(' ')).trimmed();
    return s;
}

UsbDevicePathIds SplitUsbDevicePath(const QString& path) {
    const QStringList parts = path.split(QLatin1Char('#'));
    if (parts.size() < 3)
        return {};
    return {parts[1], parts[2]};
}

bool MatchesInstanceMask(const QString& keyName, const QString& instanceId) {
    return !instanceId.isEmpty() && keyName.startsWith(instanceId, Qt::CaseInsensitive);
}

QString DriveMaskLetter(quint32 mask) {
    if (mask == 0 || (mask & (mask - 1)) != 0)
        return QString();
    for (int bit = 0; bit < 26; ++bit)
        if (mask == (quint32(1) << bit))
            return QString(QChar(u'A' + bit)) + QLatin1Char(':');
    return QString();
}
