#include "sim/ptytransport.h"

#include "sim/devicesim.h"
#include "sim/hayesmodem.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {
int bitsPerSecond(speed_t code)
{
    static const struct {
        speed_t code;
        int bitsPerSecond;
    } speeds[] = {{B1200, 1200},   {B2400, 2400},   {B4800, 4800},   {B9600, 9600},
                  {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};
    for (const auto &s : speeds)
        if (s.code == code)
            return s.bitsPerSecond;
    return 0;
}
}

PtyTransport::PtyTransport(DeviceSim &device, QObject *parent) : QObject(parent), m_device(device)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PtyTransport::onTimer);
    connect(&m_device, &DeviceSim::send, this, &PtyTransport::fromDevice);
    connect(&m_device, &DeviceSim::lineSpeedChanged, this, [this](int bitsPerSecond) {
        // Behind a modem the device changes its own line only; ours keeps its speed.
        if (bitsPerSecond > 0 && !m_modem)
            m_bitsPerSecond = bitsPerSecond;
    });
    connect(&m_device, &DeviceSim::dropLink, this, &PtyTransport::hangUp);
}

PtyTransport::~PtyTransport()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyTransport::open()
{
    char name[256] = {};
    termios raw{};
    ::cfmakeraw(&raw);
    raw.c_cflag |= CLOCAL | CREAD;
    ::cfsetspeed(&raw, B9600);
    if (::openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
        m_error = QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_slavePath = QString::fromLocal8Bit(name);
    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyTransport::onReadable);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyTransport::writeOut);
    return true;
}

void PtyTransport::hangUp()
{
    if (m_master < 0)
        return;
    delete m_readNotifier;
    delete m_writeNotifier;
    m_readNotifier = m_writeNotifier = nullptr;
    m_timer.stop();
    m_toDevice.clear();
    m_toProgram.clear();
    m_outbound.clear();
    // Both ends go: with the master closed the program's port hangs up.
    ::close(m_master);
    ::close(m_slave);
    m_master = m_slave = -1;
    emit hungUp();
}

void PtyTransport::fromDevice(const QByteArray &bytes)
{
    if (m_master < 0)
        return;
    if (m_slowLine) {
        m_toProgram.put(bytes, now(), characterNs(), m_bitsPerSecond);
        scheduleTimer();
    } else {
        m_outbound.append(asHeard(bytes, m_bitsPerSecond, programSpeed()));
        writeOut();
    }
}

void PtyTransport::setModem(HayesModem *modem)
{
    disconnect(&m_device, &DeviceSim::send, this, &PtyTransport::fromDevice);
    m_modem = modem;
    connect(modem, &HayesModem::send, this, &PtyTransport::fromDevice);
    // The program may drop the line without a byte after it: look during a call.
    m_dtrWatch.setInterval(50);
    connect(&m_dtrWatch, &QTimer::timeout, this, &PtyTransport::watchDtr);
    connect(modem, &HayesModem::carrierChanged, this, [this](bool present) {
        present ? m_dtrWatch.start() : m_dtrWatch.stop();
    });
}

// A pseudo-terminal carries no DTR. The program drops DTR only in its
// hang-up, which also clears the CTS flow control its dial switched on: that
// stands for the drop here.
void PtyTransport::watchDtr()
{
    if (m_modem && m_modem->inCall() && !programFlowControl())
        m_modem->hangUp();
}

bool PtyTransport::programFlowControl() const
{
    termios t{};
    return m_slave >= 0 && ::tcgetattr(m_slave, &t) == 0 && (t.c_cflag & CRTSCTS);
}

void PtyTransport::toDevice(const QByteArray &bytes)
{
    if (!m_modem) {
        m_device.receive(bytes);
        return;
    }
    watchDtr();
    m_modem->receive(bytes);
}

// Our slave descriptor shares the terminal settings the program's port made.
int PtyTransport::terminalSpeed(int fd)
{
    termios t{};
    if (fd < 0 || ::tcgetattr(fd, &t) != 0)
        return 0;
    return bitsPerSecond(::cfgetospeed(&t));
}

qint64 PtyTransport::characterNs() const
{
    // At least 1 ns: the wire divides by it.
    return qMax<qint64>(1, 1000000000LL * BitsPerCharacter / m_bitsPerSecond / m_compression);
}

QByteArray PtyTransport::asHeard(const QByteArray &bytes, int sentAt, int heardAt) const
{
    return sentAt == heardAt ? bytes : QByteArray(bytes.size(), Noise);
}

void PtyTransport::onReadable()
{
    char buffer[4096];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n <= 0) {
        if (n < 0 && errno == EAGAIN)
            return;
        m_readNotifier->setEnabled(false);  // cannot happen while we hold the slave open
        return;
    }
    // The bytes leave the program now, at the speed its port is set to.
    const QByteArray sent(buffer, int(n));
    m_toDevice.put(asHeard(sent, programSpeed(), m_bitsPerSecond), now(), characterNs(), m_bitsPerSecond);
    scheduleTimer();
}

void PtyTransport::onTimer()
{
    const qint64 t = now();
    QByteArray arrived;
    for (const SerialWire::Piece &piece : m_toDevice.take(t))
        arrived.append(piece.bytes);
    for (const SerialWire::Piece &piece : m_toProgram.take(t))
        m_outbound.append(asHeard(piece.bytes, piece.bitsPerSecond, programSpeed()));
    writeOut();
    // The device may hang the line up while it takes the bytes.
    if (!arrived.isEmpty())
        toDevice(arrived);
    scheduleTimer();
}

void PtyTransport::writeOut()
{
    while (!m_outbound.isEmpty() && m_master >= 0) {
        const ssize_t n = ::write(m_master, m_outbound.constData(), size_t(m_outbound.size()));
        if (n <= 0)
            break;
        m_outbound.remove(0, n);
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_outbound.isEmpty());  // the program is not reading yet
}

void PtyTransport::scheduleTimer()
{
    if (m_master < 0)
        return;
    qint64 next = m_toDevice.nextArrivalNs();
    const qint64 toProgram = m_toProgram.nextArrivalNs();
    if (next < 0 || (toProgram >= 0 && toProgram < next))
        next = toProgram;
    if (next < 0)
        return;
    const qint64 waitNs = next - now();
    m_timer.start(int(qMax<qint64>(0, (waitNs + 999999) / 1000000)));
}
