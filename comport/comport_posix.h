#pragma once
// The serial port's device on Linux: a tty file descriptor, termios2 and
// ioctl. What the serial port's POSIX files share.
#include "comport/comport_platform.h"

#include <QByteArray>
#include <QMutex>
#include <QString>

#include <array>
#include <atomic>
#include <cerrno>

class QSocketNotifier;

namespace posixport {
// A device without modem lines or error counters (a pseudo-terminal) answers
// these; it is not a failure of the port.
inline bool noSuchLine(int error) { return error == ENOTTY || error == EINVAL; }

// The modem input lines, from the driver or from the source a test installed.
bool readModemLines(int fd, int &lines);

QString notSupported(const QString &what);

// A device file opened as the serial port takes it, or why it was not.
struct SerialOpen {
    int fd = -1;
    PortStatus status;
    const char *call = "";  // the system call that refused it
};
// Opens path without blocking and without touching the line settings, and
// keeps it only when it is a serial line no other port holds (its lock goes
// with the descriptor).
SerialOpen openSerialDevice(const QString &path);
} // namespace posixport

class PosixComDevice : public ComDevice {
public:
    explicit PosixComDevice(TCustomComPort &port) : ComDevice(port) {}
    ~PosixComDevice() override;

    qintptr handle() const override { return m_fd; }
    quint64 bytesTaken() const { return m_rxTaken; }
    void open(const QString &path) override;
    void close() override;

    void applyLineSettings() override;
    // The driver's queue sizes are its own business; the values are kept only.
    void applyBufferSizes() override {}
    // The transfers read the time-outs each time; nothing to hand to the driver.
    void applyTimeouts() override {}
    // The event thread asks the driver itself; the driver keeps no mask.
    void applyEventMask(quint32) override {}
    // The descriptor turns readable: the UI thread's waits watch it themselves.
    bool wakesOnArrival() const override { return false; }
    std::unique_ptr<ComEventWait> eventWait() override;

    void startRead(char *buffer, int count) override;
    bool readPending() const override { return m_readBuffer && m_readDone < m_readCount; }
    bool finishRead() override;
    void abortRead() override;

    void startWrite(const char *data, int count) override;
    bool writePending() const override { return !m_txBuffer.isEmpty(); }
    bool finishWrite() override;
    void abortWrite() override;
    int unsentBytes() const override { return int(m_txBuffer.size()); }

    int inputCount() override;
    int outputQueue() override;
    TLineErrors takeLineErrors() override;
    void clearQueue(bool input) override;
    void flush() override;

    void escape(Escape function) override;
    void transmitChar(char value) override;
    TModemStatus modemStatus() override;

private:
    void setLine(int bit, bool on);
    void fillRead(bool block);
    int takeWaiting();  // 0 or the system's error
    void onRxReady();
    int pushWrite();  // 0 or the system's error
    void onTxReady();
    bool drainWrite();  // false when the write time-out ran out first

    int m_fd = -1;
    // Bytes taken from the driver's input queue (read or purged) since the
    // open: with the queue's count, the event thread sees every new byte.
    std::atomic<quint64> m_rxTaken{0};

    // Pending read: the caller's buffer, filled until count bytes are in,
    // also from the event loop when the caller does not wait.
    char *m_readBuffer = nullptr;
    int m_readCount = 0;
    int m_readDone = 0;
    QSocketNotifier *m_rxNotifier = nullptr;
    // Pending write: the bytes live here until the driver has taken them.
    QByteArray m_txBuffer;
    int m_writeCount = 0;
    bool m_undrained = false;
    QSocketNotifier *m_txNotifier = nullptr;

    QMutex m_lineErrorLock;  // the event thread checks line errors too
    std::array<int, 5> m_lineCounters{};  // the driver's error counters at the last check
    bool m_lineCountersValid = false;
};
