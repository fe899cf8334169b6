#pragma once
// The serial port's device on Windows: a comm handle opened for overlapped
// I/O, the DCB, comm time-outs and events. What the serial port's Win32
// files share.
#include "comport/comport_platform.h"

#include <QByteArray>
#include <atomic>
#include <functional>
#include <windows.h>

class QWinEventNotifier;

namespace win32port {
// A device without modem lines (Wine's pseudo-terminal) answers line control
// and the modem status so; it is not a failure of the port.
inline bool noSuchLine(DWORD error) { return error == ERROR_NOT_SUPPORTED; }
} // namespace win32port

// One direction's overlapped transfer: its record and its manual-reset
// event, signalled while nothing is under way. A transfer stays issued until
// its result has been taken: by the completion wait, or by the event loop
// when it moved every byte.
class OverlappedTransfer {
public:
    ~OverlappedTransfer();
    // The event; false with the system's last error.
    bool create();
    void destroy();
    // A cleared record for a transfer of count bytes; false with the last error.
    bool begin(int count);
    OVERLAPPED *record() { return &m_record; }
    // The transfer call on device returned: done at once (the driver's
    // time-outs decided what "done" is; no byte count is compared then), or
    // under way.
    void started(HANDLE device, bool atOnce);
    bool issued() const { return m_issued; }
    int count() const { return m_count; }
    // Blocks until the transfer has ended and takes its result: true with
    // the bytes moved, false with the system's error.
    bool finish(DWORD &moved, DWORD &error);
    void forget();
    // Called with the bytes moved whenever a transfer's result is taken.
    std::function<void(DWORD moved)> onTaken;

private:
    void take(DWORD moved);
    void takeIfComplete();

    OVERLAPPED m_record{};
    HANDLE m_event = nullptr;
    HANDLE m_device = INVALID_HANDLE_VALUE;
    QWinEventNotifier *m_notifier = nullptr;
    int m_count = 0;
    bool m_issued = false;
};

class Win32ComDevice : public ComDevice {
public:
    explicit Win32ComDevice(TCustomComPort &port);
    ~Win32ComDevice() override;

    // INVALID_HANDLE_VALUE is -1, as a closed port's handle reads.
    qintptr handle() const override { return qintptr(m_handle); }
    void open(const QString &path) override;
    void close() override;

    void applyLineSettings() override;
    void applyBufferSizes() override;
    void applyTimeouts() override;
    void applyEventMask(quint32 mask) override;
    // Only the driver sees bytes arrive; the event thread tells the UI thread.
    bool wakesOnArrival() const override { return true; }
    std::unique_ptr<ComEventWait> eventWait() override;

    void startRead(char *buffer, int count) override;
    bool readPending() const override { return m_read.issued(); }
    bool finishRead() override;
    void abortRead() override;

    void startWrite(const char *data, int count) override;
    bool writePending() const override { return m_write.issued(); }
    bool finishWrite() override;
    void abortWrite() override;
    // The driver holds a pending write's bytes and counts them in its queue.
    int unsentBytes() const override { return 0; }

    int inputCount() override;
    int outputQueue() override;
    TLineErrors takeLineErrors() override;
    // Line errors the event thread cleared, for the next takeLineErrors.
    void keepLineErrors(DWORD errors) { m_lineErrors |= errors; }
    // Bytes taken from the driver's input queue (read or purged) since the
    // open: with the queue's count, a sampling event thread sees new bytes.
    quint64 bytesTaken() const { return m_rxTaken; }
    void clearQueue(bool input) override;
    void flush() override;

    void escape(Escape function) override;
    void transmitChar(char value) override;
    TModemStatus modemStatus() override;

private:
    // The driver's queue counts; the line errors the call cleared are kept
    // for the next takeLineErrors.
    COMSTAT status();
    // Waits for transfer to end and takes its result; false when it moved
    // fewer bytes than asked.
    bool finish(OverlappedTransfer &transfer, const char *call);
    // Ends an issued transfer through the driver's purge (flag), released.
    void abort(OverlappedTransfer &transfer, DWORD purgeFlag);
    // Ends an issued transfer and waits until the driver has let go of its
    // buffer (the caller's, or ours).
    void release(OverlappedTransfer &transfer);
    // A failed start of transfer: forgotten, then raised unless only pending.
    void checkStart(bool ok, OverlappedTransfer &transfer, const char *call);

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    OverlappedTransfer m_read;
    OverlappedTransfer m_write;
    QByteArray m_txBuffer;  // a write's bytes, until the driver is done with them
    std::atomic<DWORD> m_lineErrors{0};  // cleared by a queue count, not yet reported
    std::atomic<quint64> m_rxTaken{0};
};
