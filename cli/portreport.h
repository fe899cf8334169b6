#pragma once
#include "comport/portlist.h"

#include <QList>
#include <QString>

// The serial ports the window's list offers, each with whether it could be
// opened now.
struct PortReport {
    SerialPortEntry port;
    PortStatus status;
};
QList<PortReport> reportPorts();

// "COM1" for a built-in port, empty for one that goes by its path.
inline QString comName(const SerialPortEntry &port) { return port.name == port.path ? QString() : port.name; }

// What else tells the port apart, in German: the console mark, the USB
// adapter and its ids, udev's stable names.
QStringList portRemarks(const SerialPortEntry &port);

// One line naming the present ports and their states, for a --port that
// could not be opened.
QString presentPortsText();
