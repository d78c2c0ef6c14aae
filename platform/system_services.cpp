#include "system_services.h"

#include <QDesktopServices>
#include <QDir>
#include <QStandardPaths>
#include <QSysInfo>
#include <QUrl>

#ifdef _WIN32
#include <windows.h>
#endif

QString PlatformSystemServices::DocumentsFolder() const {
    QString path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (path.isEmpty())
        return {};
    path = QDir::cleanPath(path);
    while (path.size() > 1 && (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'))))
        path.chop(1);
    return path;
}

QString PlatformSystemServices::ComputerName() const {
#ifdef _WIN32
    wchar_t buf[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (GetComputerNameW(buf, &size))
        return QString::fromWCharArray(buf, int(size));
    return {};
#else
    return QSysInfo::machineHostName();
#endif
}

bool PlatformSystemServices::OpenUrl(const QString& url) {
    return QDesktopServices::openUrl(QUrl(url));
}
