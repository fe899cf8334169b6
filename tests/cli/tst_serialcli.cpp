// quillon-cli on a serial port: krvsim serving a pseudo-terminal, ports that
// cannot be opened, and a device that goes away while the program waits.
#include "comport/comport.h"
#include "tests/comport/ptypair.h"
#include "tests/support/cliprocess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <cstring>
#include <optional>

class TestSerialCli : public QObject {
    Q_OBJECT

private slots:
    void rawReadsTheVersion()
    {
        KrvSimProcess sim({QStringLiteral("--pty")});
        const QString pty = sim.pty();
        QVERIFY2(!pty.isEmpty(), qPrintable(sim.firstLine));

        const CliRun run = runQuillonCli({QStringLiteral("--port"), pty, QStringLiteral("raw"), QStringLiteral("B004"), QStringLiteral("--crc")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.split('\n').value(0), QByteArray(".B004KRV470 V3.02 ab."));
        // The simulator holds its end open: a second run reaches it too.
        QCOMPARE(runQuillonCli({QStringLiteral("--port"), pty, QStringLiteral("raw"), QStringLiteral("B004"), QStringLiteral("--crc")}).exitCode, 0);
    }

    void wrongSpeedGetsNoAnswer()
    {
        KrvSimProcess sim({QStringLiteral("--pty")});
        const QString pty = sim.pty();
        QVERIFY2(!pty.isEmpty(), qPrintable(sim.firstLine));
        // The device listens at 9600 bit/s; at 19200 it hears only noise.
        const CliRun run = runQuillonCli({QStringLiteral("--port"), pty, QStringLiteral("--baud"), QStringLiteral("19200"), QStringLiteral("raw"),
                                          QStringLiteral("B004"), QStringLiteral("--crc"), QStringLiteral("--timeout"), QStringLiteral("500")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(!run.out.contains("KRV470"));
    }

    void portThatCannotBeOpened_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("cause");
        QTest::newRow("missing") << QStringLiteral("/dev/quillon-no-such-port") << QStringLiteral("nicht vorhanden");
        QTest::newRow("not a terminal") << QStringLiteral("/dev/null") << QStringLiteral("keine serielle Schnittstelle");
        QTest::newRow("busy") << QString() << QStringLiteral("von einem anderen Programm belegt");
    }

    void portThatCannotBeOpened()
    {
        QFETCH(QString, device);
        QFETCH(QString, cause);
        // Busy: this process holds the port.
        PtyPair pty;
        TComPort holder;
        if (device.isEmpty()) {
            QVERIFY(pty.isValid());
            device = pty.slavePath;
            holder.SetDeviceName(device);
            holder.Open();
        }
        const CliRun run = runQuillonCli({QStringLiteral("--port"), device, QStringLiteral("raw"), QStringLiteral("B004")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.isEmpty());
        const QString err = QString::fromUtf8(run.err);
        QVERIFY2(err.contains(QStringLiteral("Programm muß beendet werden!! Fehler von Linux: %1: %2\n").arg(device, cause)), qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("die serielle Schnittstelle ") + device), qPrintable(err));
        QVERIFY2(run.elapsedMs < 3000, qPrintable(QString::number(run.elapsedMs)));
    }

    void deviceGoneWhileWaiting()
    {
        std::optional<KrvSimProcess> sim(std::in_place, QStringList{QStringLiteral("--pty"), QStringLiteral("--silent")});
        const QString pty = sim->pty();
        QVERIFY2(!pty.isEmpty(), qPrintable(sim->firstLine));
        QProcess cli;
        cli.start(qEnvironmentVariable("QUILLON_CLI"), {QStringLiteral("--port"), pty, QStringLiteral("--trace"), QStringLiteral("raw"), QStringLiteral("B004"),
                                                        QStringLiteral("--crc"), QStringLiteral("--timeout"), QStringLiteral("60000")});
        QVERIFY(cli.waitForStarted());
        // The trace shows the frame went out: the command is waiting now.
        QByteArray err;
        QVERIFY2(waitForStderr(cli, err, "->"), err.constData());

        sim.reset();  // unplugged: the port error ends the wait, long before its limit
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 1);
        err += cli.readAllStandardError();
        const QString message = QStringLiteral("Programm muß beendet werden!! Fehler von Linux: Ein-/Ausgabefehler");
        QCOMPARE(QString::fromUtf8(err).count(message), 1);
    }

    void jsonObjectWhenDeviceGone_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("key");
        QTest::newRow("info") << QStringLiteral("info") << QStringLiteral("complete");
        QTest::newRow("time") << QStringLiteral("time") << QStringLiteral("time");
    }

    void jsonObjectWhenDeviceGone()
    {
        QFETCH(QString, command);
        QFETCH(QString, key);
        std::optional<KrvSimProcess> sim(std::in_place, QStringList{QStringLiteral("--pty"), QStringLiteral("--silent")});
        const QString pty = sim->pty();
        QVERIFY2(!pty.isEmpty(), qPrintable(sim->firstLine));
        QProcess cli;
        cli.setProcessEnvironment(withRealLimits());  // the wake-up outlasts the unplugging
        cli.start(qEnvironmentVariable("QUILLON_CLI"), {QStringLiteral("--port"), pty, QStringLiteral("--json"), command});
        QVERIFY(cli.waitForStarted());
        QByteArray err;
        QVERIFY2(waitForStderr(cli, err, "Versuch 1"), err.constData());

        sim.reset();  // unplugged during the wake-up
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 1);
        // Scripts still get the one object, with what was read so far.
        const QJsonDocument doc = QJsonDocument::fromJson(cli.readAllStandardOutput());
        QVERIFY(doc.isObject());
        QVERIFY2(doc.object().contains(key), doc.toJson().constData());
        if (key == QLatin1String("complete"))
            QCOMPARE(doc.object().value(key), QJsonValue(false));
        err += cli.readAllStandardError();
        QVERIFY2(!err.contains("KRV reagiert falsch oder nicht"), err.constData());  // the port error said it
    }
};

QTEST_GUILESS_MAIN(TestSerialCli)
#include "tst_serialcli.moc"
