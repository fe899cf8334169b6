// Which serial ports a Linux system has: sysfs and udev's register.
#include "comport/comport.h"

#include <QDir>
#include <QFile>

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
