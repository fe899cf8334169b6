#pragma once
#include "comport/portlist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A made-up /sys and /dev for the port lookup, which points at it while it lives.
class FakePortRoot {
public:
    FakePortRoot() { SetPortListRoot(m_dir.path()); }
    ~FakePortRoot() { SetPortListRoot(QString()); }

    // /sys/class/tty/ttyS<line>; type 0 marks a reserved slot without hardware.
    void addUart(int line, int type = 4, bool hasDevice = true)
    {
        const QString tty = QStringLiteral("sys/class/tty/ttyS%1").arg(line);
        QDir(m_dir.path()).mkpath(hasDevice ? tty + QStringLiteral("/device") : tty);
        write(tty + QStringLiteral("/type"), QByteArray::number(type));
    }

    // /dev/<name>, and its USB device's strings one folder above the tty's
    // device, as for a ttyACM port.
    void addUsbAdapter(const QString &name, const QByteArray &product = {}, const QByteArray &maker = {},
                       const QByteArray &serial = {})
    {
        write(QStringLiteral("dev/") + name, {});
        const QString usbDevice = QStringLiteral("sys/devices/usb1/") + name;
        QDir(m_dir.path()).mkpath(usbDevice + QStringLiteral("/1-1:1.0"));
        QDir(m_dir.path()).mkpath(QStringLiteral("sys/class/tty/") + name);
        QFile::link(m_dir.filePath(usbDevice + QStringLiteral("/1-1:1.0")),
                    m_dir.filePath(QStringLiteral("sys/class/tty/%1/device").arg(name)));
        if (!product.isEmpty())
            write(usbDevice + QStringLiteral("/product"), product + '\n');
        if (!maker.isEmpty())
            write(usbDevice + QStringLiteral("/manufacturer"), maker + '\n');
        if (!serial.isEmpty())
            write(usbDevice + QStringLiteral("/serial"), serial + '\n');
    }

    // The USB ids of an adapter added with addUsbAdapter, in its USB device.
    void addUsbIds(const QString &name, const QByteArray &vendor, const QByteArray &product)
    {
        write(QStringLiteral("sys/devices/usb1/%1/idVendor").arg(name), vendor + '\n');
        write(QStringLiteral("sys/devices/usb1/%1/idProduct").arg(name), product + '\n');
    }

    // /dev/serial/by-id/<link>, pointing at /dev/<name> the way udev lays it.
    void addById(const QString &link, const QString &name)
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("dev/serial/by-id"));
        QFile::link(QStringLiteral("../../") + name, m_dir.filePath(QStringLiteral("dev/serial/by-id/") + link));
    }

    // The kernel's consoles, as /sys/class/tty/console/active lists them.
    void setConsoles(const QByteArray &active) { write(QStringLiteral("sys/class/tty/console/active"), active + '\n'); }

    QString path() const { return m_dir.path(); }

    // /dev/<name> as a link to a real device (a pseudo-terminal), in place of
    // any file of that name; its name here.
    QString linkDevice(const QString &name, const QString &target)
    {
        QDir(m_dir.path()).mkpath(QFileInfo(QStringLiteral("dev/") + name).path());
        QFile::remove(m_dir.filePath(QStringLiteral("dev/") + name));
        QFile::link(target, m_dir.filePath(QStringLiteral("dev/") + name));
        return QStringLiteral("/dev/") + name;
    }

private:
    void write(const QString &path, const QByteArray &bytes)
    {
        QDir(m_dir.path()).mkpath(QFileInfo(path).path());
        QFile file(m_dir.filePath(path));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    QTemporaryDir m_dir;
};
