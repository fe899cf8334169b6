// Which serial ports a Windows system has, and whether one is free: the
// registry's list of serial devices, the DOS device names, and an open.
#include "comport/comport_platform.h"

#include <QRegularExpression>

#include <algorithm>
#include <vector>
#include <windows.h>

namespace {
const QRegularExpression &comName()
{
    static const QRegularExpression name(QStringLiteral("^COM([1-9][0-9]*)$"), QRegularExpression::CaseInsensitiveOption);
    return name;
}

// The names the system knows, zero-separated in one buffer; of one name
// when name is given (what it stands for).
QStringList dosDevices(const wchar_t *name = nullptr)
{
    std::vector<wchar_t> buffer(65535);
    const DWORD length = QueryDosDeviceW(name, buffer.data(), DWORD(buffer.size()));
    QStringList names;
    for (DWORD start = 0; start < length;) {
        const QString entry = QString::fromWCharArray(buffer.data() + start);
        if (entry.isEmpty())
            break;
        names.append(entry);
        start += DWORD(entry.size()) + 1;
    }
    return names;
}

bool isDosDevice(const QString &name)
{
    return !dosDevices(reinterpret_cast<const wchar_t *>(name.utf16())).isEmpty();
}
} // namespace

void complatform::enumDevices(QStringList &list) { list += dosDevices(); }

// ttyClass names a Linux folder; Windows asks its DOS device names.
void complatform::enumComDevices(QStringList &list, const QString &)
{
    for (const QString &name : dosDevices())
        if (name.startsWith(QLatin1String("COM")) || name.startsWith(QLatin1String("\\\\.\\COM")))
            list.append(name);
}

void complatform::enumComDevicesFromRegistry(QStringList &list)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[256];
        DWORD nameLength = DWORD(std::size(valueName));
        wchar_t data[256];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        const LONG result = RegEnumValueW(key, index, valueName, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE *>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_SUCCESS && type == REG_SZ)
            list.append(QString::fromWCharArray(data, int(dataSize / sizeof(wchar_t))).section(QChar(0), 0, 0));
    }
    RegCloseKey(key);
}

// The registry's serial ports and the COM names among the DOS devices, by number.
QList<SerialPortEntry> complatform::presentSerialPorts()
{
    QStringList names;
    enumComDevicesFromRegistry(names);
    enumComDevices(names, QString());
    QList<int> numbers;
    for (const QString &name : std::as_const(names)) {
        const QRegularExpressionMatch match = comName().match(shortDeviceName(name));
        if (match.hasMatch() && !numbers.contains(match.captured(1).toInt()))
            numbers.append(match.captured(1).toInt());
    }
    std::sort(numbers.begin(), numbers.end());
    QList<SerialPortEntry> ports;
    for (int number : std::as_const(numbers)) {
        const QString name = QStringLiteral("COM%1").arg(number);
        ports.append({name, devicePath(name)});
    }
    return ports;
}

namespace {
PortState stateOfError(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST: return PortState::Missing;
    // The port opens for one program at a time: a held one answers "access denied".
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return PortState::Busy;
    default: return PortState::Failed;
    }
}
}  // namespace

// Opening and closing touches neither the line settings nor the lines. A
// device that answers no line settings (NUL, a printer) is no serial port.
PortStatus complatform::probePort(const QString &path)
{
    if (!isDosDevice(shortDeviceName(path)))
        return {PortState::Missing, ERROR_FILE_NOT_FOUND};
    const HANDLE device = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return {stateOfError(error), int(error)};
    }
    PortStatus status;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(device, &dcb))
        status = {PortState::NotSerial, int(GetLastError())};
    CloseHandle(device);
    return status;
}

// Windows has no serial console.
bool complatform::isConsole(const QString &) { return false; }

// The ports come from the registry here: there is no /sys or /dev tree a
// test could stand in for.
void SetPortListRoot(const QString &) {}
