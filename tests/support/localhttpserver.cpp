#include "tests/support/localhttpserver.h"

#include <QTcpSocket>
#include <QTimer>

namespace {
constexpr qint64 PieceSize = 16 * 1024;
}

LocalHttpServer::LocalHttpServer()
{
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    });
}

QUrl LocalHttpServer::baseUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()));
}

void LocalHttpServer::serveVersionFile(const QByteArray &latest, const QByteArray &extra)
{
    QByteArray file = "[Currentversions]\r\nOther=99.0.0.0\r\n";
    if (!latest.isEmpty())
        file += "Quillon=" + latest + "\r\n";
    file += "[VersDate]\r\nquillon=01.02.2027\r\n[DownloadURL]\r\nQuillon=" + baseUrl().toString().toLatin1()
            + "/files/setup.bin\r\n[FileName]\r\nQuillon=../../x\r\n" + extra;
    setAnswer(QStringLiteral("/sw/cur_ver.txt"), {file});
}

void LocalHttpServer::serve(QTcpSocket *socket)
{
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n") || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    const QString path = QString::fromLatin1(request.left(request.indexOf("\r\n")).split(' ').value(1));
    ++m_requests[path];
    const Answer answer = m_answers.value(path, Answer{QByteArray(), 404, -1});
    socket->write("HTTP/1.1 " + QByteArray::number(answer.status) + (answer.status == 200 ? " OK" : " Not Found")
                  + "\r\nContent-Length: " + QByteArray::number(answer.body.size())
                  + "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n");
    sendPiece(socket, answer.body, answer.stallAfter);
}

void LocalHttpServer::sendPiece(QTcpSocket *socket, QByteArray rest, qint64 stallAfter)
{
    if (rest.isEmpty()) {
        socket->disconnectFromHost();
        return;
    }
    if (stallAfter == 0)
        return;  // silent, connection kept open
    const qint64 size = stallAfter > 0 ? qMin(PieceSize, stallAfter) : PieceSize;
    socket->write(rest.left(size));
    rest.remove(0, size);
    const qint64 left = stallAfter > 0 ? stallAfter - size : -1;
    QTimer::singleShot(2, socket, [this, socket, rest, left] { sendPiece(socket, rest, left); });
}
