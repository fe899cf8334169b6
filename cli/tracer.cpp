#include "cli/tracer.h"

#include "cli/showtext.h"

namespace {
constexpr int kRunLength = 32;
}

Tracer::Tracer(QTextStream &err, const QByteArray &password) : m_err(err), m_password(password) { m_clock.start(); }

Tracer::~Tracer() { flush(); }

void Tracer::bytes(bool sent, const QByteArray &data)
{
    if (sent) {
        flush();
        print(true, masked(data), m_clock.elapsed());
        return;
    }
    if (m_received.isEmpty())
        m_receivedAt = m_clock.elapsed();
    m_received += data;
    if (m_received.size() >= kRunLength || data == QByteArray(1, 0x03))
        flush();
}

// A command frame carries the password right after STX and the command letter.
QByteArray Tracer::masked(const QByteArray &frame) const
{
    constexpr qsizetype kPasswordAt = 2;
    if (m_password.isEmpty() || frame.mid(kPasswordAt, m_password.size()) != m_password)
        return frame;
    QByteArray shown = frame;
    shown.replace(kPasswordAt, m_password.size(), QByteArray(m_password.size(), '*'));
    return shown;
}

void Tracer::flush()
{
    if (m_received.isEmpty())
        return;
    print(false, m_received, m_receivedAt);
    m_received.clear();
}

void Tracer::print(bool sent, const QByteArray &data, qint64 atMs)
{
    m_err << QString::asprintf("%8lld ms %s ", atMs, sent ? "->" : "<-") << data.toHex(' ') << "  |" << printable(data) << "|"
          << Qt::endl;
}
