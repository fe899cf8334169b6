// The serial port's transfers on Linux: reads and writes with their
// time-outs, the driver's queues, line errors and purging.
#include "comport/comport_posix.h"
#include "comport/modemlines.h"

#include <QDeadlineTimer>
#include <QSocketNotifier>

#include <asm/termbits.h>  // TCIFLUSH, TCOFLUSH: not in <termios.h>
#include <algorithm>
#include <cerrno>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

using posixport::readModemLines;

namespace {
// Milliseconds left until deadline, -1 for none, 0 once passed.
int remainingMs(const QDeadlineTimer &deadline)
{
    return deadline.isForever() ? -1 : int(deadline.remainingTime());
}

QDeadlineTimer transferDeadline(qint32 multiplier, qint32 constant, int count)
{
    const qint64 total = qint64(multiplier) * count + constant;
    return total > 0 ? QDeadlineTimer(total) : QDeadlineTimer(QDeadlineTimer::Forever);
}

// Wait until fd is ready for events or the time is up: 0 on time-out, 1
// when ready, or the system's error. A hung-up line is an error, unless it
// still has what was asked for.
int waitReady(int fd, short events, int timeoutMs, bool &ready)
{
    pollfd p{fd, events, 0};
    int r;
    do
        r = ::poll(&p, 1, timeoutMs);
    while (r < 0 && errno == EINTR);
    if (r < 0)
        return errno;
    if (p.revents & POLLNVAL)
        return EBADF;
    if ((p.revents & (POLLHUP | POLLERR)) && !(p.revents & events))
        return EIO;
    ready = r > 0;
    return 0;
}
} // namespace


int PosixComDevice::takeWaiting()
{
    while (m_readDone < m_readCount) {
        const ssize_t n = ::read(m_fd, m_readBuffer + m_readDone, size_t(m_readCount - m_readDone));
        if (n > 0) {
            m_readDone += int(n);
            m_rxTaken += quint64(n);
        } else if (n == 0) {
            return EIO;  // end of file: the line hung up
        } else if (errno != EINTR) {
            return errno == EAGAIN ? 0 : errno;
        }
    }
    return 0;
}

void PosixComDevice::fillRead(bool block)
{
    const int fd = m_fd;
    const TTimeouts &timeouts = port().Timeouts();
    const QDeadlineTimer total =
        transferDeadline(timeouts.ReadMultiplier(), timeouts.ReadConstant(), m_readCount);
    // ReadInterval -1 with no total: the read finishes at once with what is there.
    const bool immediate = timeouts.ReadInterval() == -1 && total.isForever();
    QDeadlineTimer gap(QDeadlineTimer::Forever);
    for (;;) {
        const int before = m_readDone;
        if (const int error = takeWaiting())
            fail(error, "read");
        if (m_readDone == m_readCount)
            return;
        if (immediate) {
            m_readBuffer = nullptr;
            return;
        }
        if (m_readDone > before && timeouts.ReadInterval() > 0)
            gap.setRemainingTime(timeouts.ReadInterval());
        if (!block)
            return;
        const QDeadlineTimer until = qMin(total, gap);
        if (until.hasExpired())
            return;
        bool ready = false;
        if (const int error = waitReady(fd, POLLIN, remainingMs(until), ready))
            fail(error, "poll");
        if (!ready)
            return;
    }
}

void PosixComDevice::startRead(char *buffer, int count)
{
    m_readBuffer = buffer;
    m_readCount = count;
    m_readDone = 0;
    try {
        fillRead(false);
    } catch (...) {
        m_readBuffer = nullptr;  // a failed read must not write there later
        throw;
    }
    if (!readPending())
        return;
    if (!m_rxNotifier) {
        m_rxNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read);
        QObject::connect(m_rxNotifier, &QSocketNotifier::activated, [this] { onRxReady(); });
    }
    m_rxNotifier->setEnabled(true);
}

bool PosixComDevice::finishRead()
{
    fillRead(true);
    return !readPending();
}

void PosixComDevice::abortRead()
{
    m_readBuffer = nullptr;  // the pending read ends with what it has
    if (m_rxNotifier)
        m_rxNotifier->setEnabled(false);
}

void PosixComDevice::onRxReady()
{
    // Runs from the event loop: a failure is left for the next completion wait.
    if (!readPending() || takeWaiting() != 0 || !readPending())
        m_rxNotifier->setEnabled(false);
}

void PosixComDevice::startWrite(const char *data, int count)
{
    m_writeCount = count;
    m_txBuffer.append(data, count);
    m_undrained = true;
    if (const int error = pushWrite()) {
        m_txBuffer.clear();
        fail(error, "write");
    }
}

int PosixComDevice::pushWrite()
{
    while (!m_txBuffer.isEmpty()) {
        const ssize_t n = ::write(m_fd, m_txBuffer.constData(), size_t(m_txBuffer.size()));
        if (n > 0) {
            m_txBuffer.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return errno;
        // The driver's queue is full: go on when it has room.
        if (!m_txNotifier) {
            m_txNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write);
            QObject::connect(m_txNotifier, &QSocketNotifier::activated, [this] { onTxReady(); });
        }
        m_txNotifier->setEnabled(true);
        return 0;
    }
    if (m_txNotifier)
        m_txNotifier->setEnabled(false);
    return 0;
}

void PosixComDevice::onTxReady()
{
    // Runs from the event loop: keep a failure for the next completion wait.
    if (pushWrite() != 0)
        m_txNotifier->setEnabled(false);
}

bool PosixComDevice::finishWrite()
{
    if (!m_undrained)
        return true;
    const bool drained = drainWrite();
    m_undrained = false;
    if (!drained)
        clearQueue(false);
    return drained;
}

void PosixComDevice::abortWrite()
{
    m_txBuffer.clear();
    m_undrained = false;
}

bool PosixComDevice::drainWrite()
{
    const int fd = m_fd;
    const TTimeouts &timeouts = port().Timeouts();
    const QDeadlineTimer deadline =
        transferDeadline(timeouts.WriteMultiplier(), timeouts.WriteConstant(), m_writeCount);
    while (!m_txBuffer.isEmpty()) {
        if (const int error = pushWrite()) {
            m_txBuffer.clear();
            fail(error, "write");
        }
        if (m_txBuffer.isEmpty())
            break;
        if (deadline.hasExpired())
            return false;
        bool ready = false;
        if (const int error = waitReady(fd, POLLOUT, remainingMs(deadline), ready))
            fail(error, "poll");
        if (!ready)
            return false;
    }
    if (deadline.isForever()) {
        // Handed to the line, not just to the driver (tcdrain).
        int r;
        do
            r = ::ioctl(fd, TCSBRK, 1);
        while (r < 0 && errno == EINTR);
        check(r == 0, "ioctl(TCSBRK)");
        return true;
    }
    // The drain call takes no deadline and a line held by flow control would
    // block it for good: watch the driver's queue run empty instead.
    while (portQueuedOutput() > 0) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(std::clamp<qint64>(deadline.remainingTime(), 1, 2));
    }
    return true;
}

int PosixComDevice::outputQueue()
{
    int count = 0;
    check(::ioctl(m_fd, TIOCOUTQ, &count) == 0, "ioctl(TIOCOUTQ)");
    // A line source stands in for a device without lines: with CTS output
    // flow control and its CTS low, the driver would keep what it was given.
    int lines = 0;
    if (ModemLineSource() && port().Options().contains(opOutputCTSFlow) && readModemLines(m_fd, lines)
        && !(lines & TIOCM_CTS))
        return std::max(count, 1);
    return count;
}

// ---- queues, line errors, purging ---------------------------------------------------------

int PosixComDevice::inputCount()
{
    int count = 0;
    check(::ioctl(m_fd, FIONREAD, &count) == 0, "ioctl(FIONREAD)");
    if (count == 0) {
        // A hung-up line reads as empty; once drained it is the device gone.
        pollfd p{m_fd, 0, 0};
        if (::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP))
            fail(EIO, "poll");
    }
    return count;
}

TLineErrors PosixComDevice::takeLineErrors()
{
    serial_icounter_struct now{};
    if (m_fd < 0 || ::ioctl(m_fd, TIOCGICOUNT, &now) != 0)
        return {};  // no error counters on this device
    const std::array<int, 5> counters{now.brk, now.frame, now.overrun, now.buf_overrun, now.parity};
    QMutexLocker lock(&m_lineErrorLock);
    const std::array<int, 5> before = std::exchange(m_lineCounters, counters);
    if (!m_lineCountersValid) {
        m_lineCountersValid = true;
        return {};
    }
    static const TLineError kinds[] = {leBreak, leFrame, leOverrun, leRxOverflow, leParity};
    TLineErrors errors;
    for (size_t i = 0; i < counters.size(); ++i)
        if (counters[i] != before[i])
            errors.include(kinds[i]);
    return errors;
}

void PosixComDevice::clearQueue(bool input)
{
    if (m_fd < 0)
        return;
    int queued = 0;
    if (input && ::ioctl(m_fd, FIONREAD, &queued) == 0)
        m_rxTaken += quint64(queued);
    if (!input)
        abortWrite();  // bytes still in our own buffer count as queued in the driver
    check(::ioctl(m_fd, TCFLSH, input ? TCIFLUSH : TCOFLUSH) == 0, "ioctl(TCFLSH)");
}

void PosixComDevice::flush()
{
    if (m_undrained) {
        drainWrite();
        m_undrained = false;
    }
}
