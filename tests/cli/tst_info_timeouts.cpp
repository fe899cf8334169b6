// quillon-cli info and time against a device that stops answering: exit 1,
// the failure text, and with --json what was read before the silence.
#include "link/timelimits.h"
#include "tests/support/cliprocess.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {
// A simulator with the default KRV470 that answers only the first n frames.
class SilentAfter {
public:
    explicit SilentAfter(int frames)
    {
        QFile file(m_dir.filePath("silent.json"));
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray("{\"silentAfterFrames\": ") + QByteArray::number(frames) + "}");
        file.close();
        m_sim = std::make_unique<KrvSimProcess>(QStringList{"--profile", file.fileName()});
    }
    CliRun run(const QStringList &args) { return runQuillonCli(QStringList{"--tcp", m_sim->target()} + args, kRunLimitMs); }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<KrvSimProcess> m_sim;
};
}

class TestInfoTimeouts : public QObject {
    Q_OBJECT
private slots:
    // "B146" gets no answer: everything up to the hardware word is in the JSON.
    void infoFailsMidwayWithWhatWasRead()
    {
        SilentAfter sim(6);
        const CliRun run = sim.run({"--json", "info"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("Lese F4-Modus\nKRV reagiert falsch oder nicht!!\nKRV reagiert falsch oder nicht!\n"), run.err.constData());
        const QJsonObject o = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(o.value("complete"), QJsonValue(false));
        QCOMPARE(o.value("model"), QJsonValue("KRV470"));
        QCOMPARE(o.value("version"), QJsonValue("KRV470 V3.02 a"));
        QCOMPARE(o.value("factoryNumber"), QJsonValue("000012345678"));
        QCOMPARE(o.value("yearOfConstruction"), QJsonValue("2007"));
        QCOMPARE(o.value("buildDate"), QJsonValue("2008-01-15"));
        QVERIFY(o.value("f4Function").isNull());
        QVERIFY(o.value("flashClass").isNull());
        QVERIFY(o.value("exdevType").isNull());
        QCOMPARE(o.value("error").toObject().value("message"), QJsonValue("KRV reagiert falsch oder nicht!"));

        // Without --json nothing goes to stdout.
        const CliRun plain = sim.run({"info"});
        QCOMPARE(plain.exitCode, 1);
        QVERIFY(plain.out.isEmpty());
        QVERIFY(plain.err.endsWith("KRV reagiert falsch oder nicht!\n"));
    }

    void timeAfterWakeUpTimesOut()
    {
        SilentAfter sim(1);  // answers "Q" only
        const CliRun run = sim.run({"--json", "time"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QByteArray("{\"schema\":1,\"time\":null,\"text\":null,\"error\":{\"message\":\"Timeout!\",\"exitCode\":1}}\n"));
        QVERIFY2(run.err.endsWith("Timeout!\n"), run.err.constData());
        QVERIFY2(run.elapsedMs >= TimeLimits::shortForTests().commandTimeoutMs, qPrintable(QString::number(run.elapsedMs)));
    }

    // No wake-up at all: four tries, then the readout's failure text.
    void setTimeWithoutDeviceFails()
    {
        SilentAfter sim(0);
        const CliRun run = sim.run({"--json", "set-time"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QByteArray("{\"schema\":1,\"sent\":null,\"time\":null,\"text\":null,"
                                      "\"error\":{\"message\":\"KRV reagiert falsch oder nicht!\",\"exitCode\":1}}\n"));
        QVERIFY2(run.err.contains("Versuch 4\n"), run.err.constData());
        QVERIFY2(run.err.endsWith("KRV reagiert falsch oder nicht!\n"), run.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestInfoTimeouts)
#include "tst_info_timeouts.moc"
