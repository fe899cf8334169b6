#pragma once
#include <QString>

// Whether the device file at path could be taken as a serial port now,
// asked without touching the line: its settings, modem lines and queues stay
// as they are (a built-in port may be the console). 0 when it is a serial
// line no other port holds; else the system's error number (held: EBUSY on
// Linux, ERROR_ACCESS_DENIED on Windows).
int probeSerialDevice(const QString &path);
