#include "tests/support/localhttpserver.h"

#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

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

void LocalHttpServer::serveVersionFile(const QByteArray &latest, const QByteArray &extra, const QByteArray &fileName)
{
    QByteArray file = "[Currentversions]\r\nOther=99.0.0.0\r\n";
    if (!latest.isEmpty())
        file += "Quillon=" + latest + "\r\n";
    file += "[VersDate]\r\nquillon=01.02.2027\r\n[DownloadURL]\r\nQuillon=" + baseUrl().toString().toLatin1()
            + "/files/setup.bin\r\n[FileName]\r\nQuillon=" + fileName + "\r\n" + extra;
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
    const QByteArray length = "\r\nContent-Length: " + QByteArray::number(std::max<qint64>(answer.body.size(), answer.fillTo));
    socket->write("HTTP/1.1 " + QByteArray::number(answer.status) + (answer.status == 200 ? " OK" : " Not Found")
                  + (answer.sendLength ? length : QByteArray())
                  + "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n");
    sendPiece(socket, answer, 0);
}

void LocalHttpServer::sendPiece(QTcpSocket *socket, const Answer &answer, qint64 sent)
{
    const qint64 size = std::max<qint64>(answer.body.size(), answer.fillTo);
    if (sent >= size) {
        socket->disconnectFromHost();
        return;
    }
    if (answer.stallAfter >= 0 && sent >= answer.stallAfter)
        return;  // silent, connection kept open
    // A client that reads slowly is not buried under a huge body.
    const bool backlog = socket->bytesToWrite() > 4 * PieceSize;
    qint64 piece = backlog ? 0 : answer.trickleMs > 0 ? 1 : qMin(PieceSize, size - sent);
    if (answer.stallAfter >= 0)
        piece = qMin(piece, answer.stallAfter - sent);
    QByteArray bytes = answer.body.mid(sent, piece);
    bytes.append(piece - bytes.size(), 'f');
    socket->write(bytes);
    QTimer::singleShot(answer.trickleMs > 0 ? answer.trickleMs : 2, socket,
                       [this, socket, answer, next = sent + piece] { sendPiece(socket, answer, next); });
}
