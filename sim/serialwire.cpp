#include "sim/serialwire.h"

void SerialWire::put(const QByteArray &bytes, qint64 nowNs, qint64 characterNs, int bitsPerSecond)
{
    if (bytes.isEmpty())
        return;
    const qint64 start = qMax(nowNs, m_freeNs);
    m_chunks.append({start, characterNs, bytes, bitsPerSecond});
    m_freeNs = start + characterNs * bytes.size();
}

QList<SerialWire::Piece> SerialWire::take(qint64 nowNs)
{
    QList<Piece> arrived;
    while (!m_chunks.isEmpty()) {
        Chunk &chunk = m_chunks.first();
        const qint64 complete = (nowNs - chunk.startNs) / chunk.characterNs;
        if (complete <= 0)
            break;
        const qsizetype n = qMin<qsizetype>(complete, chunk.bytes.size());
        arrived.append({chunk.bytes.left(n), chunk.bitsPerSecond});
        if (n == chunk.bytes.size()) {
            m_chunks.removeFirst();
            continue;
        }
        chunk.bytes.remove(0, n);
        chunk.startNs += n * chunk.characterNs;
        break;
    }
    return arrived;
}

qint64 SerialWire::nextArrivalNs() const
{
    if (m_chunks.isEmpty())
        return -1;
    return m_chunks.first().startNs + m_chunks.first().characterNs;
}
