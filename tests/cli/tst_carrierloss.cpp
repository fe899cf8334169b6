// A command through a modem call whose carrier drops: a failure with its
// reason, not the Ctrl-C cancel the same stop signal also serves.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "comport/eabort.h"
#include "image/firmwareimage.h"
#include "link/comportlink.h"
#include "link/devicedescription.h"
#include "link/modem.h"
#include "options/optionsmodel.h"
#include "sim/devicesim.h"
#include "sim/hayesmodem.h"
#include "sim/ptytransport.h"
#include "tests/support/cliprocess.h"
#include "tests/support/simulatedmodemlines.h"

#include <QTimer>
#include <QtTest>

class TestCarrierLoss : public QObject {
    Q_OBJECT
private slots:
    void commandEnds_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("carrierDrops");  // else Ctrl-C
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        const QString lost = QStringLiteral("Modemverbindung verloren: kein Träger mehr");
        const QString ctrlC = QStringLiteral("Abbruch mit Strg-C");
        for (const char *command : {"info", "time", "raw"}) {
            QTest::addRow("%s, carrier lost", command) << command << true << int(ExitFailed) << lost;
            QTest::addRow("%s, Ctrl-C", command) << command << false << int(ExitCancelled) << ctrlC;
        }
    }

    void commandEnds()
    {
        QFETCH(QString, command);
        QFETCH(bool, carrierDrops);
        QFETCH(int, exitCode);
        QFETCH(QString, error);

        SimulatedModemLines lines;  // first: outlives the port that reads it
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        FirmwareImage image;
        OptionsModel panel(image.FileAnalogInputs);
        CliFrontend ui(panel, err, true);
        DeviceDescription device;
        Link link(ui);
        DeviceSim sim{DeviceProfile::fromJson({})};
        PtyTransport pty{sim};
        HayesModem hayes{sim};
        QVERIFY(pty.open());
        pty.setModem(&hayes);
        QObject::connect(&hayes, &HayesModem::carrierChanged, [&lines](bool on) { lines.setCarrier(on); });
        hayes.answerDelayMs = 50;
        ComPortLink serial{ui};
        serial.Comm1.SetDeviceName(pty.slavePath());
        serial.Comm1.Open();
        link.setSerialLink(&serial);
        Modem modem{link, ui, serial.Comm1};
        modem.edRufChange(QStringLiteral("0815"));
        modem.btRufClick();
        QVERIFY(link.ModemConnected);

        CliSession s{Context{link, ui, device, image}, ui, true, out, err, [] { return QString(); }, {}};
        s.onInterrupt = [&link] { link.CancelRequested = true; };
        // The device falls silent; the stop comes while the command waits for it.
        sim.faults.silent = true;
        if (carrierDrops)
            QTimer::singleShot(300, &hayes, &HayesModem::hangUp);
        else
            QTimer::singleShot(300, [&s] { s.onInterrupt(); });
        const QStringList args = command == QLatin1String("raw") ? QStringList{QStringLiteral("B100")} : QStringList();
        int code = -1;
        try {
            code = CliCommand::find(command)->run(s, args);
        } catch (const EAbort &) {
            QFAIL("a port error ended the command");
        }
        out.flush();
        QCOMPARE(code, exitCode);
        QCOMPARE(jsonOf(CliRun{0, outText.toUtf8(), {}, 0}).value("error").toString(), error);
        QCOMPARE(link.ModemConnected, !carrierDrops);
    }
};

QTEST_MAIN(TestCarrierLoss)
#include "tst_carrierloss.moc"
