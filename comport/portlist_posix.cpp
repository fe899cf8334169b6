// Which serial ports a Linux system has, and whether one is free: sysfs,
// udev's register and the device files.
#include "comport/comport_platform.h"
#include "comport/portprobe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <asm/termbits.h>  // termios2: not in <termios.h>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
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

bool isCharacterDevice(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
}

bool isKnown(const QString &path)
{
    if (const int line = uartNumber(path); line >= 0)
        return line < kMaxComNumber && knownComNumbers().contains(line + 1);
    if (isUsbAdapter(path))
        return QFileInfo::exists(rooted(path));
    return path.startsWith(QLatin1String("/dev/")) && isCharacterDevice(rooted(path));
}

QString readLine(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readLine()).trimmed() : QString();
}

// Maker, product and serial number as the USB device reports them. The
// tty's device is the USB interface (ttyACM) or a port below it (ttyUSB);
// the USB device holding the strings is one or two folders up.
void readAdapterStrings(const QString &ttyName, SerialPortEntry &entry)
{
    QString folder = QFileInfo(rooted(QStringLiteral("/sys/class/tty/%1/device").arg(ttyName))).canonicalFilePath();
    for (int level = 0; level < 3 && !folder.isEmpty(); ++level) {
        entry.product = readLine(folder + QStringLiteral("/product"));
        if (!entry.product.isEmpty()) {
            entry.maker = readLine(folder + QStringLiteral("/manufacturer"));
            entry.serial = readLine(folder + QStringLiteral("/serial"));
            return;
        }
        folder = QFileInfo(folder).path();
    }
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
ComPortCheck complatform::probePort(const QString &path, int &systemError)
{
    if (!isKnown(path))
        return ComPortCheck::Unknown;
    systemError = probeSerialDevice(rooted(path));
    return systemError ? ComPortCheck::Busy : ComPortCheck::Free;
}

QList<SerialPortEntry> complatform::presentSerialPorts()
{
    QList<SerialPortEntry> ports;
    for (int number : knownComNumbers())
        ports.append({QStringLiteral("COM%1").arg(number), QStringLiteral("/dev/ttyS%1").arg(number - 1), {}, {}, {}});
    for (const QString &name : usbAdapterNames()) {
        SerialPortEntry entry{QStringLiteral("/dev/") + name, QStringLiteral("/dev/") + name, {}, {}, {}};
        readAdapterStrings(name, entry);
        ports.append(entry);
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

// The port's own open refuses a device that is no terminal, and one another
// port holds (its lock). The same checks, but reading the line settings
// only; the lock taken here goes with the descriptor.
int probeSerialDevice(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = 0;
    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        error = errno;
    else if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        error = EBUSY;
    ::close(fd);
    return error;
}
