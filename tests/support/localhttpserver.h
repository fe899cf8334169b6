#pragma once
// A small HTTP server on 127.0.0.1 for the update tests: fixed answers by
// path, the body sent in pieces so a download reports progress several
// times, optionally stalling part-way, trickling, or huge.
#include <QHash>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

class LocalHttpServer : public QObject
{
    Q_OBJECT
public:
    struct Answer {
        QByteArray body;
        int status = 200;
        qint64 stallAfter = -1;  // body bytes sent before the server goes silent; -1 all
        int trickleMs = 0;       // one byte every trickleMs; 0: pieces as fast as they go
        qint64 fillTo = 0;       // the body padded with 'f' up to this size, made as it is sent
        bool sendLength = true;  // a Content-Length header; without, the body ends with the connection
    };

    LocalHttpServer();
    QUrl baseUrl() const;  // http://127.0.0.1:<port>
    void setAnswer(const QString &path, const Answer &answer) { m_answers[path] = answer; }
    int requests(const QString &path) const { return m_requests.value(path); }
    // The update server's version file for the program "Quillon": latest
    // version (no entry when empty), the installer at /files/setup.bin under
    // the name fileName, extra lines at the end.
    void serveVersionFile(const QByteArray &latest, const QByteArray &extra = {}, const QByteArray &fileName = "../../x");

private:
    void serve(QTcpSocket *socket);
    void sendPiece(QTcpSocket *socket, const Answer &answer, qint64 sent);

    QTcpServer m_server;
    QHash<QString, Answer> m_answers;
    QHash<QString, int> m_requests;
};

Q_DECLARE_METATYPE(LocalHttpServer::Answer)
