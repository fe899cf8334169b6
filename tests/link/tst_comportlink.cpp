// The byte channel over the program's serial port Comm1, against a
// pseudo-terminal the test plays the device on.
#include "comport/eabort.h"
#include "device/readout.h"
#include "tests/comport/ptypair.h"
#include "tests/support/fakefrontend.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>
#include <cstring>

namespace {
struct SerialStation {
    PtyPair pty;
    TestStation st;  // after the terminal: the port closes before it
    ComPortLink &serial = st.serial;
    Link &link = st.link;

    SerialStation()
    {
        serial.Comm1.SetDeviceName(pty.slavePath);
        serial.Comm1.Open();
    }
};
}

class TestComPortLink : public QObject {
    Q_OBJECT

private slots:
    void bytesBothWays()
    {
        SerialStation s;
        quint8 byte = 0;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(s.link.PollByte(byte), 0);
        QVERIFY(clock.elapsed() < 50);  // never waits

        s.link.SendBytes("\x02Q\x03");
        s.link.SendByte(0x04);
        QCOMPARE(s.pty.receive(4), QByteArray("\x02Q\x03\x04"));

        // A byte arriving later wakes the wait at once.
        QTimer::singleShot(100, [&] { s.pty.send("A"); });
        clock.restart();
        QCOMPARE(s.link.WaitByte(60000), quint8('A'));
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!s.link.LinkFailed);
    }

    void deviceGoneShowsOneMessageAndAbortsSilently_data()
    {
        QTest::addColumn<bool>("waiting");
        QTest::newRow("sending") << false;
        QTest::newRow("waiting for an answer") << true;
    }

    void deviceGoneShowsOneMessageAndAbortsSilently()
    {
        QFETCH(bool, waiting);
        SerialStation s;
        s.pty.closeMaster();  // unplugged
        if (waiting)  // the port's event thread may see it first
            QVERIFY_THROWS_EXCEPTION(EAbort, s.link.WaitByte(2000));
        else
            QVERIFY_THROWS_EXCEPTION(EAbort, s.link.SendBytes("\x02Q\x03"));
        const QString message = QStringLiteral("Programm muß beendet werden!! Fehler von Linux: Ein-/Ausgabefehler");
        QCOMPARE(s.st.ui.messages, QStringList{message});
        QVERIFY(!s.serial.Comm1.Active());
        // Whatever the operation tries next ends the same way, without another message.
        quint8 byte = 0;
        QVERIFY_THROWS_EXCEPTION(EAbort, s.link.PollByte(byte));
        QVERIFY_THROWS_EXCEPTION(EAbort, s.link.SendByte(0x04));
        s.link.PurgeInput();
        s.link.SetBaudRate(br9600);
        QCOMPARE(s.st.ui.messages, QStringList{message});
    }

    void closedPortErrorIsShownLikeAnyOther_data()
    {
        QTest::addColumn<bool>("openedBefore");
        QTest::newRow("never opened") << false;
        QTest::newRow("closed by the program") << true;
    }

    void closedPortErrorIsShownLikeAnyOther()
    {
        QFETCH(bool, openedBefore);
        PtyPair pty;
        TestStation st;
        ComPortLink &serial = st.serial;
        Link &link = st.link;
        serial.Comm1.SetDeviceName(pty.slavePath);
        if (openedBefore) {
            serial.Comm1.Open();
            serial.Comm1.Close();
        }
        const QString message = QStringLiteral("Programm muß beendet werden!! Fehler von Linux: Can't perform this operation on a closed port");
        QVERIFY_THROWS_EXCEPTION(EAbort, link.SendBytes("\x02Q\x03"));
        QCOMPARE(st.ui.messages, QStringList{message});
        quint8 byte = 0;
        QVERIFY_THROWS_EXCEPTION(EAbort, link.PollByte(byte));
        QCOMPARE(st.ui.messages, QStringList({message, message}));
    }

    // Output held by the device's XOFF: the send gives up after the line time
    // and the real hold limit, and throws the held bytes away, so the next
    // frame goes out alone once the line runs again.
    void heldOutputGivesUpAfterTheHoldLimit()
    {
        SerialStation s;
        s.serial.Comm1.FlowControl().SetXOnXOff(xcOutput);
        QVERIFY(s.pty.send("\x13"));
        QTest::qWait(20);  // the line discipline takes it in
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!s.link.SendBytes("\x02Q\x03"));
        QVERIFY2(clock.elapsed() >= TimeLimits{}.sendHoldLimitMs - 10, qPrintable(QString::number(clock.elapsed())));

        QVERIFY(s.pty.send("\x11"));
        QTest::qWait(20);
        QVERIFY(s.link.SendBytes("\x02R\x03"));
        QCOMPARE(s.pty.receive(4, 300), QByteArray("\x02R\x03"));
    }

    void readoutAbortedByPortErrorEndsBusy()
    {
        SerialStation s;
        const DeviceDescription &device = s.st.device;
        s.pty.closeMaster();  // unplugged
        QVERIFY_THROWS_EXCEPTION(EAbort, ReadDeviceInfo(s.st.ctx));
        QVERIFY(!device.DeviceInfoRead);
        QCOMPARE(s.st.ui.activity(), Activity::Idle);
    }

    void lineErrorMessagesOnlyWhenSwitchedOn()
    {
        SerialStation s;
        TLineErrors errors;
        errors.include(leParity).include(leFrame).include(leBreak);
        s.serial.Comm1LineError(&s.serial.Comm1, errors);
        QVERIFY(s.st.ui.messages.isEmpty());
        s.serial.LineErrorMessages = true;
        s.serial.Comm1LineError(&s.serial.Comm1, errors);
        QCOMPARE(s.st.ui.messages, QStringList({QStringLiteral("Break detected"), QStringLiteral("Frame error"), QStringLiteral("Parity error")}));
    }
};

QTEST_GUILESS_MAIN(TestComPortLink)
#include "tst_comportlink.moc"
