#pragma once
#include "link/link.h"
#include "tests/support/fakefrontend.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <stdexcept>

// A loopback peer that answers with scripted bytes, byte for byte as given:
// for answers the simulator would never send (lowercase CRC, split frames,
// CRC text cut short). Each reply is written a given time after the first
// bytes from the program arrived.
class ScriptedPeer {
public:
    struct Reply {
        int afterMs;
        QByteArray bytes;
    };

    ScriptedPeer()
    {
        if (!m_server.listen(QHostAddress::LocalHost, 0))
            throw std::runtime_error("scripted peer cannot listen on 127.0.0.1");
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                m_client = socket;
                ++connections;
                QObject::connect(socket, &QTcpSocket::readyRead, &m_server, [this, socket] { onBytes(socket); });
            }
        });
    }

    quint16 port() const { return m_server.serverPort(); }

    // Replies sent after the next bytes that arrive from the program.
    QList<Reply> script;
    // Everything the program sent, in order.
    QByteArray received;
    int connections = 0;

    void write(const QByteArray &bytes)
    {
        if (m_client) {
            m_client->write(bytes);
            m_client->flush();
        }
    }

private:
    void onBytes(QTcpSocket *socket)
    {
        received += socket->readAll();
        const QList<Reply> replies = std::exchange(script, {});
        for (const Reply &reply : replies)
            QTimer::singleShot(reply.afterMs, &m_server, [this, bytes = reply.bytes] { write(bytes); });
    }

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
};

// A link in TCP mode aimed at a loopback port, with a scripted window.
struct TcpStation : TestStation {
    explicit TcpStation(quint16 port)
    {
        link.useTcp();
        link.setTcpTarget(QStringLiteral("127.0.0.1"), port);
    }
};

// Lets the event loop run until the condition holds or the time is up.
template <typename Condition>
bool pumpUntil(Link &link, Condition done, int maxMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < maxMs)
        link.PumpWait(10);
    return done();
}
