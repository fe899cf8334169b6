// The serial port on Linux: termios2 + ioctl. Everything that talks to the
// operating system lives in this file, so another platform's file can sit
// beside it.
#include "comport/comport.h"
#include "comport/comthread.h"
#include "comport/modemlines.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSocketNotifier>

#include <asm/termbits.h>  // termios2, BOTHER, CMSPAR: not in <termios.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {
struct StandardSpeed {
    qint32 bitsPerSecond;
    unsigned code;
};
constexpr StandardSpeed kStandardSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {150, B150},         {300, B300},
    {600, B600},       {1200, B1200},     {1800, B1800},     {2400, B2400},       {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},     {115200, B115200},
    {230400, B230400}, {460800, B460800}, {500000, B500000}, {576000, B576000},   {921600, B921600},
    {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
};

// A device without modem lines or error counters (a pseudo-terminal) answers
// these; it is not a failure of the port.
bool noSuchLine(int error) { return error == ENOTTY || error == EINVAL; }

// The modem input lines, from the driver or from the source a test installed.
bool readModemLines(int fd, int &lines)
{
    if (TModemLineSource *source = ModemLineSource())
        return source->read(fd, lines);
    return ::ioctl(fd, TIOCMGET, &lines) == 0;
}

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

QString notSupported(const QString &what) { return what + QStringLiteral(" is not supported by this platform"); }

const char *optionName(TOption option)
{
    static const char *const names[] = {"opCheckParity",       "opOutputCTSFlow", "opOutputDSRFlow",
                                        "opDSRSensitivity",    "opTXContinueOnXOff", "opUseErrorChar",
                                        "opDiscardNullBytes",  "opAbortOnError"};
    return names[option];
}
} // namespace

// ---- names and errors ------------------------------------------------------------------

QString TCustomComPort::DevicePath() const
{
    if (m_deviceName.startsWith(QLatin1Char('/')))
        return m_deviceName;
    // The n-th serial port, as the stored default "COM1" means it.
    static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]*)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comName.match(m_deviceName);
    if (match.hasMatch())
        return QStringLiteral("/dev/ttyS%1").arg(match.captured(1).toInt() - 1);
    return QStringLiteral("/dev/") + m_deviceName;
}

QString TCustomComPort::systemMessage(int error) { return QString::fromLocal8Bit(strerror(error)); }

bool TCustomComPort::isDeviceGone(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV || error == EACCES;
}

void TCustomComPort::Check(bool ok)
{
    if (ok)
        return;
    const int error = errno;
    if (error == 0 || error == EAGAIN || error == EINPROGRESS)
        return;
    errno = 0;
    raiseSystemError(error);
}

// ---- open and close --------------------------------------------------------------------

void TCustomComPort::openDevice()
{
    const QByteArray path = QFile::encodeName(DevicePath());
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == EACCES)
            RaiseError(error, QStringLiteral("%1 (%2). Serielle Schnittstellen dürfen nur Mitglieder der Gruppe "
                                             "\"dialout\" benutzen: sudo usermod -aG dialout $USER, dann neu anmelden.")
                                  .arg(systemMessage(error), QString::fromLocal8Bit(path)));
        RaiseError(error, systemMessage(error));
    }
    // TIOCEXCL does not stop a privileged second opener; the lock does. A
    // refused opener must not close through closeDevice: its TIOCNXCL would
    // clear the holder's exclusive flag.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        RaiseError(EBUSY, systemMessage(EBUSY));
    }
    m_handle = fd;
    m_rxTaken = 0;
    Check(::ioctl(fd, TIOCEXCL) == 0);

    termios2 tio{};
    Check(::ioctl(fd, TCGETS2, &tio) == 0);
    // Raw bytes both ways; the settings decide the rest.
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | IMAXBEL);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;  // so a read of 0 bytes means the line hung up
    tio.c_cc[VTIME] = 0;
    Check(::ioctl(fd, TCSETS2, &tio) == 0);
    takeLineErrors();  // count errors from now on
}

void TCustomComPort::closeDevice()
{
    if (m_handle < 0)
        return;
    const int fd = int(std::exchange(m_handle, -1));
    ::ioctl(fd, TIOCNXCL);  // the exclusive flag outlives our descriptor otherwise
    ::close(fd);
    m_lineCountersValid = false;
}

void TCustomComPort::raisePriority()
{
    // The nearest to the priority classes are nice values; without the right
    // to raise them the port opens anyway.
    static const int niceValue[] = {0, 19, 0, -10, -20};
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, 0);
    if (errno != 0)
        return;
    m_savedPriority = current;
    m_prioritySaved = true;
    ::setpriority(PRIO_PROCESS, 0, niceValue[m_priorityClass]);
}

void TCustomComPort::restorePriority()
{
    ::setpriority(PRIO_PROCESS, 0, m_savedPriority);
    m_prioritySaved = false;
}

// ---- line settings ------------------------------------------------------------------------

void TCustomComPort::SetComDCB()
{
    if (!Active())
        return;
    const int fd = int(m_handle);
    termios2 tio{};
    Check(::ioctl(fd, TCGETS2, &tio) == 0);
    CopyDCB(tio, true);
    Check(::ioctl(fd, TCSETS2, &tio) == 0);
    if (m_flowControl.DTR() == dcEnable || m_flowControl.DTR() == dcDisable)
        setLine(Line::DTR, m_flowControl.DTR() == dcEnable);
    if (m_flowControl.RTS() == rcEnable || m_flowControl.RTS() == rcDisable)
        setLine(Line::RTS, m_flowControl.RTS() == rcEnable);
}

void TCustomComPort::CopyDCB(TComDCB &tio, bool toDCB)
{
    if (!toDCB) {
        SetCustomBaudRate(qint32(tio.c_ospeed));
        static const TDataBits sizes[] = {db5, db6, db7, db8};
        m_dataBits = sizes[(tio.c_cflag & CSIZE) >> 4];
        if (!(tio.c_cflag & PARENB))
            m_parity = paNone;
        else if (tio.c_cflag & CMSPAR)
            m_parity = (tio.c_cflag & PARODD) ? paMark : paSpace;
        else
            m_parity = (tio.c_cflag & PARODD) ? paOdd : paEven;
        m_stopBits = (tio.c_cflag & CSTOPB) ? sb2 : sb1;
        m_characters.SetXOn(char(tio.c_cc[VSTART]));
        m_characters.SetXOff(char(tio.c_cc[VSTOP]));
        m_flowControl.m_rts = (tio.c_cflag & CRTSCTS) ? rcHandshake : rcDisable;
        static const TXOnXOffControl xon[] = {xcDisable, xcOutput, xcInput, xcInputOutput};
        m_flowControl.m_xonxoff = xon[((tio.c_iflag & IXON) ? 1 : 0) | ((tio.c_iflag & IXOFF) ? 2 : 0)];
        m_options.exclude(opCheckParity).exclude(opOutputCTSFlow);
        if (tio.c_iflag & INPCK)
            m_options.include(opCheckParity);
        if (tio.c_cflag & CRTSCTS)
            m_options.include(opOutputCTSFlow);
        SetComDCB();
        return;
    }

    // Refuse what the line cannot do before changing anything.
    if (m_dataBits == db4)
        RaiseError(0, notSupported(QStringLiteral("4 data bits")));
    if (m_stopBits == sb1_5 && m_dataBits != db5)
        RaiseError(0, QStringLiteral("1.5 stop bits are possible with 5 data bits only"));
    if (m_flowControl.DTR() == dcHandshake)
        RaiseError(0, notSupported(QStringLiteral("DTR handshake")));
    if (m_flowControl.RTS() == rcToggle)
        RaiseError(0, notSupported(QStringLiteral("RTS toggle")));
    for (TOption option : {opOutputDSRFlow, opDSRSensitivity, opTXContinueOnXOff, opUseErrorChar,
                           opDiscardNullBytes, opAbortOnError})
        if (m_options.contains(option))
            RaiseError(0, notSupported(QStringLiteral("The option %1").arg(QLatin1String(optionName(option)))));

    if (m_baudRate != brDefault) {
        const qint32 speed = CustomBaudRate();
        if (speed <= 0)
            RaiseError(0, QStringLiteral("Invalid line speed %1").arg(speed));
        unsigned code = BOTHER;  // any other rate goes by number
        for (const StandardSpeed &s : kStandardSpeeds)
            if (s.bitsPerSecond == speed)
                code = s.code;
        tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));  // input speed follows output
        tio.c_cflag |= code;
        tio.c_ispeed = tio.c_ospeed = speed_t(speed);
    }
    if (m_dataBits != dbDefault) {
        static const tcflag_t sizes[] = {0, 0, CS5, CS6, CS7, CS8};
        tio.c_cflag = (tio.c_cflag & ~CSIZE) | sizes[m_dataBits];
    }
    if (m_parity != paDefault) {
        static const tcflag_t parity[] = {0, 0, PARENB | PARODD, PARENB, PARENB | PARODD | CMSPAR, PARENB | CMSPAR};
        tio.c_cflag = (tio.c_cflag & ~(PARENB | PARODD | CMSPAR)) | parity[m_parity];
    }
    if (m_stopBits != sbDefault) {
        // With 5 data bits the line's second stop bit is one and a half.
        tio.c_cflag = m_stopBits == sb1 ? (tio.c_cflag & ~CSTOPB) : (tio.c_cflag | CSTOPB);
    }
    // Error, Eof and Event characters and the XON/XOFF limits have no
    // counterpart in the line discipline; they are kept in the settings only.
    tio.c_cc[VSTART] = cc_t(m_characters.XOn());
    tio.c_cc[VSTOP] = cc_t(m_characters.XOff());
    if (m_flowControl.XOnXOff() != xcDefault) {
        static const tcflag_t xon[] = {0, 0, IXOFF, IXON, IXON | IXOFF};
        tio.c_iflag = (tio.c_iflag & ~(IXON | IXOFF | IXANY)) | xon[m_flowControl.XOnXOff()];
    }
    // The line has one switch for both directions of the RTS/CTS handshake.
    const bool hardwareFlow = m_flowControl.RTS() == rcHandshake || m_options.contains(opOutputCTSFlow);
    tio.c_cflag = hardwareFlow ? (tio.c_cflag | CRTSCTS) : (tio.c_cflag & ~CRTSCTS);
    tio.c_iflag = m_options.contains(opCheckParity) ? (tio.c_iflag | INPCK) : (tio.c_iflag & ~INPCK);
}

// The driver's queue sizes are its own business; the values are kept only.
void TCustomComPort::SetComBufferSizes() {}

// The transfers read the time-outs each time; nothing to hand to the driver.
void TCustomComPort::SetComTimeouts() {}

// ---- transfers ------------------------------------------------------------------------------

namespace {
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

// ---- line control -------------------------------------------------------------------------

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
    if (!readModemLines(int(m_handle), bits)) {
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

// ---- enumeration ----------------------------------------------------------------------------

void TCustomComPort::EnumDevices(QStringList &list)
{
    for (const QString &name : QDir(QStringLiteral("/sys/class/tty")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        list.append(QStringLiteral("/dev/") + name);
}

void TCustomComPort::EnumComDevices(QStringList &list, const QString &ttyClass)
{
    const QDir ttys(ttyClass);
    for (const QString &name : ttys.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        // Serial lines have a device behind them (USB adapters included);
        // the kernel's reserved serial slots without hardware say type 0.
        if (!QFile::exists(ttys.filePath(name + QStringLiteral("/device"))))
            continue;
        QFile type(ttys.filePath(name + QStringLiteral("/type")));
        if (type.open(QIODevice::ReadOnly) && type.read(16).trimmed() == "0")
            continue;
        list.append(QStringLiteral("/dev/") + name);
    }
}

// udev keeps the system's register of serial ports: one link per port in
// /dev/serial/by-id. Without udev (or without ports) nothing is appended.
void TCustomComPort::EnumComDevicesFromRegistry(QStringList &list)
{
    const QDir registry(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo &entry : registry.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        const QString port = entry.canonicalFilePath();
        if (!port.isEmpty())
            list.append(port);
    }
}

// ---- event thread ---------------------------------------------------------------------------

struct TComThread::WaitState {
    int fd = -1;
    int wakeFd = -1;
    int rx80Threshold = 0;
    quint64 seenReceived = 0;
    bool wasFull = false;
    bool hasModemLines = true;
    int modemLines = -1;
    bool hasCounters = true;
    serial_icounter_struct counters{};
    bool countersValid = false;
    bool txArmed = false;
};

TComThread::TComThread(TCustomComPort &port, quint32 mask)
    : m_port(port), m_synchronize(port.SynchronizeEvents()), m_mask(mask), m_wait(std::make_unique<WaitState>())
{
    m_wait->fd = int(port.Handle());
    m_wait->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_wait->rx80Threshold = qMax(1, port.BufferSizes().Input() * 8 / 10);
    int input = 0;  // bytes waiting now are no news
    ::ioctl(m_wait->fd, FIONREAD, &input);
    m_wait->seenReceived = port.m_rxTaken + quint64(input);
}

TComThread::~TComThread()
{
    if (m_wait->wakeFd >= 0)
        ::close(m_wait->wakeFd);
}

bool TComThread::isValid() const { return m_wait->wakeFd >= 0; }

void TComThread::wake()
{
    const quint64 one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_wait->wakeFd, &one, sizeof one);
}

bool TComThread::waitForEvents(quint32 &events, int &error)
{
    WaitState &w = *m_wait;
    const quint32 mask = m_mask;
    constexpr quint32 modemEvents = evCTS | evDSR | evRLSD | evRing;
    for (;;) {
        quint32 seen = 0;
        // A character event is new bytes, not bytes still waiting. Taken
        // before queued: a read in between can only make the sum too small,
        // which delays nothing that arrives later.
        const quint64 taken = m_port.m_rxTaken;
        int input = 0;
        if (::ioctl(w.fd, FIONREAD, &input) != 0) {
            error = errno;
            return false;
        }
        const quint64 received = taken + quint64(input);
        if ((mask & evRxChar) && received > w.seenReceived)
            seen |= evRxChar;
        w.seenReceived = qMax(w.seenReceived, received);
        const bool full = input >= w.rx80Threshold;
        if ((mask & evRx80Full) && full && !w.wasFull)
            seen |= evRx80Full;
        w.wasFull = full;

        if ((mask & modemEvents) && w.hasModemLines) {
            int lines = 0;
            if (readModemLines(w.fd, lines)) {
                const int changed = w.modemLines < 0 ? 0 : (lines ^ w.modemLines);
                if (changed & TIOCM_CTS)
                    seen |= evCTS;
                if (changed & TIOCM_DSR)
                    seen |= evDSR;
                if (changed & TIOCM_CAR)
                    seen |= evRLSD;
                if ((changed & TIOCM_RNG) && !(lines & TIOCM_RNG))  // the end of a ring
                    seen |= evRing;
                w.modemLines = lines;
            } else if (noSuchLine(errno)) {
                w.hasModemLines = false;
            } else {
                error = errno;
                return false;
            }
        }
        if ((mask & (evBreak | evError)) && w.hasCounters) {
            serial_icounter_struct now{};
            if (::ioctl(w.fd, TIOCGICOUNT, &now) == 0) {
                if (w.countersValid) {
                    if (now.brk != w.counters.brk)
                        seen |= evBreak;
                    if (now.frame != w.counters.frame || now.parity != w.counters.parity ||
                        now.overrun != w.counters.overrun || now.buf_overrun != w.counters.buf_overrun)
                        seen |= evError;
                }
                w.counters = now;
                w.countersValid = true;
            } else if (noSuchLine(errno)) {
                w.hasCounters = false;
            } else {
                error = errno;
                return false;
            }
        }
        if (mask & evTxEmpty) {
            if (m_written.exchange(false))
                w.txArmed = true;
            int output = 0;
            if (w.txArmed && ::ioctl(w.fd, TIOCOUTQ, &output) == 0 && output == 0) {
                w.txArmed = false;
                seen |= evTxEmpty;
            }
        }
        seen &= mask;
        if (seen) {
            events = seen;
            return true;
        }

        // Block until something can have changed. What the driver does not
        // signal (modem lines, error counters, waiting bytes growing, the
        // output queue running empty) is sampled every 10 ms.
        const bool sample = ((mask & modemEvents) && w.hasModemLines) ||
                            ((mask & (evBreak | evError)) && w.hasCounters) || w.txArmed ||
                            ((mask & (evRxChar | evRx80Full)) && input > 0);
        const bool waitInput = (mask & (evRxChar | evRx80Full)) && input == 0;
        pollfd fds[2] = {{w.fd, short(waitInput ? POLLIN : 0), 0}, {w.wakeFd, POLLIN, 0}};
        const int r = ::poll(fds, 2, sample ? 10 : -1);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (fds[1].revents) {
            quint64 count;
            [[maybe_unused]] const ssize_t n = ::read(w.wakeFd, &count, sizeof count);
            events = 0;  // a new mask or a stop request: the caller looks
            return true;
        }
        if (fds[0].revents & POLLNVAL) {
            error = EBADF;
            return false;
        }
        if (fds[0].revents & (POLLHUP | POLLERR)) {
            error = EIO;  // the line hung up: the device is gone
            return false;
        }
    }
}
