// Win32 backends: drive strings, drive types and volume information; USB device-interface
// notifications received by a hidden window.
#ifdef _WIN32
#include "errors.h"
#include "usb_devices.h"
#include "usb_parse.h"

#include <QDir>
#include <string>

#include <windows.h>
// windows.h first: dbt.h needs its types.
#include <dbt.h>

namespace {

// {A5DCBF10-6530-11D2-901F-00C04FB951ED}
const GUID kGuidDevInterfaceUsbDevice = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

constexpr DWORD kDriveStringsBuffer = 258;

const wchar_t* W(const QString& s) {
    return reinterpret_cast<const wchar_t*>(s.utf16());
}

QString FromW(const wchar_t* s) {
    return QString::fromWCharArray(s);
}

// "E:\" whatever form the caller used ("E:", "e:/", "E:\").
QString RootOf(const QString& root) {
    QString r = QDir::toNativeSeparators(root);
    if (!r.endsWith(QLatin1Char('\\')))
        r += QLatin1Char('\\');
    return r;
}

QString SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    QString text = n ? QString::fromWCharArray(buffer, int(n)).trimmed()
                     : QStringLiteral("System error %1").arg(code);
    if (buffer)
        LocalFree(buffer);
    return text;
}

// Turns the "insert a disk" pop-ups off while a drive without media is asked about.
class QuietCriticalErrors {
public:
    QuietCriticalErrors() : FOld(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~QuietCriticalErrors() { SetErrorMode(FOld); }

private:
    UINT FOld;
};

QStringList LogicalDriveStrings() {
    wchar_t buffer[kDriveStringsBuffer + 2] = {};
    const DWORD n = GetLogicalDriveStringsW(kDriveStringsBuffer, buffer);
    if (n > kDriveStringsBuffer)
        throw EZentrivo(SystemMessage(ERROR_NOT_ENOUGH_MEMORY));
    QStringList roots;
    for (const wchar_t* p = buffer; *p; p += wcslen(p) + 1)
        roots << FromW(p);
    return roots;
}

class WinDriveProvider : public DriveProvider {
public:
    QStringList RemovableDrives() override {
        QStringList result;
        for (const QString& root : LogicalDriveStrings())
            if (GetDriveTypeW(W(root)) == DRIVE_REMOVABLE)
                result << root;
        return result;
    }

    QString VolumeLabel(const QString& root) override {
        QuietCriticalErrors quiet;
        wchar_t label[MAX_PATH + 1] = {};
        if (!GetVolumeInformationW(W(RootOf(root)), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                   nullptr, 0))
            return QString();
        return FromW(label);
    }

    QString FileSystemName(const QString& root) override {
        QuietCriticalErrors quiet;
        wchar_t fs[33] = {};
        if (!GetVolumeInformationW(W(RootOf(root)), nullptr, 0, nullptr, nullptr, nullptr, fs, 32))
            return QString();
        return FromW(fs);
    }

    qint64 DiskSize(const QString& root) override {
        QuietCriticalErrors quiet;
        ULARGE_INTEGER total{};
        if (!GetDiskFreeSpaceExW(W(RootOf(root)), nullptr, &total, nullptr))
            return -1;
        return qint64(total.QuadPart);
    }
};

// One value of a key under HKEY_LOCAL_MACHINE, read only; empty when absent.
QString ReadString(HKEY key, const wchar_t* name) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
        return QString();
    std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS)
        return QString();
    return FromW(buffer.c_str());
}

QStringList SubkeyNames(HKEY key) {
    QStringList names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD len = 256;
        const LONG rc = RegEnumKeyExW(key, i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc == ERROR_SUCCESS)
            names << QString::fromWCharArray(name, int(len));
        else if (rc != ERROR_MORE_DATA)
            break;
    }
    return names;
}

class RegKey {
public:
    explicit RegKey(const QString& path) {
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(path), 0, KEY_READ, &FKey) != ERROR_SUCCESS)
            FKey = nullptr;
    }
    ~RegKey() {
        if (FKey)
            RegCloseKey(FKey);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    explicit operator bool() const { return FKey != nullptr; }
    HKEY get() const { return FKey; }

private:
    HKEY FKey = nullptr;
};

// The device's description, and the storage device's description and friendly name, from
// the device enumeration in the registry. A key that does not open leaves its texts empty.
UsbDeviceStrings QueryDeviceStrings(const QString& devicePath) {
    UsbDeviceStrings s;
    const UsbDevicePathIds ids = SplitUsbDevicePath(devicePath);
    if (ids.DeviceId.isEmpty())
        return s;
    {
        RegKey usb(QStringLiteral("SYSTEM\\CurrentControlSet\\Enum\\USB\\%1\\%2")
                       .arg(ids.DeviceId, ids.InstanceId));
        if (!usb)
            return s;
        s.DevType = ReadString(usb.get(), L"DeviceDesc");
    }
    const QString storRoot = QStringLiteral("SYSTEM\\CurrentControlSet\\Enum\\USBSTOR");
    RegKey stor(storRoot);
    if (!stor)
        return s;
    for (const QString& kind : SubkeyNames(stor.get())) {
        RegKey kindKey(storRoot + QLatin1Char('\\') + kind);
        if (!kindKey)
            continue;
        bool found = false;
        for (const QString& sub : SubkeyNames(kindKey.get())) {
            if (!MatchesInstanceMask(sub, ids.InstanceId))
                continue;
            found = true;
            RegKey dev(storRoot + QLatin1Char('\\') + kind + QLatin1Char('\\') + sub);
            if (dev) {
                s.DriverName = ReadString(dev.get(), L"DeviceDesc");
                s.FriendlyName = ReadString(dev.get(), L"FriendlyName");
            }
        }
        if (found)
            break;
    }
    return s;
}

constexpr const wchar_t* kWindowClass = L"ZentrivoUsbWatcher";

class WinDeviceMonitor : public DeviceMonitor {
public:
    WinDeviceMonitor() {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &WinDeviceMonitor::WindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kWindowClass;
        RegisterClassExW(&wc); // fails harmlessly when a second watcher registers it again
        // A top-level window that is never shown: it receives WM_DEVICECHANGE on this thread.
        FHandle = CreateWindowExW(0, kWindowClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, nullptr);
        if (!FHandle)
            return;
        SetWindowLongPtrW(FHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof(filter);
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = kGuidDevInterfaceUsbDevice;
        FNotify = RegisterDeviceNotificationW(FHandle, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    }

    ~WinDeviceMonitor() override {
        if (FNotify)
            UnregisterDeviceNotification(FNotify);
        if (FHandle) {
            SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
            DestroyWindow(FHandle);
        }
    }

    void SetHandler(Handler handler) override { FHandler = std::move(handler); }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg != WM_DEVICECHANGE)
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        auto* self = reinterpret_cast<WinDeviceMonitor*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) &&
            lParam != 0) {
            const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
            if (header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
                const auto* iface =
                    reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(lParam);
                const UsbDeviceStrings strings = QueryDeviceStrings(FromW(iface->dbcc_name));
                if (self->FHandler)
                    self->FHandler(wParam == DBT_DEVICEARRIVAL ? UsbChange::Arrival
                                                               : UsbChange::Removal,
                                   strings);
            }
        }
        return TRUE;
    }

    HWND FHandle = nullptr;
    HDEVNOTIFY FNotify = nullptr;
    Handler FHandler;
};

} // namespace

std::unique_ptr<DriveProvider> CreatePlatformDriveProvider() {
    return std::make_unique<WinDriveProvider>();
}

std::unique_ptr<DeviceMonitor> CreatePlatformDeviceMonitor() {
    return std::make_unique<WinDeviceMonitor>();
}

#endif
