#pragma once

#include <QString>

// The program's named mutex: a Win32 mutex on Windows, an exclusive flock on a file in
// the user's runtime folder elsewhere (the kernel drops it when the process dies).
class NamedMutex {
public:
    // `lockFolder` overrides the runtime folder (tests).
    explicit NamedMutex(QString name, QString lockFolder = {});
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // True when this object now owns the mutex; false when another holder has it or it
    // could not be created.
    bool Acquire();
    void Release();
    bool Owned() const { return FOwned; }

private:
    QString FName;
    QString FFolder;
    bool FOwned = false;
#ifdef _WIN32
    void* FHandle = nullptr;
#else
    int FFd = -1;
#endif
};
