// The serial port's transfers on Windows: overlapped reads and writes, their
// completion in the event loop or in a completion wait, the driver's queues,
// line errors and purging.
#include "comport/comport_win32.h"

#include <QWinEventNotifier>

// ---- one direction's transfer ----------------------------------------------------------

OverlappedTransfer::~OverlappedTransfer() { destroy(); }

bool OverlappedTransfer::create()
{
    destroy();
    m_event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    if (!m_event)
        return false;
    m_notifier = new QWinEventNotifier;  // enabled only while a transfer is under way
    m_notifier->setHandle(m_event);
    QObject::connect(m_notifier, &QWinEventNotifier::activated, [this] { takeIfComplete(); });
    return true;
}

void OverlappedTransfer::destroy()
{
    delete std::exchange(m_notifier, nullptr);
    if (m_event)
        CloseHandle(std::exchange(m_event, nullptr));
    m_issued = false;
}

bool OverlappedTransfer::begin(int count)
{
    if (!ResetEvent(m_event))
        return false;
    m_record = OVERLAPPED{};
    m_record.hEvent = m_event;
    m_count = count;
    m_issued = true;
    return true;
}

void OverlappedTransfer::started(HANDLE device, bool atOnce)
{
    m_device = device;
    DWORD moved = 0;
    if (!atOnce)
        m_notifier->setEnabled(true);
    else if (GetOverlappedResult(m_device, &m_record, &moved, FALSE))
        take(moved);
    else
        m_issued = false;
}

void OverlappedTransfer::take(DWORD moved)
{
    m_issued = false;
    if (onTaken)
        onTaken(moved);
}

// The event stays signalled: the notifier must not fire again for it.
void OverlappedTransfer::takeIfComplete()
{
    m_notifier->setEnabled(false);
    DWORD moved = 0;
    // A short or failed transfer is left for the completion wait to report.
    if (m_issued && GetOverlappedResult(m_device, &m_record, &moved, FALSE) && int(moved) == m_count)
        take(moved);
}

bool OverlappedTransfer::finish(DWORD &moved, DWORD &error)
{
    m_notifier->setEnabled(false);
    if (GetOverlappedResult(m_device, &m_record, &moved, TRUE)) {
        take(moved);
        return true;
    }
    error = GetLastError();
    m_issued = false;
    return false;
}

void OverlappedTransfer::forget()
{
    m_issued = false;
    if (m_notifier)
        m_notifier->setEnabled(false);
}

// ---- reads and writes ------------------------------------------------------------------

void Win32ComDevice::checkStart(bool ok, OverlappedTransfer &transfer, const char *call)
{
    if (ok)
        return;
    const int error = complatform::lastError();
    if (error == 0)
        return;  // under way
    transfer.forget();
    complatform::clearLastError();
    fail(error, call);
}

void Win32ComDevice::startRead(char *buffer, int count)
{
    check(m_read.begin(count), "ResetEvent");
    const bool atOnce = ReadFile(m_handle, buffer, DWORD(count), nullptr, m_read.record());
    checkStart(atOnce, m_read, "ReadFile");
    m_read.started(m_handle, atOnce);
}

void Win32ComDevice::startWrite(const char *data, int count)
{
    // The caller may let go of data before the driver has sent it.
    m_txBuffer = QByteArray(data, count);
    check(m_write.begin(count), "ResetEvent");
    const bool atOnce = WriteFile(m_handle, m_txBuffer.constData(), DWORD(count), nullptr, m_write.record());
    checkStart(atOnce, m_write, "WriteFile");
    m_write.started(m_handle, atOnce);
}

bool Win32ComDevice::finish(OverlappedTransfer &transfer, const char *call)
{
    DWORD moved = 0, error = 0;
    if (!transfer.finish(moved, error))
        fail(int(error), call);
    return int(moved) == transfer.count();
}

bool Win32ComDevice::finishRead() { return finish(m_read, "GetOverlappedResult(ReadFile)"); }

bool Win32ComDevice::finishWrite()
{
    return !m_write.issued() || finish(m_write, "GetOverlappedResult(WriteFile)");
}

void Win32ComDevice::abort(OverlappedTransfer &transfer, DWORD purgeFlag)
{
    if (!transfer.issued())
        return;
    const DWORD purgeError = PurgeComm(m_handle, purgeFlag) ? ERROR_SUCCESS : GetLastError();
    release(transfer);  // Wine's purge leaves transfers under way
    if (purgeError != ERROR_SUCCESS)
        fail(int(purgeError), "PurgeComm");
}

void Win32ComDevice::release(OverlappedTransfer &transfer)
{
    if (!transfer.issued())
        return;
    CancelIoEx(m_handle, transfer.record());
    DWORD moved = 0, error = 0;
    transfer.finish(moved, error);  // ended by us: its result says nothing
}

void Win32ComDevice::abortRead() { abort(m_read, PURGE_RXABORT); }

void Win32ComDevice::abortWrite() { abort(m_write, PURGE_TXABORT); }

// ---- queues, line errors, purging ---------------------------------------------------------

COMSTAT Win32ComDevice::status()
{
    DWORD errors = 0;
    COMSTAT stat{};
    check(ClearCommError(m_handle, &errors, &stat), "ClearCommError");
    m_lineErrors |= errors;
    return stat;
}

int Win32ComDevice::inputCount() { return int(status().cbInQue); }

int Win32ComDevice::outputQueue() { return int(status().cbOutQue); }

TLineErrors Win32ComDevice::takeLineErrors()
{
    DWORD errors = 0;
    if (m_handle != INVALID_HANDLE_VALUE)
        check(ClearCommError(m_handle, &errors, nullptr), "ClearCommError");
    errors |= m_lineErrors.exchange(0);
    static const std::pair<DWORD, TLineError> kinds[] = {
        {CE_BREAK, leBreak},    {CE_DNS, leDeviceNotSelected}, {CE_FRAME, leFrame},
        {CE_IOE, leIO},         {CE_MODE, leMode},             {CE_OOP, leOutOfPaper},
        {CE_OVERRUN, leOverrun}, {CE_PTO, leDeviceTimeOut},    {CE_RXOVER, leRxOverflow},
        {CE_RXPARITY, leParity}, {CE_TXFULL, leTxFull}};
    TLineErrors found;
    for (const auto &[bit, kind] : kinds)
        if (errors & bit)
            found.include(kind);
    return found;
}

void Win32ComDevice::clearQueue(bool input)
{
    if (m_handle == INVALID_HANDLE_VALUE)
        return;
    if (input)
        m_rxTaken += status().cbInQue;
    check(PurgeComm(m_handle, input ? PURGE_RXCLEAR : PURGE_TXCLEAR), "PurgeComm");
}

void Win32ComDevice::flush() { check(FlushFileBuffers(m_handle), "FlushFileBuffers"); }
