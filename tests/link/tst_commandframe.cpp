// Command frames and CRC: what goes on the wire and how answers are judged.
#include "tests/link/scriptedpeer.h"
#include "tests/support/simpeer.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {
const QByteArray kStx(1, '\x02');
const QByteArray kEtx(1, '\x03');

QByteArray withCrc(const QByteArray &frame)
{
    return frame + QByteArray::number(DeviceSim::crc16(frame.mid(1)), 16).toUpper().rightJustified(4, '0');
}
}

class TestCommandFrame : public QObject {
    Q_OBJECT

    // The bytes one SendCommand puts on the wire.
    QByteArray sentFrame(const QByteArray &command, bool crc, const QByteArray &password = {})
    {
        ScriptedPeer peer;
        TcpStation station(peer.port());
        station.link.ReadPassword = password;
        station.link.SendCommand(command, crc);
        pumpUntil(station.link, [&] { return peer.received.contains('\x03') && peer.received.size() >= (crc ? 4 : 0) + peer.received.indexOf('\x03') + 1; }, 2000);
        return peer.received;
    }

    // Sends "Q" to a scripted peer and returns ReceiveFrame's result for its answer.
    int receive(const QList<ScriptedPeer::Reply> &script, bool crc, QByteArray &buffer, bool *linkFailed = nullptr, int timeoutMs = 2000)
    {
        ScriptedPeer peer;
        peer.script = script;
        TcpStation station(peer.port());
        station.link.SendCommand("Q", crc);
        const int result = station.link.ReceiveFrame(buffer, crc, timeoutMs).code();
        if (linkFailed)
            *linkFailed = station.link.LinkFailed;
        return result;
    }

private slots:
    void crcCheckValueAndTable()
    {
        QCOMPARE(Crc16(QByteArray("123456789")), quint16(0x2189));
        QCOMPARE(Crc16(QByteArray("B004\x03")), quint16(0xFEAF));
        QCOMPARE(Crc16(QByteArray("Q\x03")), quint16(0xF8B4));
        QCOMPARE(Crc16("abc", 0), quint16(0));
        QCOMPARE(Crc16("abc", -5), quint16(0));
        // Single bytes pick table entries: entry 1 and 2 of the reversed polynomial.
        QCOMPARE(Crc16(QByteArray(1, '\x01')), quint16(0x1189));
        QCOMPARE(Crc16(QByteArray(1, '\x02')), quint16(0x2312));
        // The table-driven CRC agrees with a bitwise one on every byte value.
        QByteArray data(4096, 0);
        for (int i = 0; i < data.size(); ++i)
            data[i] = char(QRandomGenerator::global()->bounded(256));
        QCOMPARE(Crc16(data), DeviceSim::crc16(data));
    }

    void framesOnTheWire()
    {
        QCOMPARE(sentFrame("B004", false), QByteArray::fromHex("024230303403"));
        QCOMPARE(sentFrame("B004", true), QByteArray::fromHex("02423030340346454146"));
        QCOMPARE(sentFrame("Q", true), QByteArray::fromHex("02510346384234"));
        QCOMPARE(sentFrame("Q", false), QByteArray::fromHex("025103"));
    }

    void crcTextKeepsLeadingZeros()
    {
        QByteArray command;
        for (int i = 0; i < 1000 && command.isEmpty(); ++i) {
            const QByteArray candidate = "B" + QByteArray::number(i).rightJustified(3, '0');
            if (Crc16(candidate + kEtx) < 0x1000)
                command = candidate;
        }
        QVERIFY(!command.isEmpty());
        const QByteArray frame = sentFrame(command, true);
        QCOMPARE(frame, withCrc(kStx + command + kEtx));
        QCOMPARE(frame.at(6), '0');
    }

    void passwordGoesBehindTheCommandLetter()
    {
        QCOMPARE(sentFrame("B004", false, "1234"), kStx + "B1234 004" + kEtx);
        QCOMPARE(sentFrame("B004", true, "1234"), withCrc(kStx + "B1234 004" + kEtx));
        QCOMPARE(sentFrame("Q", true, "pw12abcd"), withCrc(kStx + "Qpw12abcd " + kEtx));
    }

    void goodAnswers()
    {
        QByteArray buffer;
        QCOMPARE(receive({{0, "\x02Q\x03" "F8B4"}}, true, buffer), 3);
        QCOMPARE(buffer, QByteArray("\x02Q\x03" "F8B4"));
        QCOMPARE(receive({{0, "\x02Q\x03"}}, false, buffer), 3);
        QCOMPARE(receive({{0, "\x02\x03"}}, false, buffer), 2);
        QCOMPARE(receive({{0, "\x02" "B004\x03" "FEAF"}}, true, buffer), 6);
    }

    void noiseAndStxBeforeTheFrameAreDropped()
    {
        QByteArray buffer;
        QCOMPARE(receive({{0, "xyz\x02Q\x03" "F8B4"}}, true, buffer), 3);
        QCOMPARE(buffer.left(3), QByteArray("\x02Q\x03"));
        QCOMPARE(receive({{0, "\x02" "B0\x02Q\x03" "F8B4"}}, true, buffer), 3);
        QCOMPARE(buffer.left(3), QByteArray("\x02Q\x03"));
        // Noise longer than the answer buffer does not hide the frame behind it.
        QCOMPARE(receive({{0, QByteArray(600, 'x') + "\x02Q\x03" "F8B4"}}, true, buffer), 3);
        QCOMPARE(buffer, QByteArray("\x02Q\x03" "F8B4"));
    }

    void wrongCrcIsRefused()
    {
        QByteArray buffer;
        bool failed = true;
        QCOMPARE(receive({{0, "\x02Q\x03" "F8B5"}}, true, buffer, &failed), -1);
        QVERIFY(!failed);
        // Lowercase hex digits are not the device's: refused even when the value matches.
        QCOMPARE(receive({{0, "\x02Q\x03" "f8b4"}}, true, buffer, &failed), -1);
        QCOMPARE(receive({{0, "\x02" "B004\x03" "feaf"}}, true, buffer, &failed), -1);
        QVERIFY(!failed);
    }

    void overLongAnswerCountsAsNoAnswer()
    {
        QByteArray buffer;
        bool failed = false;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(receive({{0, kStx + QByteArray(300, 'A') + kEtx + "0000"}}, true, buffer, &failed, 60000), 0);
        QVERIFY(failed);
        QVERIFY2(clock.elapsed() < 30000, "an over-long answer must not wait out the time-out");
        QVERIFY(buffer.size() <= Link::AnswerBufferSize);

        // In CRC mode the largest frame leaves room for its four CRC characters.
        const QByteArray fits = withCrc(kStx + QByteArray(250, 'A') + kEtx);
        QCOMPARE(receive({{0, fits}}, true, buffer, &failed), 252);
        QCOMPARE(buffer, fits);
        QCOMPARE(receive({{0, withCrc(kStx + QByteArray(251, 'A') + kEtx)}}, true, buffer, &failed), 0);
        QVERIFY(failed);
        QCOMPARE(receive({{0, kStx + QByteArray(254, 'A') + kEtx}}, false, buffer, &failed), 256);
    }

    void cancelWhileWaiting()
    {
        ScriptedPeer peer;
        TcpStation station(peer.port());
        Link &link = station.link;
        QByteArray buffer;
        QElapsedTimer clock;

        // Waiting for ETX: no answer, the link failed.
        link.SendCommand("Q", true);
        QTimer::singleShot(100, &link, [&link] { link.cancel(); });
        clock.start();
        QCOMPARE(link.ReceiveFrame(buffer, true, 60000).code(), 0);
        QVERIFY(link.LinkFailed);
        QVERIFY(clock.elapsed() < 30000);

        // Waiting for the CRC: a refused frame, the link did not fail.
        link.clearCancel();
        peer.script = {{0, "\x02Q\x03"}};
        link.SendCommand("Q", true);
        QTimer::singleShot(200, &link, [&link] { link.cancel(); });
        clock.restart();
        QCOMPARE(link.ReceiveFrame(buffer, true, 60000).code(), -1);
        QVERIFY(!link.LinkFailed);
        QVERIFY(clock.elapsed() < 30000);
    }

    void simulatedDevice()
    {
        SimPeer sim;
        TcpStation station(sim.tcp.port());
        Link &link = station.link;
        QByteArray buffer;

        link.SendCommand("B004", true);
        QCOMPARE(link.ReceiveFrame(buffer, true, 2000).code(), 21);
        QCOMPARE(buffer.left(21), kStx + "B004KRV470 V3.02 ab" + kEtx);

        // An answer in two segments arrives whole.
        sim.device.faults.splitAt = 7;
        sim.device.faults.noiseBefore = "\xff\x02zz";
        link.SendCommand("B004", true);
        QCOMPARE(link.ReceiveFrame(buffer, true, 2000).code(), 21);
        QCOMPARE(buffer.left(5), kStx + "B004");
        QCOMPARE(sim.device.frames.last(), QByteArray::fromHex("02423030340346454146"));
    }

    void simulatedDeviceWithPassword()
    {
        DeviceProfile profile = DeviceProfile::fromJson({});
        profile.password = "4711";
        SimPeer sim(profile);
        TcpStation station(sim.tcp.port());
        Link &link = station.link;
        QByteArray buffer;

        link.SendCommand("B004", true);
        QCOMPARE(link.ReceiveFrame(buffer, true, 2000).code(), 3);
        QCOMPARE(buffer.left(3), kStx + "=" + kEtx);

        link.ReadPassword = "4711";
        link.SendCommand("B004", true);
        QCOMPARE(link.ReceiveFrame(buffer, true, 2000).code(), 21);
        QCOMPARE(sim.device.frames.last(), withCrc(kStx + "B4711 004" + kEtx));
    }
};

QTEST_GUILESS_MAIN(TestCommandFrame)
#include "tst_commandframe.moc"
