// A device that falls silent in the middle of the readout: one wait of the
// real 2 s, the failure texts, and the window as it was before the pass.
#include "device/readout.h"
#include "tests/device/readouthelpers.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

namespace {
// The krv470 device answering only the first n frames (wake-up included).
DeviceProfile silentAfter(int frames)
{
    DeviceProfile p = DeviceBench::profile("krv470");
    p.silentAfterFrames = frames;
    return p;
}
}

class TestReadoutTimeouts : public QObject {
    Q_OBJECT
private slots:
    void silentAfterF4ModeFailsAndEndsBusy()
    {
        DeviceBench bench(silentAfter(7));  // "B144" gets no answer
        bench.link.limits = TimeLimits{};
        FakeFrontend &ui = bench.ui();

        QElapsedTimer clock;
        clock.start();
        ReadDeviceInfo(bench.ctx);
        const qint64 ms = clock.elapsed();
        QVERIFY2(ms >= 2990, qPrintable(QString::number(ms)));  // 1 s after the wake-up, 2 s wait

        QCOMPARE(commands(bench).last(), QByteArray("B144"));
        verifyFailed(bench);
        QVERIFY(bench.link.LinkFailed);
        QVERIFY(!bench.device.DeviceInfoRead);
        QCOMPARE(ui.activity(), Activity::Idle);
        // What was read before the silence stays on the window.
        QCOMPARE(bench.device.DeviceKind, KrvModel::KRV470);
        QCOMPARE(bench.panel().edFabNr.text, QString("470000123456"));
        QCOMPARE(bench.panel().cbF4, 3);
        QVERIFY(bench.panel().cb470Z.checked());
        QVERIFY(!bench.panel().cbAnalog.checked());
    }

    // A cancel during a wait ends the pass at once, like a time-out.
    void cancelDuringAWaitEndsThePass()
    {
        DeviceBench bench(silentAfter(3));  // "B937" gets no answer
        bench.link.limits.commandTimeoutMs = 60000;  // only the cancel ends the wait
        QObject::connect(&bench.peer.device, &DeviceSim::send, &bench.peer.device, [&bench] {
            if (bench.frames().size() == 3)
                QTimer::singleShot(200, [&bench] { bench.link.cancel(); });
        });
        QElapsedTimer clock;
        clock.start();
        ReadDeviceInfo(bench.ctx);
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(commands(bench).last(), QByteArray("B937"));
        verifyFailed(bench);
        QVERIFY(bench.link.LinkFailed);
        QCOMPARE(bench.panel().edFabNr.text, QString("470000123456"));
    }
};

QTEST_GUILESS_MAIN(TestReadoutTimeouts)
#include "tst_readout_timeouts.moc"
