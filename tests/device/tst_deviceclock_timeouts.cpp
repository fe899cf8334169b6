// The device clock when the answer never completes: both wait out the command limit.
#include "device/deviceclock.h"
#include "tests/device/devicebench.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QtTest>

class TestDeviceClockTimeouts : public QObject {
    Q_OBJECT
private slots:
    void silentDeviceShowsTimeout_data()
    {
        QTest::addColumn<bool>("set");
        QTest::newRow("read") << false;
        QTest::newRow("set") << true;
    }
    void silentDeviceShowsTimeout()
    {
        QFETCH(bool, set);
        DeviceBench bench;
        bench.peer.device.faults.silent = true;
        bench.link.UseCrc = true;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!(set ? setDeviceClock(bench.ctx, QDateTime::currentDateTime()) : readDeviceClock(bench.ctx)));
        const qint64 ms = clock.elapsed();
        QVERIFY2(ms >= bench.link.limits.commandTimeoutMs - 10, qPrintable(QString::number(ms)));
        QCOMPARE(bench.ui().caption(Control::lbTime), QString("Timeout!"));
    }

    // A device without CRC while UseCrc is 1: the whole time answer arrives,
    // but without CRC text it is not taken; it is shown up to its ETX.
    void answerWithoutCrcIsShownNotTaken()
    {
        DeviceBench bench(DeviceBench::profile("nocrc"));
        bench.link.UseCrc = true;
        QVERIFY(!readDeviceClock(bench.ctx));
        QCOMPARE(bench.ui().caption(Control::lbTime), QString("FB218241207183000"));
    }
};

QTEST_GUILESS_MAIN(TestDeviceClockTimeouts)
#include "tst_deviceclock_timeouts.moc"
