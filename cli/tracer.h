#pragma once
#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QTextStream>

// --trace: every byte sent and received, as time, direction, hex and text.
// Received bytes come one by one; they are shown in runs.
class Tracer {
public:
    explicit Tracer(QTextStream &err);
    ~Tracer();
    void bytes(bool sent, const QByteArray &data);
    void flush();

private:
    void print(bool sent, const QByteArray &data, qint64 atMs);

    QTextStream &m_err;
    QElapsedTimer m_clock;
    QByteArray m_received;
    qint64 m_receivedAt = 0;
};
