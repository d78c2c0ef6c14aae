#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// The registry of the current user, reduced to what the program needs: keys addressed by
// a backslash path, values with the four registry types the settings store uses.
enum class HiveType { String, ExpandString, DWord, Binary };

struct HiveValue {
    HiveType type = HiveType::String;
    QString text;      // String, ExpandString
    quint32 dword = 0; // DWord
    QByteArray binary; // Binary

    static HiveValue String(const QString& s) { return {HiveType::String, s, 0, {}}; }
    static HiveValue Expand(const QString& s) { return {HiveType::ExpandString, s, 0, {}}; }
    static HiveValue DWord(quint32 v) { return {HiveType::DWord, {}, v, {}}; }
    static HiveValue Binary(const QByteArray& b) { return {HiveType::Binary, {}, 0, b}; }
    bool operator==(const HiveValue&) const = default;
};

// All operations throw ERegistryException when the store cannot be read or written;
// a store that cannot be parsed is reported, never replaced.
class Hive {
public:
    virtual ~Hive() = default;
    // Opens the key, creating it when `create` is set. Returns false when it does not
    // exist and was not to be created.
    virtual bool OpenKey(const QString& keyPath, bool create) = 0;
    virtual std::optional<HiveValue> ReadValue(const QString& keyPath, const QString& name) = 0;
    virtual void WriteValue(const QString& keyPath, const QString& name,
                            const HiveValue& value) = 0;
};

// Backend of this platform: the Win32 registry on Windows, `.reg` files elsewhere.
std::unique_ptr<Hive> CreatePlatformHive();

// `.reg`-syntax backend: one REGEDIT4 text file per key below `rootFolder`; the key
// path's parts become folders, the last part the file name (case folded, as the
// registry does not tell case apart).
class RegFileHive : public Hive {
public:
    explicit RegFileHive(QString rootFolder);
    static QString DefaultRootFolder();

    bool OpenKey(const QString& keyPath, bool create) override;
    std::optional<HiveValue> ReadValue(const QString& keyPath, const QString& name) override;
    void WriteValue(const QString& keyPath, const QString& name, const HiveValue& value) override;

    QString FileForKey(const QString& keyPath) const;

    // Parsing and writing of the file text, exposed for the tests.
    struct Entry {
        QString name;
        HiveValue value;
    };
    static QList<Entry> Parse(const QByteArray& text, const QString& fileName);
    static QByteArray Format(const QString& keyPath, const QList<Entry>& entries);

private:
    QList<Entry> Load(const QString& file) const;
    QString FRoot;
};
