// krvsim serving a soak or a fleet for hours: its memory stays flat however
// many frames and flash records it takes. Driven over its TCP port with raw
// bytes, so thousands of readouts and a hundred full flashes take a second.
#include "sim/residentmemory.h"
#include "tests/support/cliprocess.h"
#include "upload/blocktransfer.h"

#include <QFile>
#include <QTcpSocket>
#include <QtTest>
#include <functional>
#include <vector>

namespace {
constexpr int kBlocks = 2048;  // a 512 KiB flash


QByteArray frame(const QByteArray &body) { return '\x02' + body + '\x03'; }

// The line to the simulator as the device sees it: bytes out, bytes back.
class RawLine {
public:
    explicit RawLine(quint16 port) { m_socket.connectToHost(QStringLiteral("127.0.0.1"), port); }
    bool connected() { return m_socket.waitForConnected(30000); }

    // Sends bytes and waits until the answer holds count bytes equal to last
    // (ETX for frames, ACK for records); the answer, or empty when the line ended.
    QByteArray exchange(const QByteArray &bytes, char last, int count)
    {
        m_socket.write(bytes);
        QByteArray answer;
        while (answer.count(last) < count) {
            if (!m_socket.bytesAvailable() && !m_socket.waitForReadyRead(30000))
                return {};
            answer += m_socket.readAll();
        }
        return answer;
    }

private:
    QTcpSocket m_socket;
};

// The commands of a readout, each answered by the profile used here.
const QList<QByteArray> kReadout = {"Q", "B004", "B142", "B937", "B143", "B939", "B146", "B144", "B153", "B162", "B940", "B941", "B942", "B218"};

QByteArray readoutFrames()
{
    QByteArray bytes;
    for (const QByteArray &command : kReadout)
        bytes += frame(command);
    return bytes;
}

// Address 0 and every block of the flash: what a full image sends after
// "GoOnFlashing", up to its EOT.
QByteArray fullFlashRun()
{
    const std::vector<quint8> image(kBlocks * BlockTransfer::BlockSize, 0x5A);
    QByteArray bytes = BlockTransfer::addressRecord(0);
    for (int block = 0; block < kBlocks; ++block)
        bytes += BlockTransfer::dataRecord(image, int(image.size()), block * BlockTransfer::BlockSize);
    return bytes;
}
}

class TstLongRun : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
#if defined(__SANITIZE_ADDRESS__)
        // The address sanitizer's allocator holds and caches freed memory, so
        // resident memory says nothing here; its leak check covers this build.
        QSKIP("resident memory is no measure under the address sanitizer");
#endif
    }
    void memoryStaysFlat_data();
    void memoryStaysFlat();
};

void TstLongRun::memoryStaysFlat_data()
{
    QTest::addColumn<bool>("flash");
    QTest::addColumn<int>("warmUp");  // rounds before the first measurement: the kept history is full
    QTest::addColumn<int>("rounds");  // rounds after it
    QTest::newRow("readouts") << false << 200 << 2000;
    QTest::newRow("flash records") << true << 10 << 100;
}

void TstLongRun::memoryStaysFlat()
{
    QFETCH(bool, flash);
    QFETCH(int, warmUp);
    QFETCH(int, rounds);
    KrvSimProcess sim({"--profile", qEnvironmentVariable("SRCDIR") + "/sim/profiles/nocrc.json"});
    QVERIFY2(sim.port != 0, qPrintable(sim.firstLine));
    RawLine line(sim.port);
    QVERIFY(line.connected());

    std::function<bool()> round;
    QByteArray answers;  // to a readout, as the first one had them
    if (flash) {
        QCOMPARE(line.exchange(frame("1FLASH"), '\x03', 1), frame("GoOnFlashing"));
        // The device takes records as long as they come; the end record would
        // end its flash mode.
        const QByteArray run = fullFlashRun();
        round = [&line, run] {
            return line.exchange(run, '\x06', kBlocks + 1) == QByteArray(kBlocks + 1, '\x06')
                   && line.exchange("\x04", '\x04', 1) == "\x04";
        };
    } else {
        const QByteArray frames = readoutFrames();
        answers = line.exchange(frames, '\x03', int(kReadout.size()));
        QVERIFY(answers.startsWith(frame("Q") + frame("B004KRV470 V2.40 ac")));
        round = [&line, frames, &answers] { return line.exchange(frames, '\x03', int(kReadout.size())) == answers; };
    }

    for (int i = 0; i < warmUp; ++i)
        QVERIFY(round());
    const long early = residentKiB(QString::number(sim.pid()));
    for (int i = 0; i < rounds; ++i)
        QVERIFY(round());
    const long late = residentKiB(QString::number(sim.pid()));
    qInfo("krvsim VmRSS: %ld KiB after %d rounds, %ld KiB after %d more", early, warmUp, late, rounds);
    QVERIFY(early > 0);
    QVERIFY2(late - early < 256, qPrintable(QStringLiteral("grew by %1 KiB").arg(late - early)));
}

QTEST_GUILESS_MAIN(TstLongRun)
#include "tst_longrun.moc"
