#include "sim/ptytransport.h"

#include "sim/devicesim.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyTransport::PtyTransport(DeviceSim &device, QObject *parent) : QObject(parent), m_device(device)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        deliverArrived();
        paceOutput();
        scheduleTimers();
    });
    connect(&m_device, &DeviceSim::send, this, [this](const QByteArray &bytes) {
        if (m_slowLine) {
            m_paced.append(bytes);
            paceOutput();
            scheduleTimers();
        } else {
            m_outbound.append(bytes);
            writeOut();
        }
    });
    connect(&m_device, &DeviceSim::lineSpeedChanged, this, [this](int bitsPerSecond) {
        if (bitsPerSecond > 0)
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
    // Both ends go: with the master closed the program's port hangs up.
    ::close(m_master);
    ::close(m_slave);
    m_master = m_slave = -1;
    emit hungUp();
}

qint64 PtyTransport::characterNs() const { return 1000000000LL * BitsPerCharacter / m_bitsPerSecond; }

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
    // The bytes leave the program now and are on the device's side once their
    // last bit has crossed the wire.
    const qint64 now = m_clock.nsecsElapsed();
    m_inboundLineFreeNs = qMax(now, m_inboundLineFreeNs) + n * characterNs();
    m_inbound.append({m_inboundLineFreeNs, QByteArray(buffer, int(n))});
    scheduleTimers();
}

void PtyTransport::deliverArrived()
{
    const qint64 now = m_clock.nsecsElapsed();
    QByteArray arrived;
    while (!m_inbound.isEmpty() && m_inbound.first().arrivesNs <= now)
        arrived.append(m_inbound.takeFirst().bytes);
    if (!arrived.isEmpty())
        m_device.receive(arrived);
}

void PtyTransport::paceOutput()
{
    const qint64 now = m_clock.nsecsElapsed();
    if (m_nextOutNs < now - characterNs())
        m_nextOutNs = now - characterNs();  // the line was idle
    int due = 0;
    while (due < m_paced.size() && m_nextOutNs + characterNs() <= now) {
        m_nextOutNs += characterNs();
        ++due;
    }
    if (due > 0) {
        m_outbound.append(m_paced.left(due));
        m_paced.remove(0, due);
        writeOut();
    }
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

void PtyTransport::scheduleTimers()
{
    if (m_master < 0)
        return;
    qint64 next = -1;
    if (!m_inbound.isEmpty())
        next = m_inbound.first().arrivesNs;
    if (!m_paced.isEmpty()) {
        const qint64 paced = m_nextOutNs + characterNs();
        next = next < 0 ? paced : qMin(next, paced);
    }
    if (next < 0)
        return;
    const qint64 waitNs = next - m_clock.nsecsElapsed();
    m_timer.start(int(qMax<qint64>(0, (waitNs + 999999) / 1000000)));
}
