// flash --verify against a device that never comes back after programming:
// the run ends by the documented limit of 60 s, as a failure.
#include "tests/cli/smallimage.h"
#include "tests/support/cliprocess.h"
#include "tests/support/testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

class TstVerifyLimit : public QObject {
    Q_OBJECT
private slots:
    void deviceNeverComesBack()
    {
        QTemporaryDir dir;
        const QString image = writeFile(dir, QStringLiteral("fw.bin"), smallImage());
        const QString record = dir.filePath(QStringLiteral("r.json"));
        KrvSimProcess sim({"--never-back"});
        const CliRun run = runQuillonCli({"--tcp", sim.target(), "--json", "flash", image, "--verify", "--report", record}, 240000,
                                         {"QUILLON_TEST_SHORT_LIMITS=0"});
        QCOMPARE(run.exitCode, 1);
        const QJsonObject o = jsonOf(run);
        QCOMPARE(o.value("result").toString(), QStringLiteral("failed"));
        QCOMPARE(o.value("message").toString(), QStringLiteral("Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)"));
        const QString text = QStringLiteral("Prüfung fehlgeschlagen: Das KRV hat sich nach dem Neustart nicht innerhalb von 60 s gemeldet.");
        QCOMPARE(o.value("error").toObject().value("message").toString(), text);
        QCOMPARE(o.value("verification").toObject().value("status").toString(), QStringLiteral("no-answer"));
        QVERIFY(o.value("device").toObject().value("after").isNull());
        QVERIFY(run.err.contains(text.toUtf8()));
        // Not before the limit.
        QVERIFY2(run.elapsedMs >= 60000, qPrintable(QString::number(run.elapsedMs)));
        QFile file(record);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject r = QJsonDocument::fromJson(file.readAll()).object();
        QCOMPARE(r.value("result").toString(), QStringLiteral("failed"));
        QCOMPARE(r.value("verification").toObject().value("status").toString(), QStringLiteral("no-answer"));
    }
};

QTEST_MAIN(TstVerifyLimit)
#include "tst_verifylimit.moc"
