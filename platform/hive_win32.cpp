// Win32 registry backend of the hive, under HKEY_CURRENT_USER.
#ifdef _WIN32
#include "errors.h"
#include "hive.h"

#include <windows.h>

namespace {

class WinRegistryHive : public Hive {
public:
    bool OpenKey(const QString& keyPath, bool create) override {
        HKEY key = nullptr;
        LONG rc = create ? RegCreateKeyExW(HKEY_CURRENT_USER, Path(keyPath), 0, nullptr, 0,
                                           KEY_READ | KEY_WRITE, nullptr, &key, nullptr)
                         : RegOpenKeyExW(HKEY_CURRENT_USER, Path(keyPath), 0, KEY_READ, &key);
        if (rc != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    std::optional<HiveValue> ReadValue(const QString& keyPath, const QString& name) override {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, Path(keyPath), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return std::nullopt;
        DWORD type = 0, size = 0;
        const auto* wname = reinterpret_cast<LPCWSTR>(name.utf16());
        LONG rc = RegQueryValueExW(key, wname, nullptr, &type, nullptr, &size);
        if (rc == ERROR_FILE_NOT_FOUND) {
            RegCloseKey(key);
            return std::nullopt;
        }
        QByteArray buf(int(size), 0);
        rc = RegQueryValueExW(key, wname, nullptr, &type, reinterpret_cast<LPBYTE>(buf.data()),
                              &size);
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS)
            throw ERegistryException(QStringLiteral("Failed to get data for '%1'").arg(name));
        buf.resize(int(size));
        switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ: {
            QString s = QString::fromUtf16(reinterpret_cast<const char16_t*>(buf.constData()),
                                           buf.size() / 2);
            while (s.endsWith(QChar(0)))
                s.chop(1);
            return type == REG_SZ ? HiveValue::String(s) : HiveValue::Expand(s);
        }
        case REG_DWORD: {
            quint32 v = 0;
            memcpy(&v, buf.constData(), qMin<size_t>(sizeof v, size_t(buf.size())));
            return HiveValue::DWord(v);
        }
        default:
            return HiveValue::Binary(buf);
        }
    }

    void WriteValue(const QString& keyPath, const QString& name, const HiveValue& v) override {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, Path(keyPath), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(name));
        QByteArray data;
        DWORD type = REG_BINARY;
        switch (v.type) {
        case HiveType::String:
        case HiveType::ExpandString:
            type = v.type == HiveType::String ? REG_SZ : REG_EXPAND_SZ;
            data =
                QByteArray(reinterpret_cast<const char*>(v.text.utf16()), (v.text.size() + 1) * 2);
            break;
        case HiveType::DWord:
            type = REG_DWORD;
            data = QByteArray(reinterpret_cast<const char*>(&v.dword), sizeof v.dword);
            break;
        case HiveType::Binary:
            data = v.binary;
            break;
        }
        LONG rc =
            RegSetValueExW(key, reinterpret_cast<LPCWSTR>(name.utf16()), 0, type,
                           reinterpret_cast<const BYTE*>(data.constData()), DWORD(data.size()));
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS)
            throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(name));
    }

private:
    static LPCWSTR Path(const QString& keyPath) {
        static thread_local QString stripped;
        stripped = keyPath.startsWith(QLatin1Char('\\')) ? keyPath.mid(1) : keyPath;
        return reinterpret_cast<LPCWSTR>(stripped.utf16());
    }
};

} // namespace

std::unique_ptr<Hive> CreatePlatformHive() {
    return std::make_unique<WinRegistryHive>();
}
#endif
