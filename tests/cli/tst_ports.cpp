// quillon-cli ports, and a --port that cannot be opened, on a made-up system
// whose ports are pseudo-terminals: one free, one held by another program,
// one the user may not open.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "cli/serialsetup.h"
#include "comport/comport.h"
#include "station/station.h"
#include "tests/comport/fakeportroot.h"
#include "tests/comport/ptypair.h"
#include "tests/support/cliprocess.h"
#include "tests/support/schemacheck.h"
#include "tests/support/withoutaccessoverride.h"

#include <QJsonArray>
#include <QtTest>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Owned by another user, read and write for the group "dialout" only: what
// a user not in that group meets on a USB adapter.
void joinableOnly(const QString &path)
{
    const group *dialout = ::getgrnam("dialout");
    QVERIFY(dialout);
    QCOMPARE(::chown(QFile::encodeName(path).constData(), 4242, dialout->gr_gid), 0);
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0060), 0);
}

struct Printed {
    int code = -1;
    QString out;
    QString err;
    QStringList messages;
};

using CliStation = Station<CliFrontend>;

// Runs ports (or what with the front end) in this process, as main() would.
Printed inProcess(bool json, const std::function<void(CliStation &, CliSession &)> &what)
{
    Printed printed;
    QTextStream out(&printed.out), err(&printed.err);
    CliStation station(err, false);
    CliSession s{station.ctx, station.upload, station.ui, json, out, err, {}, {}};
    what(station, s);
    out.flush();
    err.flush();
    printed.messages = station.ui.messages;
    return printed;
}

Printed runPorts(bool json)
{
    Printed printed;
    const Printed run = inProcess(json, [&](CliStation &, CliSession &s) { printed.code = CliCommand::find(QStringLiteral("ports"))->run(s, {}); });
    return {printed.code, run.out, run.err, run.messages};
}
}  // namespace

class TestPorts : public QObject {
    Q_OBJECT

    // COM1 free, a USB adapter busy, a second adapter without permission.
    struct System {
        PtyPair uart, usb, locked;
        FakePortRoot root;
        TComPort holder;
        System()
        {
            root.addUart(0);
            root.linkDevice(QStringLiteral("ttyS0"), uart.slavePath);
            root.addUsbAdapter(QStringLiteral("ttyUSB0"), "FT232R USB UART", "FTDI", "A10K3B");
            root.linkDevice(QStringLiteral("ttyUSB0"), usb.slavePath);
            root.addUsbAdapter(QStringLiteral("ttyACM0"), "USB Modem");
            root.linkDevice(QStringLiteral("ttyACM0"), locked.slavePath);
            joinableOnly(locked.slavePath);
            holder.SetDeviceName(usb.slavePath);
            holder.Open();
        }
    };

private slots:
    void listAsTextAndJson()
    {
        System system;
        Printed text, json;
        {
            WithoutAccessOverride asUser;
            if (!asUser.active())
                QSKIP("cannot give up the permission override here");
            text = runPorts(false);
            json = runPorts(true);
        }

        QCOMPARE(text.code, 0);
        QCOMPARE(text.out, QStringLiteral("/dev/ttyS0    COM1  frei\n"
                                          "/dev/ttyUSB0        von einem anderen Programm belegt  FTDI FT232R USB UART, Seriennummer A10K3B\n"
                                          "/dev/ttyACM0        keine Berechtigung – Gruppe \"dialout\"  USB Modem\n"));
        QVERIFY2(text.err.contains(QStringLiteral("Sie haben keine Berechtigung für /dev/ttyACM0. Nehmen Sie Ihr Benutzerkonto in die Gruppe \"dialout\"")),
                 qPrintable(text.err));

        QCOMPARE(json.code, 0);
        const QString violations = schemaViolations(QStringLiteral("ports"), json.out.toUtf8());
        QVERIFY2(violations.isEmpty(), qPrintable(violations));
        const QJsonArray ports = QJsonDocument::fromJson(json.out.toUtf8()).object().value("ports").toArray();
        QCOMPARE(ports.size(), 3);
        const QJsonObject uart = ports.at(0).toObject(), usb = ports.at(1).toObject(), acm = ports.at(2).toObject();
        QCOMPARE(uart.keys(), (QStringList{"advice", "byId", "com", "console", "maker", "path", "product", "serial", "state", "stateText", "usbId"}));
        QVERIFY(uart.value("advice").isNull());
        QCOMPARE(uart.value("path").toString(), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(uart.value("com").toString(), QStringLiteral("COM1"));
        QVERIFY(uart.value("maker").isNull() && uart.value("serial").isNull());
        QCOMPARE(uart.value("state").toString(), QStringLiteral("free"));
        QVERIFY(usb.value("com").isNull());
        QCOMPARE((QStringList{usb.value("maker").toString(), usb.value("product").toString(), usb.value("serial").toString()}),
                 (QStringList{"FTDI", "FT232R USB UART", "A10K3B"}));
        QCOMPARE(usb.value("state").toString(), QStringLiteral("busy"));
        QCOMPARE(acm.value("state").toString(), QStringLiteral("no-permission"));
        QVERIFY(acm.value("advice").toString().contains(QLatin1String("sudo usermod -aG dialout $USER")));
    }

    void noPorts()
    {
        FakePortRoot none;
        const Printed text = runPorts(false);
        QCOMPARE(text.code, 0);
        QCOMPARE(text.out, QStringLiteral("Keine serielle Schnittstelle gefunden.\n"));
        QCOMPARE(runPorts(true).out, QStringLiteral("{\"schema\":1,\"ports\":[],\"error\":null}\n"));
    }

    // A --port that is not there names the ports that are.
    void missingPortNamesThePresentOnes()
    {
        System system;
        const Printed run = inProcess(false, [](CliStation &station, CliSession &) {
            try {
                openSerialLink(station.serial, station.ui, QStringLiteral("/dev/ttyUSB9"), br9600);
                QFAIL("a missing port opened");
            } catch (...) {
            }
        });
        QCOMPARE(run.messages.size(), 3);
        QCOMPARE(run.messages.at(0), QStringLiteral("Programm muß beendet werden!! Fehler von Linux: /dev/ttyUSB9: nicht vorhanden"));
        QCOMPARE(run.messages.at(1), QStringLiteral("quillon-cli: die serielle Schnittstelle /dev/ttyUSB9 lässt sich nicht öffnen: nicht vorhanden"));
        // One held by another run is named busy.
        const Printed busy = inProcess(false, [](CliStation &station, CliSession &) {
            try {
                openSerialLink(station.serial, station.ui, QStringLiteral("/dev/ttyUSB0"), br9600);
                QFAIL("a busy port opened");
            } catch (...) {
            }
        });
        QCOMPARE(busy.messages.value(1), QStringLiteral("quillon-cli: die serielle Schnittstelle /dev/ttyUSB0 ist belegt: "
                                                         "ein anderes Programm benutzt sie"));
        // Root may open the locked one.
        QVERIFY2(run.messages.at(2).startsWith(QStringLiteral("Vorhandene Schnittstellen: /dev/ttyS0 (COM1, frei); "
                                                              "/dev/ttyUSB0 (FTDI FT232R USB UART, von einem anderen Programm belegt); "
                                                              "/dev/ttyACM0 (USB Modem, ")),
                 qPrintable(run.messages.at(2)));
    }

    // Named on purpose, the console opens, with a warning; a port that is
    // no console opens without one.
    void consoleOpensWithAWarning_data()
    {
        QTest::addColumn<bool>("console");
        QTest::newRow("the console") << true;
        QTest::newRow("another port") << false;
    }
    void consoleOpensWithAWarning()
    {
        QFETCH(bool, console);
        PtyPair pty;
        FakePortRoot root;
        root.setConsoles(console ? QFile::encodeName(pty.slavePath).mid(5) : QByteArray("tty0"));
        bool opened = false;
        const Printed run = inProcess(false, [&](CliStation &station, CliSession &) {
            openSerialLink(station.serial, station.ui, pty.slavePath, br9600);
            opened = station.serial.Comm1.Active();
        });
        QVERIFY(opened);
        const QStringList expected{QStringLiteral("quillon-cli: Achtung: %1 ist die Systemkonsole dieses Rechners. Meldungen des "
                                                  "Systems und eine Anmeldung auf ihr können die Verbindung zum Gerät stören.")
                                       .arg(pty.slavePath)};
        QCOMPARE(run.messages, console ? expected : QStringList());
    }

    // The real program on the real system: whatever ports it has are named.
    // Asking about a built-in port (maybe the console) leaves its line alone.
    void missingPortAsTheProgramSaysIt()
    {
        const CliRun run = runQuillonCli({QStringLiteral("--port"), QStringLiteral("/dev/quillon-no-such-port"), QStringLiteral("info")});
        QCOMPARE(run.exitCode, 1);
        const QString err = QString::fromUtf8(run.err);
        const QList<SerialPortEntry> present = PresentSerialPorts();
        if (present.isEmpty())
            QVERIFY2(err.contains(QLatin1String("Es ist keine serielle Schnittstelle vorhanden.")), qPrintable(err));
        for (const SerialPortEntry &port : present)
            QVERIFY2(err.contains(port.path + QLatin1String(" (")), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestPorts)
#include "tst_ports.moc"
