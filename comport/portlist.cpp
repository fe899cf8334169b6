#include "comport/portlist.h"
#include "comport/comport.h"
#include "comport/portprobe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

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
    TCustomComPort::EnumComDevices(paths, rooted(QStringLiteral("/sys/class/tty")));
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

struct Probe {
    ComPortCheck result;
    int systemError;
};

// A port held by any TComPort counts as busy; the line itself is left alone.
Probe probe(const QString &name)
{
    TComPort port;
    port.SetDeviceName(name);
    const QString path = port.DevicePath();
    if (!isKnown(path))
        return {ComPortCheck::Unknown, 0};
    if (const int error = probeSerialDevice(rooted(path)))
        return {ComPortCheck::Busy, error};
    return {ComPortCheck::Free, 0};
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

QString SerialPortEntry::description() const
{
    return maker.isEmpty() ? product : maker + QLatin1Char(' ') + product;
}

ComPortCheck CheckComPort(const QString &name) { return probe(name).result; }

PortState portState(const QString &name)
{
    const Probe found = probe(name);
    if (found.result == ComPortCheck::Unknown)
        return PortState::Missing;
    if (found.result == ComPortCheck::Free)
        return PortState::Free;
    return found.systemError == EACCES || found.systemError == EPERM ? PortState::NoPermission : PortState::Busy;
}

int CountComPorts(int limit)
{
    int count = 0;
    for ([[maybe_unused]] int number : knownComNumbers())
        if (++count == limit)
            break;
    return count;
}

QList<SerialPortEntry> PresentSerialPorts()
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

QString comPortProblem(const QString &name)
{
    if (portState(name) != PortState::NoPermission)
        return {};
    return QStringLiteral("Sie haben keine Berechtigung für %1. Nehmen Sie Ihr Benutzerkonto in die Gruppe "
                          "\"dialout\" auf (sudo usermod -aG dialout $USER) und melden Sie sich danach neu an.")
        .arg(name);
}
