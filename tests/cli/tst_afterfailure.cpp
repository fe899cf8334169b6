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
        QCOMPARE(jsonOf(failed).value("UploadPhase").toInt(), 4);
        const QString err = QString::fromUtf8(failed.err);
        QVERIFY2(err.contains("Zustand: Das KRV ist im FLASH-Update-Modus und hat das Abbild nicht vollständig erhalten. "
                              "Sein FLASH ist unverändert"), failed.err.constData());
        QVERIFY(err.contains("ein neuer Upload endet jetzt mit \"KRV reagiert falsch oder nicht!\""));
        QVERIFY(err.contains("KRV aus- und wieder einschalten: es startet mit der alten Firmware."));

        const CliRun rerun = runQuillonCli(link + QStringList{"--json", "flash", image}, kRunLimitMs);
        QCOMPARE(rerun.exitCode, 1);
        const QJsonObject o = jsonOf(rerun);
        QCOMPARE(o.value("UploadPhase").toInt(), 1);
        QCOMPARE(o.value("message").toString(), QStringLiteral("KRV reagiert falsch oder nicht!"));
    }
};

QTEST_MAIN(TstAfterFailure)
#include "tst_afterfailure.moc"
