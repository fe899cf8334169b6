// The serial port's event thread on Linux. The driver signals arriving bytes
// and a hang-up; the rest (modem lines, error counters, the output queue
// running empty) is sampled. One watch per kind of event, each comparing the
// driver's state now with what it saw last.
#include "comport/comport_posix.h"

#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

using posixport::noSuchLine;

namespace {
constexpr quint32 kReceiveEvents = evRxChar | evRx80Full;
constexpr quint32 kModemEvents = evCTS | evDSR | evRLSD | evRing;
constexpr quint32 kCounterEvents = evBreak | evError;

// A look at the driver failed: a device without the thing looked at (has
// goes false) is no failure; anything else ends the wait with the error.
bool lacksOrFailed(bool &has, ComFailure &failure, const char *call)
{
    if (!noSuchLine(errno)) {
        failure = {errno, call};
        return false;
    }
    has = false;
    return true;
}
} // namespace

namespace {
// Each watch adds the events of the mask it saw to seen; false with the
// system's error when the device failed.
struct WaitState {
    int fd = -1;
    int wakeFd = -1;
    int rx80Threshold = 0;
    int waiting = 0;  // bytes in the driver's input queue at the last look
    quint64 seenReceived = 0;
    bool wasFull = false;
    bool hasModemLines = true;
    int modemLines = -1;
    bool hasCounters = true;
    serial_icounter_struct counters{};
    bool countersValid = false;
    bool txArmed = false;

    bool watchReceived(quint32 mask, quint64 taken, quint32 &seen, ComFailure &failure);
    bool watchModemLines(quint32 mask, quint32 &seen, ComFailure &failure);
    bool watchLineErrors(quint32 mask, quint32 &seen, ComFailure &failure);
    void watchTxEmpty(quint32 mask, bool written, quint32 &seen);
    // woken: wake() was called.
    bool waitForChange(quint32 mask, bool &woken, ComFailure &failure);
};

// A character event is new bytes, not bytes still waiting: taken (the bytes
// the port took) is read before the queue, so a read in between can only
// make the sum too small, which delays nothing that arrives later.
bool WaitState::watchReceived(quint32 mask, quint64 taken, quint32 &seen, ComFailure &failure)
{
    if (::ioctl(fd, FIONREAD, &waiting) != 0) {
        failure = {errno, "ioctl(FIONREAD)"};
        return false;
    }
    const quint64 received = taken + quint64(waiting);
    if ((mask & evRxChar) && received > seenReceived)
        seen |= evRxChar;
    seenReceived = qMax(seenReceived, received);
    const bool full = waiting >= rx80Threshold;
    if ((mask & evRx80Full) && full && !wasFull)
        seen |= evRx80Full;
    wasFull = full;
    return true;
}

bool WaitState::watchModemLines(quint32 mask, quint32 &seen, ComFailure &failure)
{
    if (!(mask & kModemEvents) || !hasModemLines)
        return true;
    int lines = 0;
    if (!posixport::readModemLines(fd, lines))
        return lacksOrFailed(hasModemLines, failure, "ioctl(TIOCMGET)");
    const int changed = modemLines < 0 ? 0 : (lines ^ modemLines);
    if (changed & TIOCM_CTS)
        seen |= evCTS;
    if (changed & TIOCM_DSR)
        seen |= evDSR;
    if (changed & TIOCM_CAR)
        seen |= evRLSD;
    if ((changed & TIOCM_RNG) && !(lines & TIOCM_RNG))  // the end of a ring
        seen |= evRing;
    modemLines = lines;
    return true;
}

bool WaitState::watchLineErrors(quint32 mask, quint32 &seen, ComFailure &failure)
{
    if (!(mask & kCounterEvents) || !hasCounters)
        return true;
    serial_icounter_struct now{};
    if (::ioctl(fd, TIOCGICOUNT, &now) != 0)
        return lacksOrFailed(hasCounters, failure, "ioctl(TIOCGICOUNT)");
    if (countersValid) {
        if (now.brk != counters.brk)
            seen |= evBreak;
        if (now.frame != counters.frame || now.parity != counters.parity || now.overrun != counters.overrun ||
            now.buf_overrun != counters.buf_overrun)
            seen |= evError;
    }
    counters = now;
    countersValid = true;
    return true;
}

// Armed by a write; fires once the driver's output queue has run empty.
void WaitState::watchTxEmpty(quint32 mask, bool written, quint32 &seen)
{
    if (!(mask & evTxEmpty))
        return;
    if (written)
        txArmed = true;
    int output = 0;
    if (txArmed && ::ioctl(fd, TIOCOUTQ, &output) == 0 && output == 0) {
        txArmed = false;
        seen |= evTxEmpty;
    }
}

// What the driver does not signal (modem lines, error counters, waiting
// bytes growing, the output queue running empty) is sampled every 10 ms;
// otherwise the wait ends with a signal from the driver or from wake().
bool WaitState::waitForChange(quint32 mask, bool &woken, ComFailure &failure)
{
    const bool sample = ((mask & kModemEvents) && hasModemLines) || ((mask & kCounterEvents) && hasCounters) ||
                        txArmed || ((mask & kReceiveEvents) && waiting > 0);
    const bool waitInput = (mask & kReceiveEvents) && waiting == 0;
    pollfd fds[2] = {{fd, short(waitInput ? POLLIN : 0), 0}, {wakeFd, POLLIN, 0}};
    const int r = ::poll(fds, 2, sample ? 10 : -1);
    if (r < 0) {
        if (errno == EINTR)
            return true;
        failure = {errno, "poll"};
        return false;
    }
    if (fds[1].revents) {
        quint64 count;
        [[maybe_unused]] const ssize_t n = ::read(wakeFd, &count, sizeof count);
        woken = true;
        return true;
    }
    if (fds[0].revents & POLLNVAL) {
        failure = {EBADF, "poll"};
        return false;
    }
    if (fds[0].revents & (POLLHUP | POLLERR)) {
        failure = {EIO, "poll"};  // the line hung up: the device is gone
        return false;
    }
    return true;
}

class PosixEventWait : public ComEventWait {
public:
    // inputSize: the driver's input queue, as the port's settings give it.
    PosixEventWait(const PosixComDevice &device, int inputSize);
    ~PosixEventWait() override;
    bool isValid() const override { return m_state.wakeFd >= 0; }
    bool wait(quint32 mask, quint32 &events, ComFailure &failure) override;
    void wake() override;
    void noteWrite() override;

private:
    const PosixComDevice &m_device;
    WaitState m_state;
    std::atomic<bool> m_written{false};
};
} // namespace

std::unique_ptr<ComEventWait> PosixComDevice::eventWait()
{
    return std::make_unique<PosixEventWait>(*this, port().BufferSizes().Input());
}

PosixEventWait::PosixEventWait(const PosixComDevice &device, int inputSize) : m_device(device)
{
    m_state.fd = int(device.handle());
    m_state.wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_state.rx80Threshold = qMax(1, inputSize * 8 / 10);
    int input = 0;  // bytes waiting now are no news
    ::ioctl(m_state.fd, FIONREAD, &input);
    m_state.seenReceived = device.bytesTaken() + quint64(input);
}

PosixEventWait::~PosixEventWait()
{
    if (m_state.wakeFd >= 0)
        ::close(m_state.wakeFd);
}

void PosixEventWait::wake()
{
    const quint64 one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_state.wakeFd, &one, sizeof one);
}

void PosixEventWait::noteWrite()
{
    m_written = true;
    wake();
}

bool PosixEventWait::wait(quint32 mask, quint32 &events, ComFailure &failure)
{
    WaitState &w = m_state;
    for (;;) {
        quint32 seen = 0;
        if (!w.watchReceived(mask, m_device.bytesTaken(), seen, failure) || !w.watchModemLines(mask, seen, failure) ||
            !w.watchLineErrors(mask, seen, failure))
            return false;
        w.watchTxEmpty(mask, (mask & evTxEmpty) && m_written.exchange(false), seen);
        seen &= mask;
        if (seen) {
            events = seen;
            return true;
        }
        bool woken = false;
        if (!w.waitForChange(mask, woken, failure))
            return false;
        if (woken) {
            events = 0;  // a new mask or a stop request: the caller looks
            return true;
        }
    }
}
