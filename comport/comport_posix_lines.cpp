// The serial port's line control on Linux: DTR, RTS, XON/XOFF, break and the
// modem input lines.
#include "comport/comport.h"
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

void TCustomComPort::setLine(Line line, bool on)
{
    CheckActive();
    int bits = line == Line::DTR ? TIOCM_DTR : TIOCM_RTS;
    if (::ioctl(int(m_handle), on ? TIOCMBIS : TIOCMBIC, &bits) != 0 && !noSuchLine(errno))
        Check(false);
}

void TCustomComPort::SetXOn()
{
    CheckActive();
    Check(::ioctl(int(m_handle), TCXONC, TCOON) == 0);
}

void TCustomComPort::SetXOff()
{
    CheckActive();
    Check(::ioctl(int(m_handle), TCXONC, TCOOFF) == 0);
}

void TCustomComPort::ResetDevice()
{
    CheckActive();
    RaiseError(0, notSupported(QStringLiteral("Resetting the device")));
}

void TCustomComPort::SetBreak()
{
    CheckActive();
    if (::ioctl(int(m_handle), TIOCSBRK) != 0 && !noSuchLine(errno))
        Check(false);
}

void TCustomComPort::ClearBreak()
{
    CheckActive();
    if (::ioctl(int(m_handle), TIOCCBRK) != 0 && !noSuchLine(errno))
        Check(false);
}

void TCustomComPort::TransmitChar(char value)
{
    CheckActive();
    Check(::write(int(m_handle), &value, 1) == 1);
}

TModemStatus TCustomComPort::GetModemStatus()
{
    CheckActive();
    int bits = 0;
    if (!posixport::readModemLines(int(m_handle), bits)) {
        if (noSuchLine(errno))
            return {};
        Check(false);
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
