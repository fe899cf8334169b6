// The serial port's line control on Linux: DTR, RTS, XON/XOFF, break and the
// modem input lines.
#include "comport/comport_posix.h"
#include "comport/modemlines.h"

#include <asm/termbits.h>  // TCOON, TCOOFF: not in <termios.h>
#include <cerrno>
#include <sys/ioctl.h>
#include <unistd.h>

using posixport::noSuchLine;
using posixport::notSupported;

bool posixport::readModemLines(int fd, int &lines)
{
    if (TModemLineSource *source = ModemLineSource())
        return source->read(fd, lines);
    return ::ioctl(fd, TIOCMGET, &lines) == 0;
}

void PosixComDevice::setLine(int bit, bool on)
{
    if (::ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &bit) != 0 && !noSuchLine(errno))
        check(false, on ? "ioctl(TIOCMBIS)" : "ioctl(TIOCMBIC)");
}

void PosixComDevice::escape(Escape function)
{
    switch (function) {
    case Escape::SetDTR:
    case Escape::ClearDTR:
        setLine(TIOCM_DTR, function == Escape::SetDTR);
        break;
    case Escape::SetRTS:
    case Escape::ClearRTS:
        setLine(TIOCM_RTS, function == Escape::SetRTS);
        break;
    case Escape::SetXOn:
    case Escape::SetXOff:
        check(::ioctl(m_fd, TCXONC, function == Escape::SetXOn ? TCOON : TCOOFF) == 0, "ioctl(TCXONC)");
        break;
    case Escape::ResetDevice:
        port().RaiseError(0, notSupported(QStringLiteral("Resetting the device")));
    case Escape::SetBreak:
    case Escape::ClearBreak:
        if (::ioctl(m_fd, function == Escape::SetBreak ? TIOCSBRK : TIOCCBRK) != 0 && !noSuchLine(errno))
            check(false, function == Escape::SetBreak ? "ioctl(TIOCSBRK)" : "ioctl(TIOCCBRK)");
        break;
    }
}

void PosixComDevice::transmitChar(char value) { check(::write(m_fd, &value, 1) == 1, "write"); }

TModemStatus PosixComDevice::modemStatus()
{
    int bits = 0;
    if (!posixport::readModemLines(m_fd, bits)) {
        if (noSuchLine(errno))
            return {};
        check(false, "ioctl(TIOCMGET)");
    }
    TModemStatus status;
    if (bits & TIOCM_CTS)
        status.include(msCTS);
    if (bits & TIOCM_DSR)
        status.include(msDSR);
    if (bits & TIOCM_RNG)
        status.include(msRing);
    if (bits & TIOCM_CAR)
        status.include(msRLSD);
    return status;
}
