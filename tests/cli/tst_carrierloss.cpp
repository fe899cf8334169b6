// A command through a modem call whose carrier drops: a failure with its
// reason, not the Ctrl-C cancel the same stop signal also serves.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "comport/eabort.h"
#include "sim/devicesim.h"
#include "sim/hayesmodem.h"
#include "sim/ptytransport.h"
#include "station/station.h"
#include "tests/cli/smallimage.h"
#include "tests/support/cliprocess.h"
#include "tests/support/simulatedmodemlines.h"
#include "tests/support/testfiles.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
// A call through the Hayes simulator on a pseudo-terminal to the simulated
// device, and a CLI session on it.
struct ModemCall {
    SimulatedModemLines lines;  // first: outlives the port that reads it
    QString outText, errText;
    QTextStream out{&outText}, err{&errText};
    DeviceSim sim{DeviceProfile::fromJson({})};
    PtyTransport pty{sim};
    HayesModem hayes{sim};
    Station<CliFrontend> station{err, true};  // after the terminal: the port closes before it
    CliFrontend &ui = station.ui;
    Link &link = station.link;
    Modem &modem = station.addModem();
    CliSession s{station.ctx, station.upload, ui, true, out, err, [] { return QString(); }, {}};

    explicit ModemCall(bool json)
    {
        s.json = json;
        s.onInterrupt = [this] { link.cancel(); };
        // Only the pauses are short: the stop, not a limit, ends every wait here.
        link.limits.wakeSettleMs = 0;
        link.limits.modemAfterReplyMs = TimeLimits::shortForTests().modemAfterReplyMs;
    }
    // True when the call is up.
    bool dial()
    {
        if (!pty.open())
            return false;
        pty.setModem(&hayes);
        QObject::connect(&hayes, &HayesModem::carrierChanged, [this](bool on) { lines.setCarrier(on); });
        hayes.answerDelayMs = 50;
        station.Comm1.SetDeviceName(pty.slavePath());
        station.Comm1.Open();
        modem.edRufChange(QStringLiteral("0815"));
        modem.btRufClick();
        return link.ModemConnected;
    }
    int run(const QString &command, const QStringList &args)
    {
        try {
            const int code = CliCommand::find(command)->run(s, args);
            out.flush();
            err.flush();
            return code;
        } catch (const EAbort &) {
            return -1;  // a port error ended the command
        }
    }
};
}

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

        ModemCall call(true);
        QVERIFY(call.dial());
        // The device falls silent; the stop comes while the command waits for it.
        call.sim.faults.silent = true;
        if (carrierDrops)
            QTimer::singleShot(300, &call.hayes, &HayesModem::hangUp);
        else
            QTimer::singleShot(300, [&call] { call.s.onInterrupt(); });
        const QStringList args = command == QLatin1String("raw") ? QStringList{QStringLiteral("B100")} : QStringList();
        const int code = call.run(command, args);
        QCOMPARE(code, exitCode);
        QCOMPARE(jsonOf(CliRun{0, call.outText.toUtf8(), {}, 0}).value("error").toObject().value("message").toString(), error);
        QCOMPARE(call.link.ModemConnected, !carrierDrops);
    }

    // The upload through the call: the call drops once the device has
    // switched to its flash mode. The window shows the same final message.
    void flashSaysTheCallWasLost()
    {
        QTemporaryDir dir;
        const QString path = writeFile(dir, QStringLiteral("fw.bin"), smallImage());
        ModemCall call(false);
        QVERIFY(call.dial());
        QObject::connect(&call.sim, &DeviceSim::flashRequested, &call.hayes,
                         [&call] { QTimer::singleShot(300, &call.hayes, &HayesModem::hangUp); });
        const int code = call.run(QStringLiteral("flash"), {path, QStringLiteral("--yes")});
        QCOMPARE(code, int(ExitFailed));
        QVERIFY2(call.outText.contains(QRegularExpression(
                     QStringLiteral("^fehlgeschlagen: Upload beendet: Modemverbindung verloren \\(kein Träger mehr\\)! PS: [34] "))),
                 qPrintable(call.outText));
        QVERIFY2(!(call.outText + call.errText).contains(QStringLiteral("Abbruch")), qPrintable(call.errText));
        // The upload's one message box, as the window shows it.
        QVERIFY2(call.ui.lastMessage().startsWith(QStringLiteral("Upload beendet: Modemverbindung verloren")),
                 qPrintable(call.ui.lastMessage()));
        QVERIFY(!call.link.ModemConnected);
    }
};

QTEST_MAIN(TestCarrierLoss)
#include "tst_carrierloss.moc"
