// quillon-cli info, time and set-time against krvsim, as a script runs them.
#include "tests/support/cliprocess.h"
#include "tests/support/testfiles.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>

namespace {
QString profile(const char *name) { return qEnvironmentVariable("SRCDIR") + QStringLiteral("/sim/profiles/%1.json").arg(QLatin1String(name)); }

// Runs one command against a fresh simulator with the given profile.
CliRun runAgainst(const char *profileName, const QStringList &args, const QStringList &env = {})
{
    KrvSimProcess sim({QStringLiteral("--profile"), profile(profileName)});
    if (sim.port == 0)
        return {};
    return runQuillonCli(QStringList{QStringLiteral("--tcp"), sim.target()} + args, kRunLimitMs, env);
}

// Every key of the JSON text in the order it is written, nested ones included.
QStringList keysInOrder(const QByteArray &json)
{
    QStringList keys;
    static const QRegularExpression key(QStringLiteral("\"([A-Za-z0-9]+)\":"));
    for (const QRegularExpressionMatch &m : key.globalMatch(QString::fromUtf8(json)))
        keys << m.captured(1);
    return keys;
}

}

class TestInfo : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(qEnvironmentVariable("QUILLON_CLI")).isExecutable(), "QUILLON_CLI not set");
        QVERIFY2(QFileInfo(qEnvironmentVariable("KRVSIM")).isExecutable(), "KRVSIM not set");
    }

    void infoJsonKeysValuesAndTypes()
    {
        const CliRun run = runAgainst("krv470", {"--json", "info"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.count('\n'), 1);
        // The order the window shows them in.
        QCOMPARE(keysInOrder(run.out),
                 (QStringList{"schema", "complete", "model", "version", "buildDate", "factoryNumber", "yearOfConstruction", "f4Function",
                              "f4FunctionText", "analogInputs", "flashClass", "flashChip", "exdevType", "options", "ptb", "dsfg",
                              "networked", "master", "rackVariant", "terminalBoardLp31802", "batterySl790", "rtc7301", "supply230V",
                              "supply24V", "error"}));
        const QJsonObject options{{"ptb", true}, {"dsfg", true}, {"networked", true}, {"master", true}, {"rackVariant", true},
                                  {"terminalBoardLp31802", true}, {"batterySl790", false}, {"rtc7301", false}, {"supply230V", false},
                                  {"supply24V", true}};
        QCOMPARE(jsonOf(run), (QJsonObject{{"schema", 1}, {"complete", true}, {"model", "KRV470"}, {"version", "KRV470 V3.02 a"},
                                           {"buildDate", "2008-01-15"}, {"factoryNumber", "470000123456"}, {"yearOfConstruction", "2008"},
                                           {"f4Function", 3}, {"f4FunctionText", "Eingangszähler & MP-Maxima, Vormonat"},
                                           {"analogInputs", 4}, {"flashClass", 2}, {"flashChip", "SST39VF040"}, {"exdevType", 3},
                                           {"options", options}, {"error", QJsonValue::Null}}));
    }

    void infoJsonKrv465()
    {
        const CliRun run = runAgainst("krv465", {"--json", "--quiet", "info"});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject o = jsonOf(run);
        QCOMPARE(o.value("model"), QJsonValue("KRV465"));
        QCOMPARE(o.value("exdevType"), QJsonValue(0));
        QCOMPARE(o.value("factoryNumber"), QJsonValue("12345"));
        QCOMPARE(o.value("analogInputs"), QJsonValue(0));
        QVERIFY(run.err.isEmpty());  // --quiet
    }

    void plainInfoIsReadable()
    {
        const CliRun run = runAgainst("krv470", {"info"});
        QCOMPARE(run.exitCode, 0);
        const QString out = QString::fromUtf8(run.out);
        QVERIFY2(!out.startsWith('{'), run.out.constData());
        for (const char *line : {"Version:               KRV470 V3.02 a", "Gerät:                 KRV470", "FW-Build:              20080115",
                                 "Fabriknummer:          \"470000123456\"", "Baujahr:               2008",
                                 "Funktion der F4-Taste: 3 Eingangszähler & MP-Maxima, Vormonat", "EXDEV-Art:             3",
                                 "[x] SST39VF040        cb40      gesperrt"})
            QVERIFY2(out.contains(QString::fromUtf8(line)), line);
        // The progress goes to stderr, step by step.
        QVERIFY(run.err.contains("Lese Version\nLese Fabriknummer\nLese FW-Build\n"));
    }

    void unknownF4ModeIsReported()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("f4.json");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"f4": 9})");
        file.close();
        KrvSimProcess sim({"--profile", path});
        const CliRun run = runQuillonCli({"--tcp", sim.target(), "--json", "info"});
        QCOMPARE(run.exitCode, 0);
        // The selection stays, but the device did not tell its function.
        QCOMPARE(jsonOf(run).value("f4Function"), QJsonValue(QJsonValue::Null));
        QVERIFY2(run.err.endsWith("Unbekannter F4-Modus 9, Auswahl bleibt\n"), run.err.constData());
    }

    void timeReadsTheClock()
    {
        KrvSimProcess sim({"--profile", profile("krv470")});
        const CliRun json = runQuillonCli({"--tcp", sim.target(), "--json", "time"}, kRunLimitMs, {"TZ=Europe/Berlin"});
        QCOMPARE(json.exitCode, 0);
        QCOMPARE(json.out, QByteArray("{\"schema\":1,\"time\":\"2007-12-24T18:30:00+01:00\",\"text\":\"24.12.2007 18:30:00\",\"error\":null}\n"));
        const CliRun plain = runQuillonCli({"--tcp", sim.target(), "time"});
        QCOMPARE(plain.exitCode, 0);
        QCOMPARE(plain.out, QByteArray("24.12.2007 18:30:00\n"));
    }

    // The PC's local time, here in a zone 5:45 east of UTC so that UTC would show.
    void setTimeSendsLocalTime()
    {
        const QStringList zone{"TZ=QLN-05:45"};
        KrvSimProcess sim({"--profile", profile("krv470")});
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        const CliRun set = runQuillonCli({"--tcp", sim.target(), "--json", "set-time"}, kRunLimitMs, zone);
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        QCOMPARE(set.exitCode, 0);
        const QJsonObject o = jsonOf(set);
        const QString sent = o.value("sent").toString();
        QVERIFY2(sent.endsWith("+05:45"), set.out.constData());
        const QDateTime sentTime = QDateTime::fromString(sent, Qt::ISODate);
        QVERIFY2(sentTime >= before && sentTime <= after, set.out.constData());
        // The device takes the zone's wall-clock time and answers with its clock as set.
        QCOMPARE(o.value("time").toString(), sent);
        QCOMPARE(o.value("text").toString(), sentTime.toOffsetFromUtc(5 * 3600 + 45 * 60).toString("dd.MM.yyyy HH:mm:ss"));

        // The device keeps the time it was given.
        const CliRun read = runQuillonCli({"--tcp", sim.target(), "--json", "time"}, kRunLimitMs, zone);
        QCOMPARE(read.exitCode, 0);
        QCOMPARE(QDateTime::fromString(jsonOf(read).value("time").toString(), Qt::ISODate), sentTime);
    }

    // The password is given once; asked again (wrong) or never given: exit 1.
    // From a file or the environment it stays out of ps, and out of every output,
    // the trace of the frames included.
    void password_data()
    {
        QTest::addColumn<QStringList>("passwordArgs");
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("promptAnswer");
        const QString file = writeFile(m_dir, QStringLiteral("password"), "geheim\n");
        const QString crlfFile = writeFile(m_dir, QStringLiteral("password-crlf"), "geheim\r\nand more\n");
        const QByteArray sent("Lesepasswort: gesendet\n");
        QTest::newRow("right") << QStringList{"--password", "geheim"} << QStringList{} << 0 << sent;
        QTest::newRow("right, the frames traced") << QStringList{"--password", "geheim", "--trace"} << QStringList{} << 0 << sent;
        QTest::newRow("wrong") << QStringList{"--password", "falsch"} << QStringList{} << 1 << QByteArray("Lesepasswort: abgelehnt\n");
        QTest::newRow("none") << QStringList{} << QStringList{} << 1
                              << QByteArray("Lesepasswort: keins angegeben (--password-file, QUILLON_PASSWORD oder --password)\n");
        QTest::newRow("file") << QStringList{"--password-file", file} << QStringList{} << 0 << sent;
        QTest::newRow("file's first line, CR LF") << QStringList{"--password-file=" + crlfFile} << QStringList{} << 0 << sent;
        QTest::newRow("environment") << QStringList{} << QStringList{"QUILLON_PASSWORD=geheim"} << 0 << sent;
        QTest::newRow("the option before the environment") << QStringList{"--password-file", file}
                                                           << QStringList{"QUILLON_PASSWORD=falsch"} << 0 << sent;
    }
    void password()
    {
        QFETCH(QStringList, passwordArgs);
        QFETCH(QStringList, env);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, promptAnswer);
        KrvSimProcess sim({"--profile", profile("password")});
        for (const QString &command : {QStringLiteral("info"), QStringLiteral("time")}) {
            const CliRun run = runQuillonCli(QStringList{"--tcp", sim.target(), "--json"} + passwordArgs + QStringList{command}, kRunLimitMs, env);
            QCOMPARE(run.exitCode, exitCode);
            QVERIFY2(!run.err.contains("Versuch 4"), run.err.constData());  // no four tries
            QVERIFY2(run.err.contains(promptAnswer), run.err.constData());
            // The trace shows every frame, as text and as hex.
            QVERIFY2(!run.out.contains("geheim") && !run.err.contains("geheim") && !run.err.contains("67 65 68 65 69 6d"), run.out + run.err);
            const QJsonObject o = jsonOf(run);
            if (command == "info") {
                QCOMPARE(o.value("complete").toBool(), exitCode == 0);
                QCOMPARE(o.value("factoryNumber"), exitCode == 0 ? QJsonValue("470000004711") : QJsonValue(QJsonValue::Null));
            } else {
                QCOMPARE(o.value("text"), exitCode == 0 ? QJsonValue("24.12.2007 18:30:00") : QJsonValue(QJsonValue::Null));
            }
            if (exitCode != 0)
                QVERIFY2(run.err.endsWith("KRV reagiert falsch oder nicht!\n"), run.err.constData());
        }
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestInfo)
#include "tst_info.moc"
