#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

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

// Whether the program could take a port now and, if not, why: present and
// free, unknown to the system, held by another program, refused for want of
// permission, a file or device that is no serial line, a folder, or another
// refusal of the system.
enum class PortState { Free, Missing, Busy, NoPermission, NotSerial, Folder, Failed };

struct PortStatus {
    PortState state = PortState::Free;
    int error = 0;  // the system's error number behind the state; 0 when none
    // NoPermission: no group a user could join grants the device (a console
    // that belongs to root); only the administrator may open it.
    bool adminOnly = false;
    QString group = {};  // NoPermission: the group that may open it; empty when unknown
};
PortStatus portStatus(const QString &name);
inline PortState portState(const QString &name) { return portStatus(name).state; }

// Why a port cannot be taken, in German ("frei" when it can): the state
// column of the port list and the reason of a refused open.
QString portStatusText(const PortStatus &status);
// "free", "busy", "not-a-serial-port", ... for scripts.
const char *portStatusKey(PortState state);
// What the user can do about a port of this status; empty when nothing.
QString portAdvice(const QString &name, const PortStatus &status);
// The port's error message when opening it was refused: its name, why, and
// what the user can do about it.
QString portRefusalText(const QString &name, const PortStatus &status);

// Whether the port is the system's main console, where the kernel and a
// login may write and read: never taken without the user naming it.
bool isSystemConsole(const QString &name);
// The warning when the user names the console all the same.
QString systemConsoleWarning(const QString &name);

struct SerialPortEntry {
    QString name;  // "COM1" or "/dev/ttyUSB0"
    QString path;  // the device file: "/dev/ttyS0", "/dev/ttyUSB0"
    // What the USB adapter says of itself; empty for the built-in ports.
    QString maker = {};
    QString product = {};
    QString serial = {};
    // Its USB device's vendor and product ids ("0403:6001"); empty for others.
    QString usbId = {};
    // The stable names udev gives it (/dev/serial/by-id/...), resolved to it,
    // and whether it is the system's main console; none on a system that
    // has neither (Windows).
    std::optional<QStringList> byId = {};
    std::optional<bool> console = {};

    // Maker and product, as a person tells adapters apart.
    QString description() const;
};

// The present ports: the known COMn in order, then the USB adapters
// (/dev/ttyUSB*, /dev/ttyACM*) in order.
QList<SerialPortEntry> PresentSerialPorts();

// What the user can do about a port that CheckComPort refused, shown after
// the refusal: joining the device's group, or asking the administrator;
// empty when there is no advice.
QString comPortProblem(const QString &name);

// The folder that stands for "/" when ports are looked up and opened
// (a fake tree of /sys and /dev in tests); empty for the real root.
void SetPortListRoot(const QString &root);
