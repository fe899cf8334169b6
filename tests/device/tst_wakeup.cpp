// Wake-up: CRC detection, the read password round, give-up and cancel.
#include "device/readout.h"
#include "device/wakeup.h"
#include "tests/device/devicebench.h"

#include <QElapsedTimer>
#include <QtTest>

class TestWakeup : public QObject {
    Q_OBJECT
private slots:
    void crcDeviceWakesAfterOneSecondPause()
    {
        DeviceBench bench;
        bench.link.limits = TimeLimits{};
        QElapsedTimer clock;
        clock.start();
        QVERIFY(WakeDevice(bench.ctx));
        const qint64 ms = clock.elapsed();
        QVERIFY2(ms >= 990, qPrintable(QString::number(ms)));
        QVERIFY(bench.link.UseCrc);
        QCOMPARE(bench.frames(), QList<QByteArray>{QByteArray("\x02Q\x03" "F8B4")});
        QCOMPARE(bench.ui().statusHistory, (QStringList{"0:Wecke KRV auf!", "1:Versuch 1"}));
    }

    // The device answers without CRC: only the whole try's wait tells, then
    // the readout talks without CRC.
    void deviceWithoutCrcTakesAWholeTryAndReadoutFollowsWithoutCrc()
    {
        DeviceBench bench(DeviceBench::profile("nocrc"));
        bench.link.UseCrc = true;  // left over from an earlier device
        QElapsedTimer clock;
        clock.start();
        QVERIFY(WakeDevice(bench.ctx));
        const qint64 ms = clock.elapsed();
        QVERIFY2(ms >= bench.link.limits.wakeTimeoutMs + bench.link.limits.wakeSettleMs - 10, qPrintable(QString::number(ms)));
        QVERIFY(!bench.link.UseCrc);
        QVERIFY(!bench.link.LinkFailed);

        bench.peer.device.frames.clear();
        QCOMPARE(ReadFwBuild(bench.ctx), FrameResult::frame(22));
        QCOMPARE(bench.device.DeviceFwDate, 20071211);
        QCOMPARE(bench.frames(), QList<QByteArray>{frame("B937", false)});
    }

    void passwordRoundSendsPasswordInSecondWakeFrame()
    {
        DeviceBench bench(DeviceBench::profile("password"));
        bench.link.ReadPassword = "alt1";  // emptied by the wake-up
        bench.ui().passwordActions = {{FakeFrontend::PasswordAction::Confirm, "geheim"}};
        QVERIFY(WakeDevice(bench.ctx));
        QCOMPARE(bench.link.ReadPassword, QByteArray("geheim"));
        QCOMPARE(bench.ui().passwordShownWith, QList<QByteArray>{QByteArray()});
        QCOMPARE(bench.frames(), (QList<QByteArray>{frame("Q", true), frame("Qgeheim ", true)}));
        QCOMPARE(bench.ui().statusHistory,
                 (QStringList{"0:Wecke KRV auf!", "1:Versuch 1", "1:KRV braucht Lese-Passwort!?!?", "1:Versuch 1"}));
    }

    void wrongPasswordShowsDialogAgainWithLastText()
    {
        DeviceBench bench(DeviceBench::profile("password"));
        bench.ui().passwordActions = {{FakeFrontend::PasswordAction::Confirm, "falsch"},
                                      {FakeFrontend::PasswordAction::Confirm, "geheim"}};
        QVERIFY(WakeDevice(bench.ctx));
        QCOMPARE(bench.ui().passwordShownWith, (QList<QByteArray>{QByteArray(), QByteArray("falsch")}));
        QCOMPARE(bench.frames().size(), 3);
    }

    void givingUpThePasswordEndsAtOnce_data()
    {
        QTest::addColumn<int>("action");
        QTest::newRow("Passwort wird deaktiviert") << int(FakeFrontend::PasswordAction::GiveUp);
        QTest::newRow("close box, nothing typed") << int(FakeFrontend::PasswordAction::Close);
    }
    void givingUpThePasswordEndsAtOnce()
    {
        QFETCH(int, action);
        DeviceBench bench(DeviceBench::profile("password"));
        bench.ui().passwordActions = {{FakeFrontend::PasswordAction::Kind(action), {}}};
        bench.link.limits.wakeTimeoutMs = 60000;  // no try waits it out
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!WakeDevice(bench.ctx));
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!bench.link.LinkFailed);
        QCOMPARE(bench.frames().size(), 1);
    }

    void cancelEndsAfterTheCurrentTry()
    {
        DeviceBench bench;
        bench.link.cancel();
        QVERIFY(!WakeDevice(bench.ctx));
        QVERIFY(!bench.ui().statusHistory.contains("1:Versuch 2"));
    }

    // Once the password is known every frame of the readout carries it.
    void readoutWithPasswordCarriesItInEveryFrame()
    {
        DeviceBench bench(DeviceBench::profile("password"));
        bench.ui().passwordActions = {{FakeFrontend::PasswordAction::Confirm, "geheim"}};
        ReadDeviceInfo(bench.ctx);
        QVERIFY(bench.device.DeviceInfoRead);
        QCOMPARE(bench.panel().edFabNr.text, QString("470000004711"));
        const QList<QByteArray> frames = bench.frames().mid(1);
        QCOMPARE(frames.size(), 13);
        for (const QByteArray &f : frames)
            QVERIFY2(f.mid(2, 7) == "geheim ", f.constData());
        QCOMPARE(frames.at(1), frame("Bgeheim 004", true));
    }
};

QTEST_GUILESS_MAIN(TestWakeup)
#include "tst_wakeup.moc"
