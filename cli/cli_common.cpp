#include "cli_common.h"

#include <cstdio>

namespace cli {

QTextStream& out() {
    static QTextStream s(stdout);
    return s;
}

QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

std::optional<QString> Args::Option(const QString& name) {
    const QString flag = QStringLiteral("--") + name;
    for (qsizetype i = 0; i < FArgs.size(); ++i) {
        if (FArgs[i] == flag) {
            if (i + 1 >= FArgs.size())
                throw UsageError(QStringLiteral("option %1 needs a value").arg(flag));
            QString v = FArgs[i + 1];
            FArgs.remove(i, 2);
            return v;
        }
        if (FArgs[i].startsWith(flag + QLatin1Char('='))) {
            QString v = FArgs[i].mid(flag.size() + 1);
            FArgs.remove(i);
            return v;
        }
    }
    return std::nullopt;
}

bool Args::Flag(const QString& name) {
    const QString flag = QStringLiteral("--") + name;
    const qsizetype i = FArgs.indexOf(flag);
    if (i < 0)
        return false;
    FArgs.remove(i);
    return true;
}

QStringList Args::Positional() const {
    for (const QString& a : FArgs)
        if (a.startsWith(QStringLiteral("--")))
            throw UsageError(QStringLiteral("unknown option %1").arg(a));
    return FArgs;
}

quint32 Args::UInt32(const QString& text, const QString& what) {
    bool ok = false;
    const qulonglong v = text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)
                             ? text.mid(2).toULongLong(&ok, 16)
                             : text.toULongLong(&ok, 10);
    if (!ok || v > 0xFFFFFFFFull)
        throw UsageError(QStringLiteral("%1 must be a number from 0 to 4294967295").arg(what));
    return quint32(v);
}

int PcbVersionArg(tSystem family, const QString& familyName, const std::optional<QString>& pcb) {
    if (!pcb)
        return DefaultPcbVersion(family);
    const QStringList versions = PcbVersionCaptions(family);
    const int version = int(versions.indexOf(*pcb));
    if (version < 0)
        throw UsageError(versions.isEmpty()
                             ? QStringLiteral("%1 has no PCB versions").arg(familyName)
                             : QStringLiteral("unknown PCB version \"%1\" (%2)")
                                   .arg(*pcb, versions.join(QStringLiteral(", "))));
    return version;
}

} // namespace cli
