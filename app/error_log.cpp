#include "error_log.h"

#include "errors.h"
#include "file_paths.h"
#include "user_dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

QString DefaultErrorLogPath() {
    return PlatformErrorLogPath();
}

QString ErrorClassName(const std::exception& e) {
    if (auto* z = dynamic_cast<const EZentrivo*>(&e))
        return QString::fromLatin1(z->ClassName());
    const char* raw = typeid(e).name();
#ifdef __GNUG__
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(raw, nullptr, nullptr, &status), std::free);
    if (status == 0 && demangled)
        return QString::fromLatin1(demangled.get());
#endif
    return QString::fromLatin1(raw);
}

QString ErrorMessage(const std::exception& e) {
    if (auto* z = dynamic_cast<const EZentrivo*>(&e))
        return z->Message();
    return QString::fromLocal8Bit(e.what());
}

namespace {
// The system's date separator, taken from its short date format.
QChar DateSeparator() {
    const QString fmt = QLocale::system().dateFormat(QLocale::ShortFormat);
    for (QChar c : fmt)
        if (!c.isLetter())
            return c;
    return QLatin1Char('/');
}
} // namespace

QString FormatErrorEntry(const std::exception& e, const QDateTime& when) {
    const QChar sep = DateSeparator();
    // "hh:nn am/pm": a two-digit 12-hour clock with a lower-case am or pm.
    const QTime t = when.time();
    int hour12 = t.hour() % 12;
    if (hour12 == 0)
        hour12 = 12;
    const QString time = QStringLiteral("%1:%2 %3")
                             .arg(hour12, 2, 10, QLatin1Char('0'))
                             .arg(t.minute(), 2, 10, QLatin1Char('0'))
                             .arg(t.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm"));
    const QDate d = when.date();
    auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    const QString date = two(d.month()) + sep + two(d.day()) + sep + two(d.year() % 100);
    return QStringLiteral("Error Time Stamp: ") + time + QStringLiteral(" on ") + date +
           QStringLiteral("\r\nError Class: ") + ErrorClassName(e) +
           QStringLiteral("\r\nError Message: ") + ErrorMessage(e) + QStringLiteral("\r\n");
}

bool LogError(const std::exception& e, const QString& logPath) {
    try {
        QDir().mkpath(QFileInfo(logPath).absolutePath());
        QFile f(logPath);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
            return false;
        const QByteArray entry = FormatErrorEntry(e, QDateTime::currentDateTime()).toUtf8();
        return f.write(entry) == entry.size() && f.flush();
    } catch (...) {
        return false;
    }
}

void ErrorHook::ApplicationEvents1Exception(const std::exception& e) {
    LogError(e, FLogPath);
    try {
        FDialogs.Message(ErrorMessage(e), MsgIcon::Error);
    } catch (...) {
        // Nothing more can be done for the user here; the log holds the error.
    }
}

void ErrorHook::ApplicationEvents1Exception() {
    ApplicationEvents1Exception(EZentrivo(QStringLiteral("An unexpected error occurred.")));
}
