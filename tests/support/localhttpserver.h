#pragma once
// A small HTTP server on 127.0.0.1 for the update tests: fixed answers by
// path, the body sent in pieces so a download reports progress several
// times, optionally stalling part-way.
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
    };

    LocalHttpServer();
    QUrl baseUrl() const;  // http://127.0.0.1:<port>
    void setAnswer(const QString &path, const Answer &answer) { m_answers[path] = answer; }
    int requests(const QString &path) const { return m_requests.value(path); }
    // The update server's version file for the program "Quillon": latest
    // version (no entry when empty), the installer at /files/setup.bin under
    // the name "../../x", extra lines at the end.
    void serveVersionFile(const QByteArray &latest, const QByteArray &extra = {});

private:
    void serve(QTcpSocket *socket);
    void sendPiece(QTcpSocket *socket, QByteArray rest, qint64 stallAfter);

    QTcpServer m_server;
    QHash<QString, Answer> m_answers;
    QHash<QString, int> m_requests;
};
