#pragma once
#include <QList>
#include <QString>

// Which serial ports this system has, and whether one of them can be opened.
// "COMn" is the n-th serial port (/dev/ttyS(n-1)); USB adapters and other
// devices go by their path, "/dev/ttyUSB0".

// Whether a port can be taken: present and free, unknown to the system, or
// busy (the system refused the open, for whatever reason).
enum class ComPortCheck { Free = 0, Unknown = 1, Busy = 2 };
ComPortCheck CheckComPort(const QString &name);

// How many of COM1, COM2, ... COM255 the system knows, counted upwards and
// stopping as soon as the count reaches limit.
int CountComPorts(int limit);

// Whether the program could take a port now: present and free, unknown to
// the system, held by another program, or refused for want of permission
// (the user is not in the group "dialout").
enum class PortState { Free, Missing, Busy, NoPermission };
PortState portState(const QString &name);

struct SerialPortEntry {
    QString name;  // "COM1" or "/dev/ttyUSB0"
    QString path;  // the device file: "/dev/ttyS0", "/dev/ttyUSB0"
    // What the USB adapter says of itself; empty for the built-in ports.
    QString maker;
    QString product;
    QString serial;

    // Maker and product, as a person tells adapters apart.
    QString description() const;
};

// The present ports: the known COMn in order, then the USB adapters
// (/dev/ttyUSB*, /dev/ttyACM*) in order.
QList<SerialPortEntry> PresentSerialPorts();

// What the user can do about a port that CheckComPort refused, shown after
// "So nicht!! NAME ist bereits belegt!"; empty when there is no advice.
QString comPortProblem(const QString &name);

// The folder that stands for "/" when ports are looked up and opened
// (a fake tree of /sys and /dev in tests); empty for the real root.
void SetPortListRoot(const QString &root);
