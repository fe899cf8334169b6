// The signal window's lamps: which clicks reach the port, and what a port
// error leaves. A pseudo-terminal has no modem lines; the port lets setting
// and clearing them pass there, so the lamps toggle over a pty as over a UART.
#include "comport/comport.h"
#include "comport/flowcontrolchoice.h"
#include "mainwindow/formcom.h"
#include "tests/comport/ptypair.h"
#include "widgets/led.h"

#include <QTest>

namespace {
// The lamp's colour after each of count clicks.
QList<TLEDColor> clicks(TLEDLabel *led, int count)
{
    QList<TLEDColor> colours;
    for (int i = 0; i < count; ++i) {
        QTest::mouseClick(led->findChild<TLED *>(), Qt::LeftButton);
        colours << led->color();
    }
    return colours;
}
}  // namespace

class TestComForm : public QObject {
    Q_OBJECT
private slots:
    void lampsToggleTheLinesOfAnOpenPort();
    void closedPortErrorsPassOnErrorAndKeepTheLamps();
};

void TestComForm::lampsToggleTheLinesOfAnOpenPort()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    TComPort port;
    int errors = 0;
    port.OnError = [&](TCustomComPort *, EComError &, TComAction &) { ++errors; };
    port.SetDeviceName(pty.slavePath);
    port.Open();
    ApplyFlowControl(port, fcNone);
    TComForm form(port);
    QCOMPARE(form.windowTitle(), QStringLiteral("COM-Signal"));
    QVERIFY((form.windowFlags() & Qt::Tool) && !form.isModal());

    QCOMPARE(clicks(form.ledRTS, 3), (QList<TLEDColor>{lcRed, lcGreen, lcRed}));
    QCOMPARE(clicks(form.ledDTR, 2), (QList<TLEDColor>{lcRed, lcGreen}));
    // Under RTS/CTS the driver owns RTS: that lamp is inert, DTR is not.
    ApplyFlowControl(port, fcRtsCts);
    QCOMPARE(clicks(form.ledRTS, 2), (QList<TLEDColor>{lcRed, lcRed}));
    QCOMPARE(clicks(form.ledDTR, 1), QList<TLEDColor>{lcRed});
    QCOMPARE(errors, 0);
    QVERIFY(port.Active());
}

void TestComForm::closedPortErrorsPassOnErrorAndKeepTheLamps()
{
    TComPort port;
    QStringList errors;
    port.OnError = [&](TCustomComPort *, EComError &error, TComAction &) { errors << error.message(); };
    TComForm form(port);
    port.FlowControl().SetRTS(rcHandshake);
    QCOMPARE(clicks(form.ledRTS, 1), QList<TLEDColor>{lcGreen});
    QVERIFY(errors.isEmpty());  // no call reached the port

    port.FlowControl().SetRTS(rcEnable);
    QCOMPARE(clicks(form.ledRTS, 1), QList<TLEDColor>{lcGreen});
    QCOMPARE(clicks(form.ledDTR, 1), QList<TLEDColor>{lcGreen});
    QCOMPARE(errors.size(), 2);
    QVERIFY(errors.first().contains(QLatin1String("closed port")));
}

QTEST_MAIN(TestComForm)
#include "tst_formcom.moc"
