// The modem panel: a dial through the simulated modem, the carrier's colour,
// an upload over the call and its hang-up before the final message.
#include "sim/devicesim.h"
#include "sim/hayesmodem.h"
#include "sim/ptytransport.h"
#include "sim/sampleimage.h"
#include "tests/mainwindow/startuprig.h"
#include "tests/support/simulatedmodemlines.h"

#include <QLabel>
#include <QMessageBox>

class TestGuiModem : public QObject {
    Q_OBJECT

    struct Rig : StartupRig {
        SimulatedModemLines lines;  // before the program: outlives its port
        DeviceSim device{DeviceProfile::fromJson({})};
        PtyTransport pty{device};
        HayesModem hayes{device};
        std::unique_ptr<FakeSystem> system;

        TForm1 &startOnModem()
        {
            if (!pty.open())
                qFatal("no pseudo-terminal");
            pty.setModem(&hayes);
            pty.setTimeCompression(64);  // a whole image at 9600 bit/s would take minutes
            hayes.answerDelayMs = 50;
            QObject::connect(&hayes, &HayesModem::carrierChanged, [this](bool on) { lines.setCarrier(on); });
            system = std::make_unique<FakeSystem>(0, QStringList{pty.slavePath()});
            writeSettings("[Connection]\nCOM=" + pty.slavePath().toUtf8() + "\n");
            return start();
        }
        QLabel *meld() { return form().findChild<QLabel *>("lbMoMeld"); }
        QLineEdit *edit(const char *name) { return form().findChild<QLineEdit *>(name); }
    };

private slots:
    void panelRules()
    {
        Rig rig;
        TForm1 &w = rig.startOnModem();
        QLineEdit *edRuf = rig.edit("edRuf");
        // The edit has no limit: the click refuses an overlong number.
        for (const auto &[text, enabled] : {std::pair{"N0815", false}, {"", false}, {"0815", true}, {"n", false},
                                            {"01234567890123456789012345678901", true}}) {
            edRuf->setText(QString::fromLatin1(text));
            QCOMPARE(w.btRuf->isEnabled(), enabled);
        }
        rig.edit("edInit")->setText(QStringLiteral("Z"));
        QVERIFY(w.btInit->isEnabled());
        QTest::mouseClick(w.btInit, Qt::LeftButton);
        QCOMPARE(rig.hayes.commands, QList<QByteArray>{"atZ"});
        QCOMPARE(rig.meld()->text(), QStringLiteral("OK"));
        QVERIFY(w.btInit->isEnabled());
        QCOMPARE(w.station.Comm1.Parity(), paEven);
        rig.edit("edInit")->clear();
        QVERIFY(!w.btInit->isEnabled());
    }

    // The close box ends a silent dial at once; the program ends after it,
    // and a clock click inside the dial sends nothing to the modem.
    void closeDuringDial()
    {
        Rig rig;
        TForm1 &w = rig.startOnModem();
        rig.hayes.answer = HayesModem::Answer::Silent;
        w.station.link.limits.modemDialTimeoutMs = 60000;  // only the close box ends the dial
        rig.edit("edRuf")->setText(QStringLiteral("0815"));
        // While it dials, the call button and the device commands rest.
        bool heldWhileDialling = false;
        QTimer::singleShot(300, [&] {
            heldWhileDialling = !w.btRuf->isEnabled() && !w.btKRV->isEnabled() && !w.btUpdate->isEnabled();
            w.btTimeClick();
            w.close();
        });
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(w.btRuf, Qt::LeftButton);
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(rig.hayes.commands, QList<QByteArray>{"atd0815"});
        QVERIFY(!w.station.link.ModemConnected);
        QVERIFY(heldWhileDialling);
        QVERIFY(w.btRuf->isEnabled() && w.btKRV->isEnabled());
        QVERIFY(StartupRig::waitFor([&] { return !w.isVisible(); }));
    }

    void uploadOverTheCall()
    {
        Rig rig;
        TForm1 &w = rig.startOnModem();
        const QColor face = rig.meld()->palette().color(QPalette::Button);
        QTest::keyClicks(rig.edit("edRuf"), QStringLiteral("0815"));
        QTest::mouseClick(w.btRuf, Qt::LeftButton);
        QCOMPARE(w.btRuf->text(), QStringLiteral("Trennen"));
        QVERIFY(w.btRuf->isEnabled() && w.btKRV->isEnabled());
        QCOMPARE(rig.meld()->text(), QStringLiteral("CONNECT 9600"));
        QTRY_VERIFY(rig.meld()->autoFillBackground() && rig.meld()->palette().color(QPalette::Window) == Qt::yellow);

        const QString path = rig.dir.filePath(QStringLiteral("krv470.bin"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(SampleImage().build());
        file.close();
        QCOMPARE(loadFirmwareFile(w.station.ui, w.station.image, path), LoadResult::Loaded);
        w.station.ui.setEnabled(Control::btUpdate, true);

        int speedDuringFlash = 0;
        QObject::connect(&rig.device, &DeviceSim::flashRequested, [&] {
            QTimer::singleShot(200, [&] { speedDuringFlash = rig.pty.programSpeed(); });
        });
        bool upAtMessage = true;
        rig.answerer.script = {[&](QWidget *box) {
            upAtMessage = w.station.link.ModemConnected || w.btRuf->text() != QStringLiteral("Verbinden");
            qobject_cast<QMessageBox *>(box)->button(QMessageBox::Ok)->click();
        }};
        QTest::mouseClick(w.btUpdate, Qt::LeftButton);
        QCOMPARE(rig.answerer.texts(), QStringList{"Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)"});
        QCOMPARE(speedDuringFlash, 9600);  // no switch to 19200 over a modem
        QVERIFY(!upAtMessage);
        QCOMPARE(rig.device.flash.flash.left(w.station.image.ImageSize),
                 QByteArray(reinterpret_cast<const char *>(w.station.image.ImageBuffer.data()), w.station.image.ImageSize));
        QCOMPARE(w.station.Comm1.Parity(), paEven);
        QVERIFY(w.station.Comm1.Options().isEmpty());
        QCOMPARE(rig.meld()->palette().color(QPalette::Window), face);
        QCOMPARE(rig.meld()->text(), QString());
    }
};

QTEST_MAIN(TestGuiModem)
#include "tst_guimodem.moc"
