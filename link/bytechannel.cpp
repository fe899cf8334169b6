// The byte channel: the same operations over the serial port and TCP.
#include "link/link.h"

#include "link/eventloopwait.h"
#include "link/seriallink.h"

#include <QCoreApplication>

bool Link::SendBytes(const QByteArray &data)
{
    return SendBytes(data, limits.sendHoldLimitMs);
}

bool Link::SendBytes(const QByteArray &data, int holdLimitMs, const std::function<bool()> &stop)
{
    if (!TcpMode) {
        if (!m_serial)
            return false;
        if (trace)
            trace(true, data);
        return m_serial->SendBytes(data.constData(), int(data.size()), holdLimitMs,
                                   stop ? stop : [this] { return CancelRequested; });
    }
    if (!tcpLinkForSending())
        return false;  // dropped; the caller's receive times out
    if (trace)
        trace(true, data);
    Client.write(data);
    Client.flush();
    return true;
}

void Link::SendByte(quint8 byte)
{
    if (!TcpMode) {
        if (m_serial) {
            if (trace)
                trace(true, QByteArray(1, char(byte)));
            m_serial->SendByte(byte);
        }
        return;
    }
    if (!TcpConnected && TcpLinkState == TcpState::Connecting) {
        // A handler inside a connect attempt: queue it for the connection.
        if (TcpPending.size() < TcpPendingSize)
            TcpPending.append(char(byte));
        return;
    }
    if (!tcpLinkForSending())
        return;
    QByteArray out = TcpPending;
    TcpPending.clear();
    out.append(char(byte));
    if (trace)
        trace(true, out);
    Client.write(out);
    Client.flush();
}

int Link::PollByte(quint8 &byte)
{
    if (!TcpMode) {
        if (!m_serial || !m_serial->PollByte(byte))
            return 0;
    } else {
        if (m_rxIndex >= m_rx.size())
            pullSocket();
        if (m_rxIndex >= m_rx.size())
            return 0;
        byte = quint8(m_rx.at(m_rxIndex++));
    }
    if (trace)
        trace(false, QByteArray(1, char(byte)));
    return 1;
}

quint8 Link::WaitByte(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs, Qt::PreciseTimer);
    while (!deadline.hasExpired()) {
        if (CancelRequested)
            break;
        quint8 byte;
        if (PollByte(byte))
            return byte;
        waitForEvents(deadline);
    }
    if (!CancelRequested)
        m_linkFailed = true;
    return 0;
}

void Link::PumpWait(int ms)
{
    if (ms <= 0)
        return;
    const QDeadlineTimer deadline(ms, Qt::PreciseTimer);
    while (!deadline.hasExpired() && !QCoreApplication::closingDown())
        sleepInEventLoop(deadline);  // not woken by unread serial bytes
}

void Link::PurgeInput()
{
    if (!TcpMode && m_serial)
        m_serial->PurgeInput();
}

void Link::SetBaudRate(TBaudRate rate)
{
    if (!TcpMode && m_serial)
        m_serial->SetBaudRate(rate);
}
