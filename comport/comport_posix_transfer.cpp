// The serial port's transfers on Linux: reads and writes with their
// time-outs, the driver's queues, line errors and purging.
#include "comport/comport.h"
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

// Wait until fd is ready for events or the time is up; false on time-out.
// A hung-up line is an error, unless it still has what was asked for.
bool waitReady(TCustomComPort &port, int fd, short events, int timeoutMs)
{
    pollfd p{fd, events, 0};
    int r;
    do
        r = ::poll(&p, 1, timeoutMs);
    while (r < 0 && errno == EINTR);
    port.Check(r >= 0);
    if (p.revents & POLLNVAL) {
        errno = EBADF;
        port.Check(false);
    }
    if ((p.revents & (POLLHUP | POLLERR)) && !(p.revents & events)) {
        errno = EIO;
        port.Check(false);
    }
    return r > 0;
}
} // namespace

int TCustomComPort::takeWaiting()
{
    while (m_readDone < m_readCount) {
        const ssize_t n = ::read(int(m_handle), m_readBuffer + m_readDone, size_t(m_readCount - m_readDone));
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

void TCustomComPort::fillRead(bool block)
{
    const int fd = int(m_handle);
    const QDeadlineTimer total =
        transferDeadline(m_timeouts.ReadMultiplier(), m_timeouts.ReadConstant(), m_readCount);
    // ReadInterval -1 with no total: the read finishes at once with what is there.
    const bool immediate = m_timeouts.ReadInterval() == -1 && total.isForever();
    QDeadlineTimer gap(QDeadlineTimer::Forever);
    for (;;) {
        const int before = m_readDone;
        if (const int error = takeWaiting())
            raiseSystemError(error);
        if (m_readDone == m_readCount)
            return;
        if (immediate) {
            m_readBuffer = nullptr;
            return;
        }
        if (m_readDone > before && m_timeouts.ReadInterval() > 0)
            gap.setRemainingTime(m_timeouts.ReadInterval());
        if (!block)
            return;
        const QDeadlineTimer until = qMin(total, gap);
        if (until.hasExpired() || !waitReady(*this, fd, POLLIN, remainingMs(until)))
            return;
    }
}

void TCustomComPort::watchPendingRead()
{
    if (!m_rxNotifier) {
        m_rxNotifier = new QSocketNotifier(m_handle, QSocketNotifier::Read, this);
        connect(m_rxNotifier, &QSocketNotifier::activated, this, &TCustomComPort::onRxReady);
    }
    m_rxNotifier->setEnabled(true);
}

void TCustomComPort::onRxReady()
{
    // Runs from the event loop: a failure is left for the next completion wait.
    if (!ReadPending() || takeWaiting() != 0 || !ReadPending())
        m_rxNotifier->setEnabled(false);
}

int TCustomComPort::pushWrite()
{
    while (!m_txBuffer.isEmpty()) {
        const ssize_t n = ::write(int(m_handle), m_txBuffer.constData(), size_t(m_txBuffer.size()));
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
            m_txNotifier = new QSocketNotifier(m_handle, QSocketNotifier::Write, this);
            connect(m_txNotifier, &QSocketNotifier::activated, this, &TCustomComPort::onTxReady);
        }
        m_txNotifier->setEnabled(true);
        return 0;
    }
    if (m_txNotifier)
        m_txNotifier->setEnabled(false);
    return 0;
}

void TCustomComPort::onTxReady()
{
    // Runs from the event loop: keep a failure for the next completion wait.
    if (pushWrite() != 0)
        m_txNotifier->setEnabled(false);
}

bool TCustomComPort::drainWrite()
{
    const int fd = int(m_handle);
    const QDeadlineTimer deadline =
        transferDeadline(m_timeouts.WriteMultiplier(), m_timeouts.WriteConstant(), m_writeCount);
    while (!m_txBuffer.isEmpty()) {
        if (const int error = pushWrite()) {
            m_txBuffer.clear();
            raiseSystemError(error);
        }
        if (m_txBuffer.isEmpty())
            break;
        if (deadline.hasExpired() || !waitReady(*this, fd, POLLOUT, remainingMs(deadline)))
            return false;
    }
    if (deadline.isForever()) {
        // Handed to the line, not just to the driver (tcdrain).
        int r;
        do
            r = ::ioctl(fd, TCSBRK, 1);
        while (r < 0 && errno == EINTR);
        Check(r == 0);
        return true;
    }
    // The drain call takes no deadline and a line held by flow control would
    // block it for good: watch the driver's queue run empty instead.
    while (queuedOutput() > 0) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(std::clamp<qint64>(deadline.remainingTime(), 1, 2));
    }
    return true;
}

int TCustomComPort::queuedOutput()
{
    int count = 0;
    Check(::ioctl(int(m_handle), TIOCOUTQ, &count) == 0);
    // A line source stands in for a device without lines: with CTS output
    // flow control and its CTS low, the driver would keep what it was given.
    int lines = 0;
    if (ModemLineSource() && m_options.contains(opOutputCTSFlow) && readModemLines(int(m_handle), lines)
        && !(lines & TIOCM_CTS))
        return std::max(count, 1);
    return count;
}

// ---- queues, line errors, purging ---------------------------------------------------------

int TCustomComPort::InputCount()
{
    int count = 0;
    Check(::ioctl(int(m_handle), FIONREAD, &count) == 0);
    if (count == 0) {
        // A hung-up line reads as empty; once drained it is the device gone.
        pollfd p{int(m_handle), 0, 0};
        if (::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP)) {
            errno = EIO;
            Check(false);
        }
    }
    reportLineErrors();
    return count;
}

int TCustomComPort::OutputCount()
{
    const int count = queuedOutput();
    reportLineErrors();
    return count + int(m_txBuffer.size());
}

TLineErrors TCustomComPort::takeLineErrors()
{
    serial_icounter_struct now{};
    if (m_handle < 0 || ::ioctl(int(m_handle), TIOCGICOUNT, &now) != 0)
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

void TCustomComPort::clearQueue(bool input)
{
    if (!Active())
        return;
    int queued = 0;
    if (input && ::ioctl(int(m_handle), FIONREAD, &queued) == 0)
        m_rxTaken += quint64(queued);
    Check(::ioctl(int(m_handle), TCFLSH, input ? TCIFLUSH : TCOFLUSH) == 0);
}

void TCustomComPort::Flush()
{
    if (Active() && m_undrained) {
        drainWrite();
        m_undrained = false;
    }
}
