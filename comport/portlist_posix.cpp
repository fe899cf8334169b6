// Which serial ports a Linux system has, and whether one is free: sysfs,
// udev's register and the device files.
#include "comport/comport_platform.h"
#include "comport/comport_posix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int kMaxComNumber = 255;

QString g_root;

QString rooted(const QString &path) { return g_root + path; }

// The number of a built-in serial line's device file ("/dev/ttyS3" is 3), -1 for others.
int uartNumber(const QString &path)
{
    static const QRegularExpression uart(QStringLiteral("^/dev/ttyS([0-9]+)$"));
    const QRegularExpressionMatch match = uart.match(path);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

bool isUsbAdapter(const QString &path)
{
    static const QRegularExpression usb(QStringLiteral("^/dev/tty(USB|ACM)[0-9]+$"));
    return usb.match(path).hasMatch();
}

// The COM numbers of the built-in serial lines that have hardware, ascending.
QList<int> knownComNumbers()
{
    QStringList paths;
    complatform::enumComDevices(paths, rooted(QStringLiteral("/sys/class/tty")));
    QList<int> numbers;
    for (const QString &path : paths) {
        const int line = uartNumber(path);
        if (line >= 0 && line < kMaxComNumber)
            numbers.append(line + 1);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

// A built-in serial line that has no hardware behind it is not there, whatever
// its device file says.
bool isMissingUart(const QString &path)
{
    const int line = uartNumber(path);
    return line >= 0 && (line >= kMaxComNumber || !knownComNumbers().contains(line + 1));
}

QString readLine(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readLine()).trimmed() : QString();
}

// Maker, product, serial number and ids as the USB device reports them. The
// tty's device is the USB interface (ttyACM) or a port below it (ttyUSB);
// the USB device holding them is one or two folders up.
void readAdapterFacts(const QString &ttyName, SerialPortEntry &entry)
{
    QString folder = QFileInfo(rooted(QStringLiteral("/sys/class/tty/%1/device").arg(ttyName))).canonicalFilePath();
    for (int level = 0; level < 3 && !folder.isEmpty(); ++level) {
        const QString vendor = readLine(folder + QStringLiteral("/idVendor"));
        entry.product = readLine(folder + QStringLiteral("/product"));
        if (!vendor.isEmpty() || !entry.product.isEmpty()) {
            entry.maker = readLine(folder + QStringLiteral("/manufacturer"));
            entry.serial = readLine(folder + QStringLiteral("/serial"));
            if (!vendor.isEmpty())
                entry.usbId = vendor + QLatin1Char(':') + readLine(folder + QStringLiteral("/idProduct"));
            return;
        }
        folder = QFileInfo(folder).path();
    }
}

// udev's stable names of the device file at path, as the user would type them.
QStringList byIdNames(const QString &path)
{
    const QString device = QFileInfo(rooted(path)).canonicalFilePath();
    QStringList names;
    if (device.isEmpty())
        return names;
    const QString folder = QStringLiteral("/dev/serial/by-id");
    for (const QFileInfo &link : QDir(rooted(folder)).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        if (link.canonicalFilePath() == device)
            names.append(folder + QLatin1Char('/') + link.fileName());
    return names;
}

// The main console's device file: the last of the kernel's consoles. The
// virtual terminals (tty0, tty1, ...) are no serial line.
QString consoleDevice()
{
    const QStringList consoles = readLine(rooted(QStringLiteral("/sys/class/tty/console/active"))).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    static const QRegularExpression virtualTerminal(QStringLiteral("^tty[0-9]+$"));
    if (consoles.isEmpty() || virtualTerminal.match(consoles.last()).hasMatch())
        return {};
    return QStringLiteral("/dev/") + consoles.last();
}

// The USB adapters' device files, by kind and then by number.
QStringList usbAdapterNames()
{
    QStringList names;
    for (const char *kind : {"ttyUSB", "ttyACM"}) {
        QStringList ofKind = QDir(rooted(QStringLiteral("/dev")))
                                 .entryList({QLatin1String(kind) + QLatin1Char('*')}, QDir::System | QDir::Files);
        ofKind.removeIf([](const QString &name) { return !isUsbAdapter(QStringLiteral("/dev/") + name); });
        const auto number = [kind](const QString &name) { return QStringView(name).mid(qstrlen(kind)).toInt(); };
        std::sort(ofKind.begin(), ofKind.end(),
                  [&](const QString &a, const QString &b) { return number(a) < number(b); });
        names += ofKind;
    }
    return names;
}
}  // namespace

void SetPortListRoot(const QString &root) { g_root = root; }

// A port held by any TComPort counts as busy; the line itself is left alone.
PortStatus complatform::probePort(const QString &path)
{
    if (isMissingUart(path))
        return {PortState::Missing, ENODEV};
    const posixport::SerialOpen opened = posixport::openSerialDevice(rooted(path));
    if (opened.fd >= 0)
        ::close(opened.fd);
    return opened.status;
}

// By the device behind the name, so a by-id link or an alias of the console counts.
bool complatform::isConsole(const QString &path)
{
    const QString console = consoleDevice();
    if (console.isEmpty())
        return false;
    if (console == path)
        return true;
    struct stat named {}, active {};
    return ::stat(QFile::encodeName(rooted(path)).constData(), &named) == 0
           && ::stat(QFile::encodeName(rooted(console)).constData(), &active) == 0 && S_ISCHR(named.st_mode)
           && named.st_rdev == active.st_rdev;
}

QList<SerialPortEntry> complatform::presentSerialPorts()
{
    QList<SerialPortEntry> ports;
    for (int number : knownComNumbers())
        ports.append({QStringLiteral("COM%1").arg(number), QStringLiteral("/dev/ttyS%1").arg(number - 1)});
    for (const QString &name : usbAdapterNames()) {
        SerialPortEntry entry{QStringLiteral("/dev/") + name, QStringLiteral("/dev/") + name};
        readAdapterFacts(name, entry);
        ports.append(entry);
    }
    for (SerialPortEntry &port : ports) {
        port.byId = byIdNames(port.path);
        port.console = isConsole(port.path);
    }
    return ports;
}

void complatform::enumDevices(QStringList &list)
{
    for (const QString &name : QDir(QStringLiteral("/sys/class/tty")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        list.append(QStringLiteral("/dev/") + name);
}

void complatform::enumComDevices(QStringList &list, const QString &ttyClass)
{
    const QDir ttys(ttyClass);
    for (const QString &name : ttys.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        // Serial lines have a device behind them (USB adapters included);
        // the kernel's reserved serial slots without hardware say type 0.
        if (!QFile::exists(ttys.filePath(name + QStringLiteral("/device"))))
            continue;
        QFile type(ttys.filePath(name + QStringLiteral("/type")));
        if (type.open(QIODevice::ReadOnly) && type.read(16).trimmed() == "0")
            continue;
        list.append(QStringLiteral("/dev/") + name);
    }
}

// udev keeps the system's register of serial ports: one link per port in
// /dev/serial/by-id. Without udev (or without ports) nothing is appended.
void complatform::enumComDevicesFromRegistry(QStringList &list)
{
    const QDir registry(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo &entry : registry.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        const QString port = entry.canonicalFilePath();
        if (!port.isEmpty())
            list.append(port);
    }
}
