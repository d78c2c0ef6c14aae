#include "hive.h"

#include "errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QByteArray kHeader = "REGEDIT4";

QStringList KeyParts(const QString& keyPath) {
    return keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

QString Quote(const QString& s) {
    QString out;
    out.reserve(s.size() + 2);
    out += QLatin1Char('"');
    for (QChar c : s) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        if (c == QLatin1Char('\n')) {
            out += QStringLiteral("\\n");
            continue;
        }
        if (c == QLatin1Char('\r')) {
            out += QStringLiteral("\\r");
            continue;
        }
        out += c;
    }
    out += QLatin1Char('"');
    return out;
}

// Reads a quoted string starting at `pos` (on the opening quote); returns the position
// after the closing quote, or -1.
qsizetype Unquote(const QString& line, qsizetype pos, QString& out) {
    if (pos >= line.size() || line[pos] != QLatin1Char('"'))
        return -1;
    out.clear();
    for (qsizetype i = pos + 1; i < line.size(); ++i) {
        QChar c = line[i];
        if (c == QLatin1Char('"'))
            return i + 1;
        if (c == QLatin1Char('\\')) {
            if (++i >= line.size())
                return -1;
            QChar e = line[i];
            if (e == QLatin1Char('n'))
                out += QLatin1Char('\n');
            else if (e == QLatin1Char('r'))
                out += QLatin1Char('\r');
            else if (e == QLatin1Char('\\') || e == QLatin1Char('"'))
                out += e;
            else
                return -1;
            continue;
        }
        out += c;
    }
    return -1;
}

QString HexBytes(const QByteArray& b) {
    QStringList parts;
    parts.reserve(b.size());
    for (char c : b)
        parts << QStringLiteral("%1").arg(quint8(c), 2, 16, QLatin1Char('0'));
    return parts.join(QLatin1Char(','));
}

bool ParseHexBytes(const QString& s, QByteArray& out) {
    out.clear();
    if (s.trimmed().isEmpty())
        return true;
    for (const QString& part : s.split(QLatin1Char(','))) {
        bool ok = false;
        QString p = part.trimmed();
        if (p.size() != 2)
            return false;
        uint v = p.toUInt(&ok, 16);
        if (!ok)
            return false;
        out.append(char(v));
    }
    return true;
}

// The whole key file, replaced atomically (its folder made first).
bool Save(const QString& file, const QByteArray& text) {
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    QSaveFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(text) == text.size() && out.commit();
}

} // namespace

RegFileHive::RegFileHive(QString rootFolder) : FRoot(std::move(rootFolder)) {}

QString RegFileHive::DefaultRootFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Zentrivo/registry/HKEY_CURRENT_USER");
}

QString RegFileHive::FileForKey(const QString& keyPath) const {
    QStringList parts = KeyParts(keyPath);
    for (QString& p : parts)
        p = p.toLower();
    if (parts.isEmpty())
        return FRoot + QStringLiteral("/_root.reg");
    return FRoot + QLatin1Char('/') + parts.join(QLatin1Char('/')) + QStringLiteral(".reg");
}

QList<RegFileHive::Entry> RegFileHive::Parse(const QByteArray& text, const QString& fileName) {
    auto corrupt = [&](int lineNo) {
        return ERegistryException(
            QStringLiteral("The settings file \"%1\" is damaged (line %2). It was left as it is; "
                           "repair or remove it.")
                .arg(QDir::toNativeSeparators(fileName))
                .arg(lineNo));
    };
    QList<Entry> entries;
    const QList<QByteArray> lines = text.split('\n');
    bool headerSeen = false;
    bool keySeen = false;
    int lineNo = 0;
    for (QByteArray raw : lines) {
        ++lineNo;
        if (raw.endsWith('\r'))
            raw.chop(1);
        QString line = QString::fromUtf8(raw);
        if (line.trimmed().isEmpty())
            continue;
        if (!headerSeen) {
            if (raw.trimmed() != kHeader)
                throw corrupt(lineNo);
            headerSeen = true;
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')) || keySeen)
                throw corrupt(lineNo);
            keySeen = true;
            continue;
        }
        if (!keySeen)
            throw corrupt(lineNo);
        Entry e;
        qsizetype pos = Unquote(line, 0, e.name);
        if (pos < 0 || pos >= line.size() || line[pos] != QLatin1Char('='))
            throw corrupt(lineNo);
        QString rest = line.mid(pos + 1);
        if (rest.startsWith(QLatin1Char('"'))) {
            QString v;
            if (Unquote(rest, 0, v) != rest.size())
                throw corrupt(lineNo);
            e.value = HiveValue::String(v);
        } else if (rest.startsWith(QStringLiteral("dword:"))) {
            QString digits = rest.mid(6);
            bool ok = false;
            quint32 v = digits.toUInt(&ok, 16);
            if (!ok || digits.size() != 8)
                throw corrupt(lineNo);
            e.value = HiveValue::DWord(v);
        } else if (rest.startsWith(QStringLiteral("hex(2):"))) {
            QByteArray b;
            if (!ParseHexBytes(rest.mid(7), b) || (!b.isEmpty() && !b.endsWith('\0')))
                throw corrupt(lineNo);
            if (!b.isEmpty())
                b.chop(1);
            e.value = HiveValue::Expand(QString::fromUtf8(b));
        } else if (rest.startsWith(QStringLiteral("hex:"))) {
            QByteArray b;
            if (!ParseHexBytes(rest.mid(4), b))
                throw corrupt(lineNo);
            e.value = HiveValue::Binary(b);
        } else {
            throw corrupt(lineNo);
        }
        for (const Entry& other : entries)
            if (other.name.compare(e.name, Qt::CaseInsensitive) == 0)
                throw corrupt(lineNo);
        entries.append(e);
    }
    if (!headerSeen && !text.trimmed().isEmpty())
        throw corrupt(1);
    return entries;
}

QByteArray RegFileHive::Format(const QString& keyPath, const QList<Entry>& entries) {
    QString out = QString::fromLatin1(kHeader) + QStringLiteral("\r\n\r\n[HKEY_CURRENT_USER") +
                  (keyPath.startsWith(QLatin1Char('\\')) ? QString() : QStringLiteral("\\")) +
                  keyPath + QStringLiteral("]\r\n");
    for (const Entry& e : entries) {
        out += Quote(e.name) + QLatin1Char('=');
        switch (e.value.type) {
        case HiveType::String:
            out += Quote(e.value.text);
            break;
        case HiveType::ExpandString:
            out += QStringLiteral("hex(2):") + HexBytes(e.value.text.toUtf8() + QByteArray(1, 0));
            break;
        case HiveType::DWord:
            out += QStringLiteral("dword:%1").arg(e.value.dword, 8, 16, QLatin1Char('0'));
            break;
        case HiveType::Binary:
            out += QStringLiteral("hex:") + HexBytes(e.value.binary);
            break;
        }
        out += QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

QList<RegFileHive::Entry> RegFileHive::Load(const QString& file) const {
    QFile f(file);
    if (!f.exists())
        return {};
    if (!f.open(QIODevice::ReadOnly))
        throw ERegistryException(QStringLiteral("The settings file \"%1\" cannot be read: %2")
                                     .arg(QDir::toNativeSeparators(file), f.errorString()));
    return Parse(f.readAll(), file);
}

bool RegFileHive::OpenKey(const QString& keyPath, bool create) {
    const QString file = FileForKey(keyPath);
    if (QFileInfo::exists(file)) {
        Load(file); // a key whose file is damaged cannot be opened
        return true;
    }
    if (!create)
        return false;
    if (!Save(file, Format(keyPath, {})))
        throw ERegistryException(QStringLiteral("Failed to create key %1").arg(keyPath));
    return true;
}

std::optional<HiveValue> RegFileHive::ReadValue(const QString& keyPath, const QString& name) {
    for (const Entry& e : Load(FileForKey(keyPath)))
        if (e.name.compare(name, Qt::CaseInsensitive) == 0)
            return e.value;
    return std::nullopt;
}

void RegFileHive::WriteValue(const QString& keyPath, const QString& name, const HiveValue& value) {
    const QString file = FileForKey(keyPath);
    QList<Entry> entries = Load(file);
    bool replaced = false;
    for (Entry& e : entries) {
        if (e.name.compare(name, Qt::CaseInsensitive) == 0) {
            e.value = value;
            replaced = true;
        }
    }
    if (!replaced)
        entries.append({name, value});
    if (!Save(file, Format(keyPath, entries)))
        throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(name));
}

#ifndef _WIN32
std::unique_ptr<Hive> CreatePlatformHive() {
    return std::make_unique<RegFileHive>(RegFileHive::DefaultRootFolder());
}
#endif
