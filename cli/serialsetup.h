#pragma once
#include <QString>
#include <memory>

class ComPortLink;
class Frontend;

// Opens the program's serial port on device (a path, a name under /dev or
// "COMn") at bitsPerSecond with the program's other stored settings. Errors
// are shown through the port's error handler and end as EAbort.
std::unique_ptr<ComPortLink> openSerialLink(Frontend &ui, const QString &device, int bitsPerSecond);
