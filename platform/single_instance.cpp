#include "single_instance.h"

#include <QDir>
#include <QStandardPaths>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

NamedMutex::NamedMutex(QString name, QString lockFolder)
    : FName(std::move(name)), FFolder(std::move(lockFolder)) {}

NamedMutex::~NamedMutex() {
    Release();
}

#ifdef _WIN32
bool NamedMutex::Acquire() {
    if (FOwned)
        return true;
    HANDLE h = CreateMutexW(nullptr, TRUE, reinterpret_cast<LPCWSTR>(FName.utf16()));
    if (h == nullptr)
        return false;
    if (GetLastError() != ERROR_SUCCESS) {
        CloseHandle(h);
        return false;
    }
    FHandle = h;
    FOwned = true;
    return true;
}

void NamedMutex::Release() {
    if (FHandle) {
        ReleaseMutex(FHandle);
        CloseHandle(FHandle);
    }
    FHandle = nullptr;
    FOwned = false;
}
#else
bool NamedMutex::Acquire() {
    if (FOwned)
        return true;
    QString folder = FFolder;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    const QByteArray path = QDir(folder).filePath(FName + QStringLiteral(".lock")).toLocal8Bit();
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    FFd = fd;
    FOwned = true;
    return true;
}

void NamedMutex::Release() {
    if (FFd >= 0) {
        ::flock(FFd, LOCK_UN);
        ::close(FFd);
    }
    FFd = -1;
    FOwned = false;
}
#endif
