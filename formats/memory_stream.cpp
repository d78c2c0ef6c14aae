#include "memory_stream.h"

#include "errors.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cstring>

void TMemoryStream::SetPosition(qint64 position) {
    FPosition = qMax<qint64>(0, position);
}

qint64 TMemoryStream::Seek(qint64 offset, tSeekOrigin origin) {
    switch (origin) {
    case soBeginning:
        SetPosition(offset);
        break;
    case soCurrent:
        SetPosition(FPosition + offset);
        break;
    case soEnd:
        SetPosition(Size() + offset);
        break;
    }
    return FPosition;
}

void TMemoryStream::SetSize(qint64 size) {
    size = qMax<qint64>(0, size);
    const qint64 old = FData.size();
    FData.resize(size);
    if (size > old)
        std::memset(FData.data() + old, 0, size_t(size - old));
    if (FPosition > size)
        FPosition = size;
}

void TMemoryStream::Clear() {
    FData.clear();
    FPosition = 0;
}

void TMemoryStream::Reserve(qint64 capacity) {
    if (capacity > FData.capacity())
        FData.reserve(capacity);
}

qint64 TMemoryStream::Read(void* buffer, qint64 count) {
    const qint64 available = Size() - FPosition;
    if (count <= 0 || available <= 0)
        return 0;
    const qint64 n = qMin(count, available);
    std::memcpy(buffer, FData.constData() + FPosition, size_t(n));
    FPosition += n;
    return n;
}

void TMemoryStream::Write(const void* buffer, qint64 count) {
    if (count <= 0)
        return;
    const qint64 end = FPosition + count;
    const qint64 old = FData.size();
    if (end > old) {
        // Geometric growth keeps many small writes (one per record) linear overall.
        if (end > FData.capacity())
            FData.reserve(qMax(end, 2 * FData.capacity()));
        FData.resize(end);
        if (FPosition > old)
            std::memset(FData.data() + old, 0, size_t(FPosition - old));
    }
    std::memcpy(FData.data() + FPosition, buffer, size_t(count));
    FPosition = end;
}

void TMemoryStream::LoadFromFile(const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot open file \"%1\": %2")
                              .arg(QDir::toNativeSeparators(fileName), f.errorString()));
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw EInOutError(QStringLiteral("Cannot read file \"%1\": %2")
                              .arg(QDir::toNativeSeparators(fileName), f.errorString()));
    FData = std::move(bytes);
    FPosition = 0;
}

void TMemoryStream::SaveToFile(const QString& fileName) const {
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly))
        throw EInOutError(QStringLiteral("Cannot create file \"%1\": %2")
                              .arg(QDir::toNativeSeparators(fileName), f.errorString()));
    if (f.write(FData) != FData.size() || !f.commit())
        throw EInOutError(QStringLiteral("Cannot write file \"%1\": %2")
                              .arg(QDir::toNativeSeparators(fileName), f.errorString()));
}
