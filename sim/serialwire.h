#pragma once
#include <QByteArray>
#include <QList>
#include <QtGlobal>

// One direction of a serial line: bytes go in at one end and come out at the
// other once their last bit has crossed, one character time after another.
// Times are nanoseconds of the caller's clock.
class SerialWire {
public:
    struct Piece {
        QByteArray bytes;
        int bitsPerSecond;  // the sender's speed
    };

    // Bytes handed to the line at nowNs, each taking characterNs.
    void put(const QByteArray &bytes, qint64 nowNs, qint64 characterNs, int bitsPerSecond);
    // The bytes that have arrived by nowNs, oldest first.
    QList<Piece> take(qint64 nowNs);
    // When the next byte arrives; -1 when nothing is on the line.
    qint64 nextArrivalNs() const;
    void clear() { m_chunks.clear(); }

private:
    struct Chunk {
        qint64 startNs;  // the first byte's first bit
        qint64 characterNs;
        QByteArray bytes;
        int bitsPerSecond;
    };
    QList<Chunk> m_chunks;
    qint64 m_freeNs = 0;  // when the line has sent everything it was given
};
