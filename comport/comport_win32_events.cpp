// The serial port's event thread on Windows: an overlapped WaitCommEvent,
// waited for together with the thread's own wake-up event. Every character
// that arrives also wakes the UI thread, whose waits for device bytes sleep
// in its event loop (the driver offers nothing else to wait on for them).
#include "comport/comport_win32.h"

#include <QMetaObject>

namespace {
class Win32EventWait : public ComEventWait {
public:
    Win32EventWait(HANDLE device, QObject &uiSide);
    ~Win32EventWait() override;
    bool isValid() const override { return m_recordEvent && m_wakeEvent; }
    bool wait(quint32 mask, quint32 &events, ComFailure &failure) override;
    void wake() override { SetEvent(m_wakeEvent); }
    // The driver reports the transmit queue running empty by itself.
    void noteWrite() override {}

private:
    // Ends the pending wait early and takes what it saw meanwhile.
    DWORD cancel(OVERLAPPED &record, const DWORD &seen);

    const HANDLE m_device;
    QObject &m_uiSide;
    const HANDLE m_recordEvent;  // auto-reset, of the wait's record
    const HANDLE m_wakeEvent;    // auto-reset
};

Win32EventWait::Win32EventWait(HANDLE device, QObject &uiSide)
    : m_device(device), m_uiSide(uiSide), m_recordEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_wakeEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

Win32EventWait::~Win32EventWait()
{
    for (HANDLE event : {m_recordEvent, m_wakeEvent})
        if (event)
            CloseHandle(event);
}

DWORD Win32EventWait::cancel(OVERLAPPED &record, const DWORD &seen)
{
    CancelIoEx(m_device, &record);
    DWORD ignored = 0;
    // The record lives on the caller's stack: wait until the driver is done with it.
    return GetOverlappedResult(m_device, &record, &ignored, TRUE) ? seen : 0;
}

bool Win32EventWait::wait(quint32 mask, quint32 &events, ComFailure &failure)
{
    for (;;) {
        OVERLAPPED record{};
        record.hEvent = m_recordEvent;
        DWORD seen = 0;
        if (!WaitCommEvent(m_device, &seen, &record)) {
            if (GetLastError() != ERROR_IO_PENDING) {
                failure = {int(GetLastError()), "WaitCommEvent"};
                return false;
            }
            const HANDLE waitFor[] = {m_recordEvent, m_wakeEvent};
            const DWORD which = WaitForMultipleObjects(2, waitFor, FALSE, INFINITE);
            if (which == WAIT_OBJECT_0 + 1) {
                // A new mask or a stop request: the caller looks.
                events = cancel(record, seen) & mask;
                return true;
            }
            DWORD ignored = 0;
            if (which != WAIT_OBJECT_0 || !GetOverlappedResult(m_device, &record, &ignored, FALSE)) {
                failure = {int(GetLastError()), "WaitCommEvent"};
                return false;
            }
        }
        if ((seen & EV_RXCHAR) && !(mask & EV_RXCHAR))
            QMetaObject::invokeMethod(&m_uiSide, [] {}, Qt::QueuedConnection);
        // 0: the driver's mask changed while waiting; wait again.
        events = seen & mask;
        if (events)
            return true;
    }
}
} // namespace

std::unique_ptr<ComEventWait> Win32ComDevice::eventWait() { return std::make_unique<Win32EventWait>(m_handle, port()); }
