#include "usb_devices.h"

#include <QDir>

namespace {
QString Normal(const QString& root) {
    return QDir::cleanPath(QDir::fromNativeSeparators(root));
}
} // namespace

void FolderDriveProvider::Insert(Stick stick) {
    Remove(stick.Root);
    Sticks.append(std::move(stick));
}

void FolderDriveProvider::Remove(const QString& root) {
    Sticks.removeIf([&](const Stick& s) { return Normal(s.Root) == Normal(root); });
}

const FolderDriveProvider::Stick* FolderDriveProvider::Find(const QString& root) const {
    for (const Stick& s : Sticks)
        if (Normal(s.Root) == Normal(root))
            return &s;
    return nullptr;
}

QStringList FolderDriveProvider::RemovableDrives() {
    QStringList roots;
    for (const Stick& s : Sticks)
        roots << s.Root;
    return roots;
}

QString FolderDriveProvider::VolumeLabel(const QString& root) {
    const Stick* s = Find(root);
    return s && s->Size >= 0 ? s->Label : QString();
}

QString FolderDriveProvider::FileSystemName(const QString& root) {
    const Stick* s = Find(root);
    return s && s->Size >= 0 ? s->FileSystem : QString();
}

qint64 FolderDriveProvider::DiskSize(const QString& root) {
    const Stick* s = Find(root);
    return s ? s->Size : -1;
}
