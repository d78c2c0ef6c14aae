#include "settings.h"

#include "errors.h"
#include "hive.h"
#include "user_dialogs.h"

#include <array>
#include <cstring>

namespace {

const std::array<tInfoEntry, 3> kEntries = {{
    {"Browse Path", itText, QVariant(QString())},
    {"Version Check", itText, QVariant(QString())},
    {"Log WebUpdate", itBoolean, QVariant(false)},
}};

const char* TypeName(tInfoType t) {
    switch (t) {
    case itText:
        return "String";
    case itInteger:
        return "Integer";
    case itFloat:
        return "Double";
    case itBoolean:
        return "Boolean";
    }
    return "Unknown";
}

[[noreturn]] void ConversionError(const QVariant& v, tInfoType to) {
    throw EVariantError(QStringLiteral("Could not convert variant of type (%1) into type (%2)")
                            .arg(QString::fromLatin1(v.typeName() ? v.typeName() : "Empty"),
                                 QString::fromLatin1(TypeName(to))));
}

HiveValue ToHive(const QVariant& v, tInfoType type) {
    bool ok = true;
    switch (type) {
    case itText:
        if (!v.canConvert<QString>())
            ConversionError(v, type);
        return HiveValue::String(v.toString());
    case itInteger: {
        qint32 i = 0;
        if (v.typeId() == QMetaType::QString) {
            i = v.toString().trimmed().toInt(&ok);
        } else if (v.typeId() == QMetaType::Double) {
            double d = v.toDouble();
            ok = d >= -2147483648.0 && d <= 2147483647.0;
            i = qint32(qRound64(d));
        } else {
            qlonglong l = v.toLongLong(&ok);
            ok = ok && l >= INT32_MIN && l <= INT32_MAX;
            i = qint32(l);
        }
        if (!ok)
            ConversionError(v, type);
        return HiveValue::DWord(quint32(i));
    }
    case itFloat: {
        double d = v.typeId() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok)
                                                    : v.toDouble(&ok);
        if (!ok)
            ConversionError(v, type);
        QByteArray b(sizeof d, 0);
        std::memcpy(b.data(), &d, sizeof d);
        return HiveValue::Binary(b);
    }
    case itBoolean: {
        bool value = false;
        if (v.typeId() == QMetaType::Bool) {
            value = v.toBool();
        } else if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed();
            if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
                value = true;
            else if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
                value = false;
            else {
                double d = s.toDouble(&ok);
                if (!ok)
                    ConversionError(v, type);
                value = d != 0;
            }
        } else {
            double d = v.toDouble(&ok);
            if (!ok)
                ConversionError(v, type);
            value = d != 0;
        }
        return HiveValue::DWord(value ? 1 : 0);
    }
    }
    ConversionError(v, type);
}

} // namespace

const tInfoEntry& InfoEntry(tINFOVARIABLE Indx) {
    return kEntries.at(size_t(Indx));
}

QVariant tInfo::ReturnVariableConst(tINFOVARIABLE Indx) const {
    const tInfoEntry& e = InfoEntry(Indx);
    switch (e.Type) {
    case itText:
        return QVariant(e.Default.toString());
    case itInteger:
        return QVariant(qint32(e.Default.toInt()));
    case itFloat:
        return QVariant(e.Default.toDouble());
    case itBoolean:
        return QVariant(e.Default.toBool());
    }
    return e.Default;
}

bool tInfo::OpenKey() {
    if (RegPath.isEmpty()) {
        FDialogs.Message(QStringLiteral("Set Info.RegPath"), MsgIcon::Information);
        return false;
    }
    return reg.OpenKey(RegPath, true);
}

QVariant tInfo::ReadEntry(const tInfoEntry& e) {
    if (!OpenKey())
        return {};
    const QString name = QString::fromLatin1(e.Name);
    // A damaged or unreadable store is reported by the hive in its own words.
    const std::optional<HiveValue> stored = reg.ReadValue(RegPath, name);
    if (!stored) {
        WriteEntry(e, e.Default);
        return e.Default;
    }
    auto invalid = [&] {
        return ERegistryException(QStringLiteral("Invalid data type for '%1'").arg(name));
    };
    switch (e.Type) {
    case itText:
        if (stored->type != HiveType::String && stored->type != HiveType::ExpandString)
            throw invalid();
        return QVariant(stored->text);
    case itInteger:
        if (stored->type != HiveType::DWord)
            throw invalid();
        return QVariant(qint32(stored->dword));
    case itFloat: {
        if (stored->type != HiveType::Binary)
            throw invalid();
        if (stored->binary.size() != int(sizeof(double)))
            throw ERegistryException(QStringLiteral("Failed to get data for '%1'").arg(name));
        double d = 0;
        std::memcpy(&d, stored->binary.constData(), sizeof d);
        return QVariant(d);
    }
    case itBoolean:
        if (stored->type != HiveType::DWord)
            throw invalid();
        return QVariant(stored->dword != 0);
    }
    throw invalid();
}

void tInfo::WriteEntry(const tInfoEntry& e, const QVariant& V) {
    if (!OpenKey())
        return;
    const HiveValue value = ToHive(V, e.Type); // converts before anything is written
    const QString name = QString::fromLatin1(e.Name);
    reg.WriteValue(RegPath, name, value);
}

QVariant tInfo::ReturnVariable(tINFOVARIABLE Indx) {
    return ReadEntry(InfoEntry(Indx));
}

void tInfo::SetVariable(tINFOVARIABLE Indx, const QVariant& V) {
    WriteEntry(InfoEntry(Indx), V);
}
