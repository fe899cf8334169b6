// The signal window's lamps: which clicks reach the port, and what a port
// error leaves behind. A pseudo-terminal has no modem lines; the port lets
// set and clear pass there, so the lamps toggle over a pty as over a UART.
#include "comport/comport.h"
#include "comport/flowcontrolchoice.h"
#include "mainwindow/formcom.h"
#include "tests/comport/ptypair.h"
#include "widgets/led.h"

#include <QTest>

namespace {
// A port whose errors are counted, as the main window's OnError shows them.
struct CountedPort {
    CountedPort()
    {
        port.OnError = [this](TCustomComPort *, EComError &error, TComAction &) { errors << error.message(); };
    }
    TComPort port;
    QStringList errors;
};

QList<TLEDColor> clicks(TLEDLabel *led, int count)
{
    QList<TLEDColor> colours;
    for (int i = 0; i < count; ++i) {
        QTest::mouseClick(led, Qt::LeftButton);
        colours << led->color();
    }
    return colours;
}
}  // namespace

class TestComForm : public QObject {
    Q_OBJECT
private slots:
    void windowAndLamps();
    void lampsToggleTheLinesOfAnOpenPort();
    void rtsLampInertUnlessRtsIsEnabled_data();
    void rtsLampInertUnlessRtsIsEnabled();
    void portErrorKeepsTheLampAndTheProgram();
};

void TestComForm::windowAndLamps()
{
    TComPort port;
    TComForm form(port);
    QCOMPARE(form.windowTitle(), QStringLiteral("COM-Signal"));
    QVERIFY(form.windowFlags() & Qt::Tool);
    QVERIFY(!form.isModal());
    QCOMPARE(form.findChild<TLEDLabel *>(QStringLiteral("ledRTS")), form.ledRTS);
    QCOMPARE(form.findChild<TLEDLabel *>(QStringLiteral("ledDTR")), form.ledDTR);
    QCOMPARE(form.ledRTS->caption(), QStringLiteral("RTS"));
    QCOMPARE(form.ledDTR->caption(), QStringLiteral("DTR"));
    QCOMPARE(form.ledRTS->toolTip(), QStringLiteral("RTS aktiv/inaktiv setzen"));
    QCOMPARE(form.ledDTR->toolTip(), QStringLiteral("DTR aktiv/inaktiv setzen"));
    QCOMPARE(form.ledRTS->color(), lcGreen);
    QCOMPARE(form.ledDTR->color(), lcGreen);
}

void TestComForm::lampsToggleTheLinesOfAnOpenPort()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    CountedPort counted;
    counted.port.SetDeviceName(pty.slavePath);
    counted.port.Open();
    ApplyFlowControl(counted.port, fcNone);
    TComForm form(counted.port);

    QCOMPARE(clicks(form.ledRTS, 3), (QList<TLEDColor>{lcRed, lcGreen, lcRed}));
    QCOMPARE(clicks(form.ledDTR, 2), (QList<TLEDColor>{lcRed, lcGreen}));
    QCOMPARE(form.ledRTS->color(), lcRed);  // each lamp keeps its own state

    ApplyFlowControl(counted.port, fcRtsCts);
    QCOMPARE(clicks(form.ledRTS, 1), QList<TLEDColor>{lcRed});
    QCOMPARE(clicks(form.ledDTR, 1), QList<TLEDColor>{lcRed});
    QVERIFY2(counted.errors.isEmpty(), qPrintable(counted.errors.join(QLatin1Char('\n'))));
    QVERIFY(counted.port.Active());
}

void TestComForm::rtsLampInertUnlessRtsIsEnabled_data()
{
    QTest::addColumn<int>("rts");
    QTest::newRow("RTS/CTS handshake") << int(rcHandshake);
    QTest::newRow("disabled") << int(rcDisable);
    QTest::newRow("default") << int(rcDefault);
}

void TestComForm::rtsLampInertUnlessRtsIsEnabled()
{
    QFETCH(int, rts);
    // A closed port: any call to it would be reported through OnError.
    CountedPort counted;
    counted.port.FlowControl().SetRTS(TRTSControl(rts));
    TComForm form(counted.port);
    QCOMPARE(clicks(form.ledRTS, 2), (QList<TLEDColor>{lcGreen, lcGreen}));
    QVERIFY(counted.errors.isEmpty());
}

void TestComForm::portErrorKeepsTheLampAndTheProgram()
{
    CountedPort counted;
    counted.port.FlowControl().SetRTS(rcEnable);
    TComForm form(counted.port);
    QCOMPARE(clicks(form.ledRTS, 1), QList<TLEDColor>{lcGreen});
    QCOMPARE(clicks(form.ledDTR, 1), QList<TLEDColor>{lcGreen});
    QCOMPARE(counted.errors.size(), 2);
    QVERIFY(counted.errors.first().contains(QLatin1String("closed port")));
}

QTEST_MAIN(TestComForm)
#include "tst_formcom.moc"
