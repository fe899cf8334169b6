// Which serial ports a Linux system has, and whether one is free: sysfs,
// udev's register and the device files.
#include "comport/comport.h"
#include "comport/portprobe.h"

#include <QDir>
#include <QFile>

#include <asm/termbits.h>  // termios2: not in <termios.h>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

void TCustomComPort::EnumDevices(QStringList &list)
{
    for (const QString &name : QDir(QStringLiteral("/sys/class/tty")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        list.append(QStringLiteral("/dev/") + name);
}

void TCustomComPort::EnumComDevices(QStringList &list, const QString &ttyClass)
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
void TCustomComPort::EnumComDevicesFromRegistry(QStringList &list)
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
