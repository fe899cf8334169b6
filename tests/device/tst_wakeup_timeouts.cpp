// A device that never answers: four wake-up tries of the real 3 s, then the readout fails.
#include "device/readout.h"
#include "tests/device/devicebench.h"

#include <QElapsedTimer>
#include <QtTest>

class TestWakeupTimeouts : public QObject {
    Q_OBJECT
private slots:
    void silentDeviceFailsAfterFourTries()
    {
        DeviceBench bench;
        bench.link.limits = TimeLimits{};
        bench.peer.device.faults.silent = true;
        bench.ui().setEnabled(Control::sbUpdate, false);
        QElapsedTimer clock;
        clock.start();
        ReadDeviceInfo(bench.ctx);
        const qint64 ms = clock.elapsed();
        QVERIFY2(ms >= 11900, qPrintable(QString::number(ms)));

        QVERIFY(!bench.device.DeviceInfoRead);
        QVERIFY(bench.link.LinkFailed);
        QCOMPARE(bench.frames().size(), 4);
        QStringList tries;
        for (const QString &s : bench.ui().statusHistory)
            if (s.startsWith("1:Versuch"))
                tries << s;
        QCOMPARE(tries, (QStringList{"1:Versuch 1", "1:Versuch 2", "1:Versuch 3", "1:Versuch 4"}));
        QCOMPARE(bench.ui().statusHistory.last(), QString("1:KRV reagiert falsch oder nicht!!"));
        QCOMPARE(bench.ui().messages, QStringList{"KRV reagiert falsch oder nicht!"});
        QCOMPARE(bench.ui().status(0), QString());
        QCOMPARE(bench.ui().status(1), QString());
        QCOMPARE(bench.ui().activity(), Activity::Idle);
    }

    // The device falls silent after the hardware word: one command wait, then
    // the readout fails and keeps what it had read.
    void deviceFallingSilentMidwayFails()
    {
        DeviceBench bench;
        QObject::connect(&bench.peer.device, &DeviceSim::send, &bench.peer.device, [&bench](const QByteArray &bytes) {
            if (bytes.contains("B939"))
                bench.peer.device.faults.silent = true;
        });
        QElapsedTimer clock;
        clock.start();
        ReadDeviceInfo(bench.ctx);
        QVERIFY(clock.elapsed() >= bench.link.limits.commandTimeoutMs - 10);
        QVERIFY(!bench.device.DeviceInfoRead);
        QVERIFY(bench.link.LinkFailed);
        QCOMPARE(bench.frames().last(), frame("B146", true));
        QCOMPARE(bench.ui().statusHistory.last(), QString("1:KRV reagiert falsch oder nicht!!"));
        QCOMPARE(bench.panel().edBaujahr.text, QString("2007"));
        QCOMPARE(bench.device.DeviceKind, KrvModel::KRV470);
    }
};

QTEST_GUILESS_MAIN(TestWakeupTimeouts)
#include "tst_wakeup_timeouts.moc"
