#pragma once
// What the serial port's POSIX files share.
#include <QString>

#include <cerrno>

namespace posixport {
// A device without modem lines or error counters (a pseudo-terminal) answers
// these; it is not a failure of the port.
inline bool noSuchLine(int error) { return error == ENOTTY || error == EINVAL; }

// The modem input lines, from the driver or from the source a test installed.
bool readModemLines(int fd, int &lines);

QString notSupported(const QString &what);
} // namespace posixport
