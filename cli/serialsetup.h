#pragma once
#include "comport/comport.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>

class ComPortLink;
class Frontend;

// A serial port that could not be opened: the message shown, and why as
// the port list's key ("missing", "not-a-serial-port", ...).
class PortOpenFailure : public std::runtime_error {
public:
    PortOpenFailure(const QString &message, const QString &reason) : std::runtime_error(message.toStdString()), reason(reason) {}
    QString reason;
};

// Opens the program's serial port on device (a path, a name under /dev or
// "COMn") at rate with the program's other stored settings. Errors are shown
// through the port's error handler and end as PortOpenFailure. The system
// console opens too, with a warning.
void openSerialLink(ComPortLink &serial, Frontend &ui, const QString &device, TBaudRate rate);
