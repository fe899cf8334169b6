// The device clock: read and set through the simulator, and how answers the
// simulator would never give are shown in lbTime.
#include "device/deviceclock.h"
#include "tests/device/devicebench.h"
#include "tests/link/scriptedpeer.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QtTest>

namespace {
constexpr Control lbTime = Control::lbTime;

// A scripted peer with the program's state around it.
struct ScriptedClock {
    ScriptedPeer peer;
    TcpStation station{peer.port()};
    Context &ctx = station.ctx;
};
}

class TestDeviceClock : public QObject {
    Q_OBJECT
private slots:
    void readShowsDeviceTime()
    {
        DeviceBench bench;
        bench.link.UseCrc = true;
        QVERIFY(readDeviceClock(bench.ctx));
        QCOMPARE(bench.ui().caption(lbTime), QString("24.12.2007 18:30:00"));
        QCOMPARE(bench.frames(), QList<QByteArray>{frame("B218", true)});
    }

    // Without a readout before, UseCrc and the password are unset: the device
    // answers with something else, shown after an "F".
    void deviceWantingCrcOrPassword_data()
    {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<bool>("useCrc");
        QTest::addColumn<QString>("shown");
        QTest::newRow("CRC device, UseCrc 0") << "krv470" << false << "F?";
        QTest::newRow("password device, no password") << "password" << true << "F=";
    }
    void deviceWantingCrcOrPassword()
    {
        QFETCH(QString, profile);
        QFETCH(bool, useCrc);
        QFETCH(QString, shown);
        DeviceBench bench(DeviceBench::profile(profile.toLatin1().constData()));
        bench.link.UseCrc = useCrc;
        QVERIFY(!readDeviceClock(bench.ctx));
        QCOMPARE(bench.ui().caption(lbTime), shown);
    }

    // 24-hour clock, two-digit year, local time as given.
    void setSendsTimeAndShowsDeviceAnswer_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QByteArray>("digits");
        QTest::addColumn<QString>("shown");
        QTest::newRow("5 March 2008 07:04:09") << QDateTime(QDate(2008, 3, 5), QTime(7, 4, 9)) << QByteArray("050308070409")
                                               << QString("05.03.2008 07:04:09");
        QTest::newRow("31 Dec 2009 23:59:58") << QDateTime(QDate(2009, 12, 31), QTime(23, 59, 58)) << QByteArray("311209235958")
                                              << QString("31.12.2009 23:59:58");
    }
    void setSendsTimeAndShowsDeviceAnswer()
    {
        QFETCH(QDateTime, now);
        QFETCH(QByteArray, digits);
        QFETCH(QString, shown);
        DeviceBench bench;
        bench.link.UseCrc = true;
        QVERIFY(setDeviceClock(bench.ctx, now));
        QCOMPARE(bench.frames(), QList<QByteArray>{frame("C2186093 " + digits, true)});
        QCOMPARE(bench.ui().caption(lbTime), shown);
        // The device keeps it.
        QVERIFY(readDeviceClock(bench.ctx));
        QCOMPARE(bench.ui().caption(lbTime), shown);
    }

    void setCarriesThePassword()
    {
        DeviceBench bench(DeviceBench::profile("password"));
        bench.link.UseCrc = true;
        bench.link.ReadPassword = "geheim";
        QVERIFY(setDeviceClock(bench.ctx, QDateTime(QDate(2008, 3, 5), QTime(7, 4, 9))));
        QCOMPARE(bench.frames(), QList<QByteArray>{frame("Cgeheim 2186093 050308070409", true)});
        QCOMPARE(bench.ui().caption(lbTime), QString("05.03.2008 07:04:09"));
    }

    // Answers that are not accepted: "F" and the start of the answer.
    void failureTexts_data()
    {
        QTest::addColumn<bool>("set");
        QTest::addColumn<bool>("crc");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("shown");
        QTest::newRow("20 bytes, wrong echo") << false << false << QByteArray("\x02Z218241207183000AB\x03") << "FZ2182412071830...";
        QTest::newRow("17 bytes: one digit short") << false << false << QByteArray("\x02" "B21824120718300\x03") << "FB2182412071830...";
        QTest::newRow("16 bytes") << false << false << QByteArray("\x02" "ABCDEFGHIJKLMN\x03") << "FABCDEFGHIJKLMN...";
        QTest::newRow("15 bytes: whole body") << false << false << QByteArray("\x02" "ABCDEFGHIJKLM\x03") << "FABCDEFGHIJKLM";
        QTest::newRow("cut at a control byte") << false << false << QByteArray("\x02" "B2\x1F" "x\x03") << "FB2";
        QTest::newRow("cut above 0x7F") << false << false << QByteArray("\x02" "AB\xE9" "C\x03") << "FAB";
        QTest::newRow("0x7F kept") << false << false << QByteArray("\x02" "A\x7F" "B\x03") << "FA\x7F" "B";
        QTest::newRow("wrong CRC") << false << true << QByteArray("\x02" "B218241207183000\x03" "0000") << "FB218241207183000";
        QTest::newRow("set: no separator") << true << false << QByteArray("\x02" "C218000000000000X050308070409\x03") << "FC2180000000000...";
        QTest::newRow("set: read echo") << true << false << QByteArray("\x02" "B218000000000000\x1F" "050308070409\x03") << "FB2180000000000...";
        // The time would lie beyond the frame: not taken as a time.
        QTest::newRow("set: time cut short") << true << false << QByteArray("\x02" "C218000000000000\x1F" "0503\x03") << "FC2180000000000...";
        QTest::newRow("set: echo only") << true << false << QByteArray("\x02" "C218\x03") << "FC218";
    }
    void failureTexts()
    {
        QFETCH(bool, set);
        QFETCH(bool, crc);
        QFETCH(QByteArray, answer);
        QFETCH(QString, shown);
        ScriptedClock clock;
        clock.station.link.UseCrc = crc;
        clock.peer.script = {{0, answer}};
        const bool accepted = set ? setDeviceClock(clock.ctx, QDateTime(QDate(2008, 3, 5), QTime(7, 4, 9))) : readDeviceClock(clock.ctx);
        QVERIFY(!accepted);
        QCOMPARE(clock.station.ui.caption(lbTime), shown);
    }

    // A cancel left from a modem hang-up ends the wait at once.
    void pendingCancelShowsTimeout()
    {
        DeviceBench bench;
        bench.link.UseCrc = true;
        bench.link.cancel();
        bench.link.limits.commandTimeoutMs = 60000;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!readDeviceClock(bench.ctx));
        QVERIFY(clock.elapsed() < 30000);
        QCOMPARE(bench.ui().caption(lbTime), QString("Timeout!"));
        QVERIFY(bench.link.CancelRequested);  // only the next readout, upload or dial clears it
    }
};

QTEST_GUILESS_MAIN(TestDeviceClock)
#include "tst_deviceclock.moc"
