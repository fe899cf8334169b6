// Answers that run into the time-out: these wait out real time.
#include "tests/link/scriptedpeer.h"
#include "tests/support/simpeer.h"

#include <QtTest>
#include <ctime>

namespace {
double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}
}

class TestFrameTimeouts : public QObject {
    Q_OBJECT

    struct Outcome {
        int result;
        bool linkFailed;
        qint64 elapsedMs;
    };

    // Sends "Q" with CRC; the peer answers by script; ReceiveFrame with the time-out.
    Outcome receive(const QList<ScriptedPeer::Reply> &script, int timeoutMs)
    {
        ScriptedPeer peer;
        peer.script = script;
        TcpStation station(peer.port());
        station.link.SendCommand("Q", true);
        QByteArray buffer;
        QElapsedTimer clock;
        clock.start();
        const int result = station.link.ReceiveFrame(buffer, true, timeoutMs).code();
        return {result, station.link.LinkFailed, clock.elapsed()};
    }

private slots:
    void noAnswer()
    {
        const Outcome o = receive({}, 500);
        QCOMPARE(o.result, 0);
        QVERIFY(o.linkFailed);
        QVERIFY(o.elapsedMs >= 500);
    }

    void frameWithoutCrcWaitsTheWholeTimeOut()
    {
        const Outcome o = receive({{0, "\x02Q\x03"}}, 800);
        QCOMPARE(o.result, -3);
        QVERIFY(!o.linkFailed);
        QVERIFY2(o.elapsedMs >= 800, qPrintable(QString::number(o.elapsedMs)));
    }

    void rightCrcReturnsAtOnce()
    {
        const Outcome o = receive({{0, "\x02Q\x03"}, {100, "F8B4"}}, 60000);
        QCOMPARE(o.result, 3);
        QVERIFY2(o.elapsedMs < 30000, qPrintable(QString::number(o.elapsedMs)));
    }

    void oneDeadlineCoversFrameAndCrc()
    {
        // The frame comes late; the CRC wait gets only what is left, not a
        // time-out of its own (which would end at 1800 ms at the earliest).
        const Outcome o = receive({{800, "\x02Q\x03"}}, 1000);
        QCOMPARE(o.result, -3);
        QVERIFY2(o.elapsedMs >= 1000 && o.elapsedMs < 1800, qPrintable(QString::number(o.elapsedMs)));
    }

    void crcCutShortIsNoAnswer()
    {
        const Outcome o = receive({{0, "\x02Q\x03" "F8"}}, 800);
        QCOMPARE(o.result, 0);
        QVERIFY(o.linkFailed);
        QVERIFY(o.elapsedMs >= 800);
    }

    void silentDeviceCostsNoCpu()
    {
        SimPeer sim;
        sim.device.faults.silent = true;
        TcpStation station(sim.tcp.port());
        station.link.SendCommand("B004", true);
        QByteArray buffer;
        QElapsedTimer clock;
        clock.start();
        const double cpuBefore = processCpuSeconds();
        QCOMPARE(station.link.ReceiveFrame(buffer, true, 1000).code(), 0);
        const double cpu = processCpuSeconds() - cpuBefore;
        const double wall = double(clock.elapsed()) / 1000.0;
        qInfo("ReceiveFrame on a silent device: %.1f ms CPU in %.0f ms", cpu * 1000, wall * 1000);
        QVERIFY(wall >= 1.0);
        QVERIFY2(cpu < 0.10 * wall, "the wait spins instead of blocking");
    }
};

QTEST_GUILESS_MAIN(TestFrameTimeouts)
#include "tst_frametimeouts.moc"
