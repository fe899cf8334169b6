// After a failed transfer the device waits in its flash-update mode: the run
// says so and what to do, and a rerun cannot reach the device.
#include "tests/cli/smallimage.h"
#include "tests/support/cliprocess.h"
#include "tests/support/testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

class TstAfterFailure : public QObject {
    Q_OBJECT
private slots:
    void rerunFindsTheDeviceInFlashMode_data()
    {
        QTest::addColumn<bool>("serial");
        QTest::newRow("tcp") << false;
        QTest::newRow("serial line") << true;  // the device stays at 19200 bit/s, the program wakes at 9600
    }
    void rerunFindsTheDeviceInFlashMode()
    {
        QFETCH(bool, serial);
        QTemporaryDir dir;
        const QString image = writeFile(dir, QStringLiteral("fw.bin"), smallImage());
        KrvSimProcess sim(serial ? QStringList{"--pty", "--garbage", "3"} : QStringList{"--garbage", "3"});
        const QStringList link = serial ? QStringList{"--port", sim.pty()} : QStringList{"--tcp", sim.target()};
        QVERIFY2(!link.last().isEmpty(), qPrintable(sim.firstLine));

        const CliRun failed = runQuillonCli(link + QStringList{"--json", "flash", image}, kRunLimitMs);
        QCOMPARE(failed.exitCode, 1);
        QCOMPARE(jsonOf(failed).value("phase").toInt(), 4);
        const QString err = QString::fromUtf8(failed.err);
        QVERIFY2(err.contains("Zustand: Das KRV ist im FLASH-Update-Modus und hat das Abbild nicht vollständig erhalten. "
                              "Sein FLASH ist unverändert"), failed.err.constData());
        QVERIFY(err.contains("ein neuer Upload endet jetzt mit \"KRV reagiert falsch oder nicht!\""));
        QVERIFY(err.contains("KRV aus- und wieder einschalten: es startet mit der alten Firmware."));

        const CliRun rerun = runQuillonCli(link + QStringList{"--json", "flash", image}, kRunLimitMs);
        QCOMPARE(rerun.exitCode, 1);
        const QJsonObject o = jsonOf(rerun);
        QCOMPARE(o.value("phase").toInt(), 1);
        QCOMPARE(o.value("message").toString(), QStringLiteral("KRV reagiert falsch oder nicht!"));
    }

    // Whatever ended a run short, the technician reads what the device's state is.
    void everyFailedRunSaysTheState_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("state");
        const QString untouched = QStringLiteral("Zustand: Das KRV wurde nicht verändert.");
        QTest::newRow("calibration switch closed") << smallImage() << QStringList{"--profile", "closed.json"} << 4 << untouched;
        QTest::newRow("the same firmware") << smallImage(20080115) << QStringList{} << 3 << untouched;
        QTest::newRow("no firmware") << QByteArray(0x100, 'x') << QStringList{} << 2 << untouched;
        QTest::newRow("no device") << smallImage() << QStringList{"--silent"} << 1 << untouched;
    }
    void everyFailedRunSaysTheState()
    {
        QFETCH(QByteArray, image);
        QFETCH(QStringList, simArgs);
        QFETCH(int, exitCode);
        QFETCH(QString, state);
        QTemporaryDir dir;
        writeFile(dir, QStringLiteral("closed.json"), R"({"calibrationSwitch": false})");
        if (simArgs.size() == 2)
            simArgs[1] = dir.filePath(simArgs[1]);
        KrvSimProcess sim(simArgs);
        const CliRun run = runQuillonCli({"--tcp", sim.target(), "flash", writeFile(dir, QStringLiteral("fw.bin"), image)});
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(QString::fromUtf8(run.err).split('\n').contains(state), run.err.constData());
    }

    // The end record went out and no "F" came back, or the letters stopped:
    // the device may burn its flash now, so nothing may promise it unchanged
    // or advise switching off.
    void stateUnknownAfterTheEndRecord_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<int>("phase");
        // Flash records are counted as the simulator counts them: address, data and end records.
        const QByteArray image = smallImage();
        int records = 1;  // the end record
        bool inRun = false;
        for (int a = 0; a < image.size(); a += 256) {
            const bool blank = image.mid(a, 256) == QByteArray(256, char(0xFF));
            records += blank ? 0 : 1 + !inRun;  // an address record opens each run of data
            inRun = !blank;
        }
        QTest::newRow("silence") << QStringList{"--silent-from", QString::number(records)} << 4;
        QTest::newRow("ACK") << QStringList{"--end-ack"} << 4;
        // The first letter comes later than the (short) limit allows.
        QTest::newRow("letters stop") << QStringList{"--letter-interval", "3000"} << 5;
    }
    void stateUnknownAfterTheEndRecord()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(int, phase);
        QTemporaryDir dir;
        const QString image = writeFile(dir, QStringLiteral("fw.bin"), smallImage());
        KrvSimProcess sim(simArgs);
        QVERIFY2(sim.port != 0, qPrintable(sim.firstLine));

        const CliRun run = runQuillonCli({"--tcp", sim.target(), "--json", "flash", image}, kRunLimitMs);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(jsonOf(run).value("phase").toInt(), phase);
        QCOMPARE(jsonOf(run).value("counters").toObject().value("data").toInt(), nonBlankBlocks(smallImage()));
        const QString err = QString::fromUtf8(run.err);
        const qsizetype at = err.indexOf("Zustand: ");
        QVERIFY2(at >= 0, run.err.constData());
        const QString state = err.mid(at, err.indexOf('\n', at) - at);
        QVERIFY2(state.startsWith("Zustand: Unbekannt"), qPrintable(state));
        QVERIFY2(state.contains("eingeschaltet lassen") && state.contains("quillon-cli info"), qPrintable(state));
        QVERIFY2(!state.contains("unverändert") && !state.contains("ausschalten") && !state.contains("aus- und wieder"),
                 qPrintable(state));
    }
};

QTEST_MAIN(TstAfterFailure)
#include "tst_afterfailure.moc"
