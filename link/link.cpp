#include "link/link.h"

#include "link/eventloopwait.h"
#include "link/seriallink.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <memory>

Link::Link(Frontend &ui, QObject *parent) : QObject(parent), m_ui(ui)
{
    // Qt's buffer holds no more than one receive block either; the rest
    // waits in the kernel (TCP flow control).
    Client.setReadBufferSize(TcpRxBufferSize);
    connect(&Client, &QTcpSocket::connected, this, &Link::onConnected);
    connect(&Client, &QTcpSocket::disconnected, this, &Link::onDisconnected);
    connect(&Client, &QTcpSocket::readyRead, this, &Link::onReadyRead);
    // Queued: the error question runs a modal loop, which must not sit inside
    // the socket's own signal emission.
    connect(&Client, &QTcpSocket::errorOccurred, this, &Link::onError, Qt::QueuedConnection);

    Timer3.setInterval(1000);
    connect(&Timer3, &QTimer::timeout, this, &Link::Timer3Tick);
    Timer3.start();
}

Link::~Link() = default;

void Link::waitForEvents(const QDeadlineTimer &deadline)
{
    std::unique_ptr<QSocketNotifier> serialBytes;
    if (!TcpMode && m_serial && m_serial->readableHandle() >= 0)
        serialBytes = std::make_unique<QSocketNotifier>(m_serial->readableHandle(), QSocketNotifier::Read);
    sleepInEventLoop(deadline);
}

void sleepInEventLoop(const QDeadlineTimer &deadline)
{
    const qint64 remaining = deadline.remainingTime();
    if (remaining == 0)
        return;
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);
    if (remaining > 0)
        wakeUp.start(int(qMin<qint64>(remaining, std::numeric_limits<int>::max())));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
