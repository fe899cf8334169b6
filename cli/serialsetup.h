#pragma once
#include "comport/comport.h"

#include <QString>
#include <QStringList>
#include <optional>

class ComPortLink;
class Frontend;

// Opens the program's serial port on device (a path, a name under /dev or
// "COMn") at rate with the program's other stored settings. Errors are shown
// through the port's error handler and end as EAbort.
void openSerialLink(ComPortLink &serial, Frontend &ui, const QString &device, TBaudRate rate);
