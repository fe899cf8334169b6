// Ctrl-C, SIGTERM (a fleet job's time limit) and SIGHUP (a closed terminal)
// during a flash: the same orderly end, the device's state said, the record
// written; while the device programs, the run goes on.
#include "tests/cli/smallimage.h"
#include "tests/support/cliprocess.h"
#include "tests/support/testfiles.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

class TstSignals : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(qEnvironmentVariable("QUILLON_CLI")).isExecutable(), "QUILLON_CLI not set");
        m_image = writeFile(m_dir, QStringLiteral("fw.bin"), smallImage());
    }

    void orderlyEnd_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QByteArray>("when");  // on stderr before the signal
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("phase");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("state");  // in the "Zustand:" line; empty: none
        const QStringList silentFrom4{"--silent-from", "4"};
        const QString cancelled = QStringLiteral("Abbruch durch den kundigen Benutzer!  ;-)");
        const QString unchanged = QStringLiteral("Sein FLASH ist unverändert");
        const QString untouched = QStringLiteral("Das KRV wurde nicht verändert.");
        QTest::newRow("SIGTERM while records go out") << SIGTERM << silentFrom4 << QByteArray("Wdh: 0 Adr: 1 Dat: 2") << 130
                                                      << "cancelled" << 4 << cancelled << unchanged;
        QTest::newRow("SIGHUP while records go out") << SIGHUP << silentFrom4 << QByteArray("Wdh: 0 Adr: 1 Dat: 2") << 130
                                                     << "cancelled" << 4 << cancelled << unchanged;
        // The readout: the user's cancel, not the device's failure.
        QTest::newRow("Ctrl-C while the device is read") << SIGINT << QStringList{"--silent"} << QByteArray("Wecke KRV") << 130
                                                         << "cancelled" << 1 << "Abbruch mit Strg-C" << untouched;
        QTest::newRow("SIGTERM while the device is read") << SIGTERM << QStringList{"--silent"} << QByteArray("Wecke KRV") << 130
                                                          << "cancelled" << 1 << "Abbruch durch das Signal SIGTERM" << untouched;
        QTest::newRow("SIGTERM while the device programs")
            << SIGTERM << QStringList{"--letter-interval", "10"} << QByteArray("KRV programmiert FLASH!") << 0 << "ok" << 5
            << "Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)" << QString();
        QTest::newRow("SIGHUP while the device programs")
            << SIGHUP << QStringList{"--letter-interval", "10"} << QByteArray("KRV programmiert FLASH!") << 0 << "ok" << 5
            << "Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)" << QString();
    }
    void orderlyEnd()
    {
        QFETCH(int, signal);
        QFETCH(QStringList, simArgs);
        QFETCH(QByteArray, when);
        QFETCH(int, exitCode);
        QFETCH(QString, result);
        QFETCH(int, phase);
        QFETCH(QString, message);
        QFETCH(QString, state);
        KrvSimProcess sim(simArgs);
        const QString record = m_dir.filePath(QStringLiteral("run-%1.json").arg(QTest::currentDataTag()));
        QProcess cli;
        cli.setProcessEnvironment(withRealLimits());  // the signal, not a short limit, ends the wait
        cli.start(qEnvironmentVariable("QUILLON_CLI"), {"--tcp", sim.target(), "--json", "flash", m_image, "--report", record});
        QByteArray err;
        QVERIFY2(waitForStderr(cli, err, when), err.constData());
        QCOMPARE(::kill(pid_t(cli.processId()), signal), 0);
        QVERIFY2(cli.waitForFinished(30000), "no end within 30 s of the signal");
        err += cli.readAllStandardError();
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), exitCode);

        const QJsonObject o = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
        QCOMPARE(o.value("result").toString(), result);
        QCOMPARE(o.value("phase").toInt(), phase);
        QCOMPARE(o.value("message").toString(), message);
        // No message that blames the device.
        QVERIFY2(!QString::fromUtf8(err).split('\n').contains(QStringLiteral("KRV reagiert falsch oder nicht!")), err.constData());
        if (state.isEmpty())
            QVERIFY2(!err.contains("Zustand:"), err.constData());
        else
            QVERIFY2(QString::fromUtf8(err).contains(QStringLiteral("Zustand: ")) && QString::fromUtf8(err).contains(state), err.constData());

        QFile file(record);
        QVERIFY2(file.open(QIODevice::ReadOnly), "no record written");
        const QJsonObject written = QJsonDocument::fromJson(file.readAll()).object();
        QCOMPARE(written.value("result").toString(), result);
        QCOMPARE(written.value("message").toString(), message);
    }

private:
    QTemporaryDir m_dir;
    QString m_image;
};

QTEST_GUILESS_MAIN(TstSignals)
#include "tst_signals.moc"
