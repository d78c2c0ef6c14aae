#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// A seekable byte stream held in memory. Whole files travel through it: the converters
// read and write nothing but such streams, and the callers load and save the files.
class TMemoryStream {
public:
    enum tSeekOrigin { soBeginning, soCurrent, soEnd };

    TMemoryStream() = default;
    // Starts at position 0 over a copy of the bytes (implicitly shared, so cheap).
    explicit TMemoryStream(QByteArray bytes) : FData(std::move(bytes)) {}

    qint64 Size() const { return FData.size(); }
    qint64 Position() const { return FPosition; }
    // Any position from 0 up is allowed; reading there yields nothing, writing there
    // first fills the gap with zero bytes.
    void SetPosition(qint64 position);
    // Returns the new position.
    qint64 Seek(qint64 offset, tSeekOrigin origin);
    // Cuts or extends (with zero bytes); a position past the new end moves to it.
    void SetSize(qint64 size);
    void Clear();
    // Makes room for that many bytes without changing the size, for writers that know
    // roughly how much they will produce.
    void Reserve(qint64 capacity);

    // Copies up to count bytes from the position, advances, returns how many it copied.
    qint64 Read(void* buffer, qint64 count);
    // Writes at the position, growing the stream as needed, and advances.
    void Write(const void* buffer, qint64 count);

    // The stream's bytes; valid until the next call that changes the stream.
    const char* Memory() const { return FData.constData(); }
    const QByteArray& Bytes() const { return FData; }

    // Replaces the content with the file's bytes; position 0. Throws EInOutError.
    void LoadFromFile(const QString& fileName);
    // Writes the whole content to the file through a temporary file in the same folder
    // that is renamed over the target only when complete, so a failure never leaves a
    // half-written file under that name. Throws EInOutError; the position is unchanged.
    void SaveToFile(const QString& fileName) const;

private:
    QByteArray FData;
    qint64 FPosition = 0;
};
