// Modem dial-up and carrier against the Hayes simulator on a pseudo-terminal.
#include "device/deviceclock.h"
#include "link/modemreply.h"
#include "tests/link/modemrig.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

using Answer = HayesModem::Answer;

class TestModem : public QObject {
    Q_OBJECT
private slots:
    void replyParsing_data();
    void replyParsing();
    void replyKeepsItsFirstCharacters();
    void initSilentTimesOut();
    void dial_data();
    void dial();
    void silentDialTimesOut_data();
    void silentDialTimesOut();
    void initDuringDialEndsIt();
    void carrierLossEndsWaitAndHangsUp();
    void heldCtsEndsDialByLimitOrCancel_data();
    void heldCtsEndsDialByLimitOrCancel();
    void overlongTextsAreRefused();
};

void TestModem::replyParsing_data()
{
    QTest::addColumn<bool>("dialRule");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("init OK") << false << QByteArray("\r\nOK\r\n") << QByteArray("OK");
    QTest::newRow("init empty line") << false << QByteArray("\n\n") << QByteArray();
    QTest::newRow("dial connect") << true << QByteArray("\r\nCONNECT 9600\r\n") << QByteArray("CONNECT 9600");
    QTest::newRow("dial ring connect") << true << QByteArray("\r\nRING\r\n\r\nCONNECT\r\n") << QByteArray("RING|CONNECT");
    QTest::newRow("dial CR runs") << true << QByteArray("\r\nA\r\r\rB\r\n\r\n") << QByteArray("A|B");
    QTest::newRow("dial empty line") << true << QByteArray("\r\n\r\n") << QByteArray();
}

void TestModem::replyParsing()
{
    QFETCH(bool, dialRule);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, text);
    ModemReply reply;
    for (char c : bytes)
        dialRule ? void(reply.takeDialByte(quint8(c))) : reply.takeInitByte(quint8(c));
    QVERIFY(reply.lineFeeds() >= 2);
    QCOMPARE(reply.text(), text);
}

void TestModem::replyKeepsItsFirstCharacters()
{
    const QByteArray line = QByteArray(300, 'x') + "yz";
    for (bool dialRule : {false, true}) {
        ModemReply reply;
        for (char c : "\r\n" + line + "\r\n")
            dialRule ? void(reply.takeDialByte(quint8(c))) : reply.takeInitByte(quint8(c));
        QCOMPARE(reply.text(), QByteArray(ModemReply::MaxText, 'x'));
    }
}

void TestModem::initSilentTimesOut()
{
    ModemRig rig(false);
    rig.link.limits = TimeLimits{};  // the real 2 s
    QElapsedTimer clock;
    clock.start();
    rig.modem.btInitClick(QStringLiteral("Z"));
    QVERIFY2(clock.elapsed() >= 1950, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(rig.meld(), QStringLiteral("Timeout!"));
    QVERIFY(rig.link.LinkFailed);
}

void TestModem::dial_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("carrierLine");
    QTest::addColumn<QString>("meld");
    QTest::addColumn<bool>("up");
    QTest::newRow("connect") << Answer::Connect << false << "CONNECT 9600" << true;
    QTest::newRow("no carrier") << Answer::NoCarrier << true << "NO CARRIER" << false;
    QTest::newRow("busy") << Answer::Busy << true << "BUSY" << false;
    QTest::newRow("ring with carrier") << Answer::Ring << true << "RING|CONNECT" << true;
    QTest::newRow("ring without carrier") << Answer::Ring << false << "RING|CONNECT" << false;
}

void TestModem::dial()
{
    QFETCH(Answer, answer);
    QFETCH(bool, carrierLine);
    QFETCH(QString, meld);
    QFETCH(bool, up);
    ModemRig rig(true, carrierLine);
    rig.hayes.answer = answer;
    rig.modem.edRufChange(QStringLiteral("0815"));
    rig.st.ui.setEnabled(Control::btUpdate, true);
    QElapsedTimer clock;
    clock.start();
    rig.modem.btRufClick();
    // The answer after 50 ms, then a while for whatever else comes.
    QVERIFY2(clock.elapsed() >= rig.link.limits.modemAfterReplyMs, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(rig.hayes.commands, QList<QByteArray>{"atd0815"});
    QCOMPARE(rig.meld(), meld);
    QCOMPARE(rig.link.ModemConnected, up);
    QCOMPARE(rig.st.ui.caption(Control::btRuf), up ? QStringLiteral("Trennen") : QString());
    // During the call and after a failed dial alike: no parity, CTS flow control.
    QCOMPARE(rig.port().Parity(), paNone);
    QVERIFY(rig.port().Options().contains(opOutputCTSFlow));
    QVERIFY(rig.pty.programFlowControl());
    QCOMPARE(rig.st.ui.modemTasks, (QList<std::pair<ModemTask, bool>>{{ModemTask::Dial, true}, {ModemTask::Dial, false}}));
    QVERIFY(!rig.modem.Dialling);
    QTRY_COMPARE(rig.st.ui.isHighlighted(Control::lbMoMeld), up && carrierLine);

    if (!up)
        return;
    rig.link.SavedBaudRate = br4800;
    rig.modem.btRufClick();  // "Trennen"
    QVERIFY(!rig.link.ModemConnected);
    QVERIFY(rig.link.CancelRequested);
    QCOMPARE(rig.st.ui.caption(Control::btRuf), QStringLiteral("Verbinden"));
    QCOMPARE(rig.meld(), QString());
    QVERIFY(!rig.st.ui.isHighlighted(Control::lbMoMeld));
    QCOMPARE(rig.port().Parity(), paEven);
    QCOMPARE(rig.port().BaudRate(), br4800);
    QVERIFY(rig.port().Options().isEmpty());
    QVERIFY(!rig.pty.programFlowControl());
}

void TestModem::silentDialTimesOut_data()
{
    QTest::addColumn<bool>("carrierComes");
    QTest::newRow("nothing") << false;
    QTest::newRow("carrier meanwhile") << true;
}

void TestModem::silentDialTimesOut()
{
    QFETCH(bool, carrierComes);
    ModemRig rig;
    rig.hayes.answer = Answer::Silent;
    rig.modem.edRufChange(QStringLiteral("0815"));
    if (carrierComes)
        QTimer::singleShot(300, [&rig] { rig.lines.setCarrier(true); });
    QElapsedTimer clock;
    clock.start();
    rig.port().StoredOptions().include(opOutputCTSFlow);
    QCOMPARE(rig.modem.DialDevice(), carrierComes ? 1 : 0);
    // The carrier does not end the wait: only the time-out does.
    QVERIFY2(clock.elapsed() >= rig.link.limits.modemDialTimeoutMs - 50, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(rig.meld(), carrierComes ? QStringLiteral("Verbunden") : QString());
    QCOMPARE(rig.link.ModemConnected, carrierComes);
    QCOMPARE(rig.st.ui.isHighlighted(Control::lbMoMeld), carrierComes);
}

void TestModem::initDuringDialEndsIt()
{
    ModemRig rig;
    rig.hayes.answer = Answer::Silent;
    rig.link.limits.modemDialTimeoutMs = 60000;  // only the initialisation ends the dial
    rig.modem.edRufChange(QStringLiteral("0815"));
    QTimer::singleShot(200, [&rig] { rig.modem.btInitClick(QStringLiteral("Z")); });
    QElapsedTimer clock;
    clock.start();
    rig.modem.btRufClick();
    QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(rig.meld(), QStringLiteral("OK"));
    QVERIFY(!rig.link.ModemConnected);
    QVERIFY(!rig.modem.Dialling);
    QCOMPARE(rig.st.ui.caption(Control::btRuf), QString());
}

void TestModem::carrierLossEndsWaitAndHangsUp()
{
    ModemRig rig;
    rig.modem.edRufChange(QStringLiteral("0815"));
    rig.modem.btRufClick();
    QVERIFY(rig.link.ModemConnected);
    // A readout waits for the device; the call drops meanwhile.
    rig.sim.faults.silent = true;
    QTimer::singleShot(200, &rig.hayes, &HayesModem::hangUp);
    QElapsedTimer clock;
    clock.start();
    rig.link.SendCommand("B100", false);
    QByteArray answer;
    QCOMPARE(rig.link.ReceiveFrame(answer, false, 60000).code(), 0);
    QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(rig.link.CancelRequested);
    QVERIFY(rig.link.CarrierLost);
    QVERIFY(!rig.link.ModemConnected);
    QCOMPARE(rig.port().Parity(), paEven);
    QVERIFY(!rig.st.ui.isHighlighted(Control::lbMoMeld));
    QCOMPARE(rig.st.ui.caption(Control::btRuf), QStringLiteral("Verbinden"));
    // The cancel stays: the clock gives up at once.
    btTimeClick(rig.ctx);
    QCOMPARE(rig.st.ui.caption(Control::lbTime), QStringLiteral("Timeout!"));
}

void TestModem::heldCtsEndsDialByLimitOrCancel_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("limit") << false;
    QTest::newRow("Abbruch") << true;
}

void TestModem::heldCtsEndsDialByLimitOrCancel()
{
    QFETCH(bool, cancel);
    // Modem off on a three-wire cable: CTS stays low and the port, with CTS
    // flow control, never gets its output onto the line.
    ModemRig rig(false);
    rig.lines.setCts(false);
    rig.modem.edRufChange(QStringLiteral("0815"));
    if (cancel) {  // the cancel controls, Ctrl-C and the close box all set it
        rig.link.limits.modemDialTimeoutMs = 60000;
        QTimer::singleShot(300, [&rig] { rig.link.cancel(); });
    }
    QElapsedTimer clock;
    clock.start();
    rig.modem.btRufClick();
    const qint64 dialMs = clock.elapsed();
    if (cancel)
        QVERIFY2(dialMs >= 250 && dialMs < 30000, qPrintable(QString::number(dialMs)));
    else
        QVERIFY2(dialMs >= rig.link.limits.modemDialTimeoutMs - 50, qPrintable(QString::number(dialMs)));
    QVERIFY(!rig.link.ModemConnected);
    QVERIFY(!rig.modem.Dialling);
    QCOMPARE(rig.st.ui.modemTasks.last(), std::pair(ModemTask::Dial, false));

    // The initialisation after it, on the still held line, ends by its own limit.
    clock.restart();
    rig.modem.btInitClick(QStringLiteral("Z"));
    QVERIFY2(clock.elapsed() >= rig.link.limits.modemInitTimeoutMs - 50, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(rig.meld(), QStringLiteral("Timeout!"));
    QVERIFY(rig.link.LinkFailed);
}

void TestModem::overlongTextsAreRefused()
{
    ModemRig rig;
    const QString tooLong(32, u'1');
    rig.modem.edRufChange(tooLong);
    rig.modem.btRufClick();
    rig.modem.btInitClick(tooLong);
    QCOMPARE(rig.st.ui.messages,
             QStringList({QStringLiteral("Die Rufnummer ist zu lang (höchstens 31 Zeichen)."),
                          QStringLiteral("Die Modem-Initialisierung ist zu lang (höchstens 31 Zeichen).")}));
    QTest::qWait(150);
    QVERIFY(rig.hayes.commands.isEmpty());
    QVERIFY(!rig.port().Options().contains(opOutputCTSFlow));
}

QTEST_MAIN(TestModem)
#include "tst_modem.moc"
