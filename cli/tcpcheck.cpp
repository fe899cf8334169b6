#include "cli/tcpcheck.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

namespace {
QString reasonOf(const QTcpSocket &socket, int timeoutMs)
{
    switch (socket.error()) {
    case QAbstractSocket::ConnectionRefusedError: return QStringLiteral("Verbindung verweigert");
    case QAbstractSocket::HostNotFoundError: return QStringLiteral("Rechnername nicht gefunden");
    case QAbstractSocket::NetworkError: return QStringLiteral("Netzwerk oder Rechner nicht erreichbar");
    case QAbstractSocket::SocketAccessError: return QStringLiteral("Zugriff verweigert");
    case QAbstractSocket::SocketResourceError: return QStringLiteral("keine Systemressourcen frei");
    case QAbstractSocket::RemoteHostClosedError: return QStringLiteral("Verbindung von der Gegenseite geschlossen");
    case QAbstractSocket::SocketTimeoutError:
    case QAbstractSocket::UnknownSocketError:  // our own bound ran out first
        return QStringLiteral("keine Antwort innerhalb von %1 s").arg(timeoutMs / 1000);
    default: return socket.errorString();
    }
}
}

QString tcpConnectProblem(const QString &host, quint16 port, int timeoutMs)
{
    QTcpSocket socket;
    QEventLoop loop;
    bool ended = false;
    const auto end = [&] {
        ended = true;
        loop.quit();
    };
    QObject::connect(&socket, &QTcpSocket::connected, &loop, end);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, end);
    QTimer::singleShot(timeoutMs, &loop, end);
    socket.connectToHost(host, port);
    if (!ended)  // a bad name can fail inside connectToHost
        loop.exec();
    if (socket.state() == QAbstractSocket::ConnectedState) {
        socket.disconnectFromHost();
        return {};
    }
    const QString reason = reasonOf(socket, timeoutMs);
    socket.abort();
    return reason;
}
