// The dialog's flow-control choice, on the port's settings and on an open
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
    QTest::addColumn<int>("xonxoff");
    QTest::addColumn<bool>("ctsFlow");  // the option, and the line's CRTSCTS
    QTest::newRow("ohne") << 0 << int(rcEnable) << int(xcDisable) << false;
    QTest::newRow("RTS/CTS") << 1 << int(rcHandshake) << int(xcDisable) << true;
    QTest::newRow("Xon/Xoff") << 2 << int(rcEnable) << int(xcInputOutput) << false;
    QTest::newRow("other") << 7 << int(rcEnable) << int(xcDisable) << false;
}

void TestFlowControlChoice::table()
{
    QFETCH(int, choice);
    QFETCH(int, rts);
    QFETCH(int, xonxoff);
    QFETCH(bool, ctsFlow);
    PtyPair pty;
    QVERIFY(pty.isValid());
    TComPort port;
    port.SetDeviceName(pty.slavePath);
    port.Open();
    // From the opposite settings, so each one must change.
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
    QCOMPARE(bool(tio.c_cflag & CRTSCTS), ctsFlow);
    QCOMPARE(tio.c_iflag & (IXON | IXOFF | INPCK), xonxoff == xcDisable ? 0u : unsigned(IXON | IXOFF));
}

QTEST_GUILESS_MAIN(TestFlowControlChoice)
#include "tst_flowcontrolchoice.moc"
