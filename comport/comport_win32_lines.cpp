// The serial port's line control on Windows: DTR, RTS, XON/XOFF, break, the
// character sent ahead of the queue and the modem input lines.
#include "comport/comport_win32.h"

using win32port::noSuchLine;

namespace {
// A call on a line the device may not have: only a failure when it has it.
bool doneOrNoLine(BOOL ok) { return ok || noSuchLine(GetLastError()); }
} // namespace

void Win32ComDevice::escape(Escape function)
{
    const auto line = [this](DWORD code) { check(doneOrNoLine(EscapeCommFunction(m_handle, code)), "EscapeCommFunction"); };
    const auto other = [this](DWORD code) { check(EscapeCommFunction(m_handle, code), "EscapeCommFunction"); };
    switch (function) {
    case Escape::SetDTR: line(SETDTR); break;
    case Escape::ClearDTR: line(CLRDTR); break;
    case Escape::SetRTS: line(SETRTS); break;
    case Escape::ClearRTS: line(CLRRTS); break;
    case Escape::SetXOn: other(SETXON); break;
    case Escape::SetXOff: other(SETXOFF); break;
    case Escape::ResetDevice: other(RESETDEV); break;
    case Escape::SetBreak: check(doneOrNoLine(SetCommBreak(m_handle)), "SetCommBreak"); break;
    case Escape::ClearBreak: check(doneOrNoLine(ClearCommBreak(m_handle)), "ClearCommBreak"); break;
    }
}

void Win32ComDevice::transmitChar(char value) { check(TransmitCommChar(m_handle, value), "TransmitCommChar"); }

TModemStatus Win32ComDevice::modemStatus()
{
    DWORD bits = 0;
    if (!GetCommModemStatus(m_handle, &bits)) {
        if (noSuchLine(GetLastError()))
            return {};
        check(false, "GetCommModemStatus");
    }
    TModemStatus status;
    if (bits & MS_CTS_ON)
        status.include(msCTS);
    if (bits & MS_DSR_ON)
        status.include(msDSR);
    if (bits & MS_RING_ON)
        status.include(msRing);
    if (bits & MS_RLSD_ON)
        status.include(msRLSD);
    return status;
}
