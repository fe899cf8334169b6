// The serial port's event thread on Windows: an overlapped WaitCommEvent,
// waited for together with the thread's own wake-up event. Every character
// that arrives also wakes the UI thread, whose waits for device bytes sleep
// in its event loop (the driver offers nothing else to wait on for them).
#include "comport/comport_win32.h"

#include <QMetaObject>

namespace {
// How often a driver that cannot wait for line events is asked for them:
// about a character time at 9600 bit/s, so replies are not held up.
constexpr DWORD kSampleMs = 1;
constexpr DWORD kLineErrors = CE_FRAME | CE_OVERRUN | CE_RXPARITY | CE_RXOVER;

class Win32EventWait : public ComEventWait {
public:
    Win32EventWait(Win32ComDevice &device, HANDLE handle, QObject &uiSide, int inputSize);
    ~Win32EventWait() override;
    bool isValid() const override { return m_recordEvent && m_wakeEvent; }
    bool wait(quint32 mask, quint32 &events, ComFailure &failure) override;
    void wake() override { SetEvent(m_wakeEvent); }
    void noteWrite() override;

private:
    // One WaitCommEvent; false when it failed (for sampling: sampleInstead).
    bool waitForDriver(quint32 mask, quint32 &events, ComFailure &failure, bool &sampleInstead);
    // What the driver would have reported, from its queues and error word.
    bool sample(quint32 mask, quint32 &events, ComFailure &failure);
    // Ends the pending wait early; what it saw meanwhile.
    DWORD cancel(OVERLAPPED &record, const DWORD &seen);
    // The driver cannot wait for events on this device: Wine ends every wait
    // on a device without modem lines (a pseudo-terminal) at once.
    bool driverCannotWait() const;
    void arrived(quint32 mask);

    Win32ComDevice &m_device;
    const HANDLE m_handle;
    QObject &m_uiSide;
    const HANDLE m_recordEvent;  // auto-reset, of the wait's record
    const HANDLE m_wakeEvent;    // auto-reset
    const DWORD m_rx80Threshold;
    std::atomic<bool> m_sampling{false};
    quint64 m_seenReceived;
    bool m_wasFull = false;
    std::atomic<bool> m_written{false};
    bool m_txArmed = false;
};

Win32EventWait::Win32EventWait(Win32ComDevice &device, HANDLE handle, QObject &uiSide, int inputSize)
    : m_device(device), m_handle(handle), m_uiSide(uiSide), m_recordEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_wakeEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)), m_rx80Threshold(DWORD(qMax(1, inputSize * 8 / 10)))
{
    COMSTAT stat{};
    DWORD errors = 0;  // bytes waiting now are no news
    ClearCommError(m_handle, &errors, &stat);
    m_device.keepLineErrors(errors);
    m_seenReceived = device.bytesTaken() + stat.cbInQue;
}

Win32EventWait::~Win32EventWait()
{
    for (HANDLE event : {m_recordEvent, m_wakeEvent})
        if (event)
            CloseHandle(event);
}

// The driver reports the transmit queue running empty itself; sampling arms it.
void Win32EventWait::noteWrite()
{
    m_written = true;
    if (m_sampling)
        wake();
}

void Win32EventWait::arrived(quint32 mask)
{
    if (!(mask & EV_RXCHAR))
        QMetaObject::invokeMethod(&m_uiSide, [] {}, Qt::QueuedConnection);
}

bool Win32EventWait::wait(quint32 mask, quint32 &events, ComFailure &failure)
{
    for (;;) {
        if (m_sampling)
            return sample(mask, events, failure);
        bool sampleInstead = false;
        if (waitForDriver(mask, events, failure, sampleInstead))
            return true;
        if (!sampleInstead)
            return false;
        m_sampling = true;
    }
}

bool Win32EventWait::waitForDriver(quint32 mask, quint32 &events, ComFailure &failure, bool &sampleInstead)
{
    for (;;) {
        OVERLAPPED record{};
        record.hEvent = m_recordEvent;
        DWORD seen = 0;
        if (!WaitCommEvent(m_handle, &seen, &record)) {
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
            if (which != WAIT_OBJECT_0) {
                failure = {int(GetLastError()), "WaitForMultipleObjects"};
                cancel(record, seen);
                return false;
            }
            DWORD ignored = 0;
            if (!GetOverlappedResult(m_handle, &record, &ignored, FALSE)) {
                failure = {int(GetLastError()), "WaitCommEvent"};
                sampleInstead = failure.error == ERROR_OPERATION_ABORTED && driverCannotWait();
                return false;
            }
        }
        if (seen & EV_RXCHAR)
            arrived(mask);
        // 0: the driver's mask changed while waiting; wait again.
        events = seen & mask;
        if (events)
            return true;
    }
}

DWORD Win32EventWait::cancel(OVERLAPPED &record, const DWORD &seen)
{
    CancelIoEx(m_handle, &record);
    DWORD ignored = 0;
    // The record lives on the caller's stack: wait until the driver is done with it.
    return GetOverlappedResult(m_handle, &record, &ignored, TRUE) ? seen : 0;
}

bool Win32EventWait::driverCannotWait() const
{
    DWORD lines = 0;
    return !GetCommModemStatus(m_handle, &lines) && win32port::noSuchLine(GetLastError());
}

// Mirrors the driver: new bytes (not bytes still waiting), the queue
// reaching 80 %, line errors and break (kept for the port to report), the
// transmit queue running empty after a write. A device without modem lines
// has no line changes to report.
bool Win32EventWait::sample(quint32 mask, quint32 &events, ComFailure &failure)
{
    for (;;) {
        const quint64 taken = m_device.bytesTaken();  // before the queue: see the POSIX wait
        COMSTAT stat{};
        DWORD errors = 0;
        if (!ClearCommError(m_handle, &errors, &stat)) {
            failure = {int(GetLastError()), "ClearCommError"};
            return false;
        }
        m_device.keepLineErrors(errors);
        DWORD seen = 0;
        const quint64 received = taken + stat.cbInQue;
        if (received > m_seenReceived) {
            seen |= EV_RXCHAR;
            arrived(mask);
        }
        m_seenReceived = qMax(m_seenReceived, received);
        const bool full = stat.cbInQue >= m_rx80Threshold;
        if (full && !m_wasFull)
            seen |= EV_RX80FULL;
        m_wasFull = full;
        if (errors & CE_BREAK)
            seen |= EV_BREAK;
        if (errors & kLineErrors)
            seen |= EV_ERR;
        if (m_written.exchange(false))
            m_txArmed = true;
        if (m_txArmed && stat.cbOutQue == 0) {
            m_txArmed = false;
            seen |= EV_TXEMPTY;
        }
        events = seen & mask;
        if (events)
            return true;
        if (WaitForSingleObject(m_wakeEvent, kSampleMs) == WAIT_OBJECT_0)
            return true;  // a new mask, a write or a stop request: the caller looks
    }
}
} // namespace

std::unique_ptr<ComEventWait> Win32ComDevice::eventWait()
{
    return std::make_unique<Win32EventWait>(*this, m_handle, port(), port().BufferSizes().Input());
}
