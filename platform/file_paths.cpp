#include "file_paths.h"

#include <QFileInfo>
#include <QStandardPaths>

bool IsSameFilePath(const QString& a, const QString& b) {
#ifdef _WIN32
    const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    return QString::compare(QFileInfo(a).absoluteFilePath(), QFileInfo(b).absoluteFilePath(), cs) ==
           0;
}

QString PlatformErrorLogPath() {
#ifdef _WIN32
    return QStringLiteral("C:/Users/Public/Zentrivo Error.log");
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Zentrivo/Zentrivo Error.log");
#endif
}
