// The signal indicator on a port over a pseudo-terminal.
#include "comport/comsignal.h"
#include "tests/comport/ptypair.h"

#include <QElapsedTimer>
#include <QtTest>
#include <memory>

class TestComSignal : public QObject {
    Q_OBJECT
private slots:
    void rxCharLightsAndChainsTheEarlierHandler();
    void txCharStaysOnForTheWholeWrite();
    void detachRestoresOnlyItsOwnSlots();
    void forgetsADestroyedPort();
};

void TestComSignal::rxCharLightsAndChainsTheEarlierHandler()
{
    PtyPair pty;
    TComPort port;
    port.SetDeviceName(pty.slavePath);
    int earlierCalls = 0;
    port.OnRxChar = [&](QObject *sender) {
        QCOMPARE(sender, &port);
        ++earlierCalls;
        port.ReadString();
    };

    TComSignal signal;
    QList<TColor> colours;
    signal.SetControl([&](TColor c) { colours << c; });
    QCOMPARE(colours, QList<TColor>({0x008000}));  // recoloured at once: off
    signal.SetSignal(siRxChar);
    signal.SetDelay(100);
    signal.SetComPort(&port);
    int signalChanges = 0;
    signal.OnSignal = [&](QObject *sender) {
        QCOMPARE(sender, &signal);
        ++signalChanges;
    };
    port.Open();

    QVERIFY(pty.send("x"));
    QTRY_VERIFY(signal.SignalValue());
    QElapsedTimer lit;
    lit.start();
    QCOMPARE(colours.last(), TColor(0x00FF00));
    QCOMPARE(earlierCalls, 1);
    QTRY_VERIFY(!signal.SignalValue());
    QVERIFY2(lit.elapsed() >= 70, qPrintable(QString::number(lit.elapsed())));
    QCOMPARE(colours.last(), TColor(0x008000));
    QCOMPARE(signalChanges, 2);
}

void TestComSignal::txCharStaysOnForTheWholeWrite()
{
    PtyPair pty;
    TComPort port;
    port.SetDeviceName(pty.slavePath);
    QList<bool> seenInHooks;
    TComSignal signal;
    port.BeforeWrite = [&](TCustomComPort *, const void *, int, bool) { seenInHooks << signal.SignalValue(); };
    port.AfterWrite = [&](TCustomComPort *, const void *, int, bool) { seenInHooks << signal.SignalValue(); };
    signal.SetSignal(siTxChar);
    signal.SetDelay(20);
    signal.SetComPort(&port);
    port.Open();

    port.Write("abc", 3, true);
    QCOMPARE(seenInHooks, QList<bool>({true, true}));  // the earlier hooks ran, inside the lit time
    QVERIFY(signal.SignalValue());
    QTRY_VERIFY(!signal.SignalValue());
    QCOMPARE(pty.receive(3), QByteArray("abc"));
}

void TestComSignal::detachRestoresOnlyItsOwnSlots()
{
    PtyPair pty;
    TComPort port;
    port.SetDeviceName(pty.slavePath);
    QStringList calls;
    port.OnRxChar = [&](QObject *) {
        calls << QStringLiteral("earlier");
        port.ReadString();
    };
    port.Open();

    {
        TComSignal signal;
        signal.SetSignal(siRxChar);
        signal.SetComPort(&port);
    }  // destroyed: the earlier handler is back
    QVERIFY(pty.send("1"));
    QTRY_COMPARE(calls, QStringList({"earlier"}));

    TComSignal signal;
    signal.SetSignal(siRxChar);
    signal.SetComPort(&port);
    port.OnRxChar = [&](QObject *) {  // someone else takes the slot over
        calls << QStringLiteral("later");
        port.ReadString();
    };
    signal.SetComPort(nullptr);
    QVERIFY(pty.send("2"));
    QTRY_COMPARE(calls, QStringList({"earlier", "later"}));
    QVERIFY(!signal.SignalValue());
}

void TestComSignal::forgetsADestroyedPort()
{
    auto port = std::make_unique<TComPort>();
    TComSignal signal;
    signal.SetSignal(siRLSD);
    signal.SetComPort(port.get());
    QCOMPARE(signal.ComPort(), port.get());
    QVERIFY(!signal.SignalValue());  // closed: off
    port.reset();
    QCOMPARE(signal.ComPort(), nullptr);
}

QTEST_GUILESS_MAIN(TestComSignal)
#include "tst_comsignal.moc"
