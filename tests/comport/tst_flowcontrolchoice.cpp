// The dialog's flow-control choice on the port's settings and on an open
// pseudo-terminal's line.
#include "comport/comport.h"
#include "comport/flowcontrolchoice.h"
#include "tests/comport/ptypair.h"

#include <QtTest>
#include <asm/termbits.h>
#include <sys/ioctl.h>

class TestFlowControlChoice : public QObject {
    Q_OBJECT
private slots:
    void table_data();
    void table();
};

void TestFlowControlChoice::table_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("rts");
    QTest::addColumn<bool>("ctsFlow");
    QTest::addColumn<int>("xonxoff");
    QTest::addColumn<bool>("crtscts");
    QTest::addColumn<unsigned>("ixonoff");
    QTest::newRow("ohne") << 0 << int(rcEnable) << false << int(xcDisable) << false << 0u;
    QTest::newRow("RTS/CTS") << 1 << int(rcHandshake) << true << int(xcDisable) << true << 0u;
    QTest::newRow("Xon/Xoff") << 2 << int(rcEnable) << false << int(xcInputOutput) << false << unsigned(IXON | IXOFF);
    QTest::newRow("out of range") << 7 << int(rcEnable) << false << int(xcDisable) << false << 0u;
    QTest::newRow("none selected") << -1 << int(rcEnable) << false << int(xcDisable) << false << 0u;
}

void TestFlowControlChoice::table()
{
    QFETCH(int, choice);
    QFETCH(int, rts);
    QFETCH(bool, ctsFlow);
    QFETCH(int, xonxoff);
    QFETCH(bool, crtscts);
    QFETCH(unsigned, ixonoff);

    PtyPair pty;
    QVERIFY(pty.isValid());
    TComPort port;
    port.SetDeviceName(pty.slavePath);
    port.Open();
    // Start from the opposite settings, so every one of them must change.
    port.FlowControl().SetDTR(dcDisable);
    port.SetOptions({opCheckParity});
    port.FlowControl().SetRTS(ctsFlow ? rcEnable : rcHandshake);
    port.FlowControl().SetXOnXOff(xonxoff == xcDisable ? xcInputOutput : xcDisable);

    ApplyFlowControl(port, choice);

    QCOMPARE(port.FlowControl().DTR(), dcEnable);
    QCOMPARE(int(port.FlowControl().RTS()), rts);
    QCOMPARE(int(port.FlowControl().XOnXOff()), xonxoff);
    QCOMPARE(port.Options(), ctsFlow ? TOptions{opOutputCTSFlow} : TOptions{});
    termios2 tio{};
    QCOMPARE(::ioctl(int(port.Handle()), TCGETS2, &tio), 0);
    QCOMPARE(bool(tio.c_cflag & CRTSCTS), crtscts);
    QCOMPARE(unsigned(tio.c_iflag & (IXON | IXOFF)), ixonoff);
    QCOMPARE(bool(tio.c_iflag & INPCK), false);
}

QTEST_GUILESS_MAIN(TestFlowControlChoice)
#include "tst_flowcontrolchoice.moc"
