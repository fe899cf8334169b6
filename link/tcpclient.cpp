// The TCP client link: connection life, socket events and the tick's duty.
#include "frontend/frontend.h"
#include "link/link.h"

#include <QCoreApplication>
#include <cerrno>

namespace {
// The error number shown to the user: the system's number where Qt's error
// has one, so it can be looked up.
int systemErrorNumber(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return ECONNREFUSED;
    case QAbstractSocket::RemoteHostClosedError: return ECONNRESET;
    case QAbstractSocket::HostNotFoundError: return EHOSTUNREACH;
    case QAbstractSocket::SocketAccessError: return EACCES;
    case QAbstractSocket::SocketResourceError: return ENOBUFS;
    case QAbstractSocket::SocketTimeoutError: return ETIMEDOUT;
    case QAbstractSocket::NetworkError: return ENETUNREACH;
    case QAbstractSocket::AddressInUseError: return EADDRINUSE;
    default: return int(error);
    }
}
}

void Link::setTcpTarget(const QString &text, quint16 port)
{
    m_target = TcpTarget::fromText(text);
    m_port = port;
}

void Link::useTcp()
{
    m_tcpMode = 1;
    TcpPending.clear();
    m_tcpLinkState = TcpState::Idle;
    m_tcpConnected = false;
    m_tcpConnectCountdown = 0;
}

void Link::useSerialPort()
{
    m_tcpMode = 0;
    TcpPending.clear();
    m_tcpLinkState = TcpState::Idle;
}

void Link::disconnectTcp()
{
    // The flags first: the abort's disconnect signal then finds nothing to undo.
    m_tcpConnected = false;
    m_tcpLinkState = TcpState::Idle;
    m_tcpConnectCountdown = 0;
    Client.abort();
}

void Link::ConnectTcp()
{
    m_tcpLinkState = TcpState::Connecting;
    m_tcpConnectCountdown = 30;
    TcpPending.clear();
    m_tcpConnected = false;
    Client.abort();
    m_rx.clear();
    m_rxIndex = 0;
    Client.connectToHost(m_target.connectTo(), m_port);
    awaitConnectAttempt();
    m_tcpConnectCountdown = 0;
    if (TcpLinkState != TcpState::Reconnect)
        m_tcpLinkState = TcpConnected ? TcpState::Connected : TcpState::Idle;
}

void Link::awaitConnectAttempt()
{
    while (!TcpConnected && TcpConnectCountdown > 0) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (TcpMode == 0 || CancelRequested) {
            Client.abort();
            m_tcpConnectCountdown = 0;
            m_tcpLinkState = TcpState::Idle;
        }
    }
}

bool Link::tcpLinkForSending()
{
    if (TcpConnected)
        return true;
    // Sent from a handler inside a running attempt (a button pressed while
    // the link comes up): wait for that attempt rather than drop the bytes.
    if (TcpLinkState == TcpState::Connecting)
        awaitConnectAttempt();
    // A reconnect that is due is made now, not at the next tick: bytes sent
    // meanwhile would be lost, and the operation would fail for nothing
    // (an upload pressed right after the interface dialog).
    else
        ConnectTcp();
    return TcpConnected;
}

void Link::Timer3Tick()
{
    if (TcpConnectCountdown > 0)
        --m_tcpConnectCountdown;
    // Started from a zero timer, not from this tick: Qt does not re-enter a
    // timer's slot, and the attempt needs the ticks to count down.
    if (TcpLinkState == TcpState::Reconnect)
        QTimer::singleShot(0, this, [this] {
            if (TcpLinkState == TcpState::Reconnect)
                ConnectTcp();
        });
}

void Link::onConnected()
{
    // Stop-and-wait: every record waits for one reply byte, so no Nagle delay.
    Client.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_ui.setLinkColour(LinkColour::Connected);
    m_tcpConnected = true;
}

void Link::onDisconnected()
{
    if (!TcpConnected)
        return;
    m_ui.setLinkColour(LinkColour::Disconnected);
    m_tcpConnected = false;
    m_tcpConnectCountdown = 0;
    m_tcpLinkState = TcpState::Reconnect;
}

void Link::onReadyRead() { pullSocket(); }

void Link::pullSocket()
{
    // Keep every unread byte: a device answer may come in several segments.
    if (m_rxIndex > 0 && m_rxIndex >= m_rx.size()) {
        m_rx.clear();
        m_rxIndex = 0;
    }
    const qint64 room = TcpRxBufferSize - (m_rx.size() - m_rxIndex);
    if (room <= 0 || Client.bytesAvailable() <= 0)
        return;
    if (m_rxIndex > 0) {
        m_rx.remove(0, m_rxIndex);
        m_rxIndex = 0;
    }
    m_rx.append(Client.read(room));
}

void Link::onError(QAbstractSocket::SocketError error)
{
    // A closing peer is a disconnect, which onDisconnected handles.
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    if (!TcpMode) {
        m_tcpLinkState = TcpState::Idle;
        return;
    }
    m_tcpConnected = false;
    m_tcpConnectCountdown = 0;
    Client.abort();
    const bool retry = m_ui.askYesNo(
        QStringLiteral("Client-Fehler: %1\nVerbindung wird nicht aufgebaut!\n\nEthernetkabel gesteckt?\nServer aktiv?\nIP korrekt?\n\nWeiter versuchen eine Verbindung aufzubauen?")
            .arg(systemErrorNumber(error)));
    m_tcpLinkState = retry ? TcpState::Reconnect : TcpState::Idle;
}
