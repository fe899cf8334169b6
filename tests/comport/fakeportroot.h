#pragma once
#include "comport/portlist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A made-up /sys and /dev for the port list: built-in serial lines by their
// sysfs entry, USB adapters by their device file and USB strings. Points the
// port lookup at itself while it lives.
class FakePortRoot {
public:
    FakePortRoot() { SetPortListRoot(m_dir.path()); }
    ~FakePortRoot() { SetPortListRoot(QString()); }
    FakePortRoot(const FakePortRoot &) = delete;
    FakePortRoot &operator=(const FakePortRoot &) = delete;

    bool isValid() const { return m_dir.isValid(); }

    // /sys/class/tty/ttyS<line>: with a device and the UART type (0 marks
    // a reserved slot without hardware), or without a device.
    void addUart(int line, int type = 4, bool hasDevice = true)
    {
        const QString tty = QStringLiteral("sys/class/tty/ttyS%1").arg(line);
        if (hasDevice)
            mkdir(tty + QStringLiteral("/device"));
        else
            mkdir(tty);
        write(tty + QStringLiteral("/type"), QByteArray::number(type));
    }

    // /dev/<name>, and the USB device above its sysfs entry with the strings
    // given (none when product is empty). A ttyUSB port sits one folder below
    // the USB interface, a ttyACM port is the interface.
    void addUsbAdapter(const QString &name, const QString &maker = {}, const QString &product = {})
    {
        write(QStringLiteral("dev/") + name, {});
        const QString usbDevice = QStringLiteral("sys/devices/usb1/") + name;
        const QString interface = usbDevice + QStringLiteral("/1-1:1.0");
        const QString port = name.startsWith(QLatin1String("ttyUSB")) ? interface + QLatin1Char('/') + name : interface;
        mkdir(port);
        mkdir(QStringLiteral("sys/class/tty/") + name);
        QFile::link(m_dir.filePath(port), m_dir.filePath(QStringLiteral("sys/class/tty/%1/device").arg(name)));
        if (!maker.isEmpty())
            write(usbDevice + QStringLiteral("/manufacturer"), maker.toUtf8() + '\n');
        if (!product.isEmpty())
            write(usbDevice + QStringLiteral("/product"), product.toUtf8() + '\n');
    }

    // /dev/<name> as a link to a real device (a pseudo-terminal).
    void linkDevice(const QString &name, const QString &target)
    {
        mkdir(QStringLiteral("dev"));
        QFile::link(target, m_dir.filePath(QStringLiteral("dev/") + name));
    }

private:
    void mkdir(const QString &path) { QDir(m_dir.path()).mkpath(path); }
    void write(const QString &path, const QByteArray &bytes)
    {
        mkdir(QFileInfo(path).path());
        QFile file(m_dir.filePath(path));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    QTemporaryDir m_dir;
};
