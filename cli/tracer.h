#pragma once
#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QTextStream>

// --trace: every byte sent and received, as time, direction, hex and text.
// Received bytes come one by one; they are shown in runs. The read password
// in a sent frame shows as stars: traces get passed around.
class Tracer {
public:
    Tracer(QTextStream &err, const QByteArray &password);
    ~Tracer();
    void bytes(bool sent, const QByteArray &data);
    void flush();

private:
    QByteArray masked(const QByteArray &frame) const;
    void print(bool sent, const QByteArray &data, qint64 atMs);

    QTextStream &m_err;
    const QByteArray &m_password;
    QElapsedTimer m_clock;
    QByteArray m_received;
    qint64 m_receivedAt = 0;
};
