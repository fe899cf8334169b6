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

const QStringList kBoxes = {"cbPTB", "cb470Z", "cbU230", "cb20", "cb40", "cbU24", "cbKlemm", "cbRTC",
                            "cbNetz", "cbAnalog", "cbBatt", "cb512", "cb465", "cbRes3", "cbDSfG", "cbMaster"};
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
        const QStringList keys = QStringList{"DeviceInfoRead", "DeviceKind", "DeviceFwDate", "FlashClass", "DeviceExdevType", "lbVersion",
                                             "edFabNr", "edBaujahr", "cbF4", "lbF4", "lbGExdev", "checked"}
                                 + kBoxes + QStringList{"enabled"} + kBoxes + QStringList{"captions", "cbAnalog", "cb40"};
        QCOMPARE(keysInOrder(run.out), keys);
        const QJsonObject o = jsonOf(run);
        QCOMPARE(o.value("DeviceInfoRead"), QJsonValue(true));
        QCOMPARE(o.value("DeviceKind"), QJsonValue(1));
        QCOMPARE(o.value("DeviceFwDate"), QJsonValue(20080115));
        QCOMPARE(o.value("FlashClass"), QJsonValue(2));
        QCOMPARE(o.value("DeviceExdevType"), QJsonValue(3));
        QCOMPARE(o.value("lbVersion"), QJsonValue("KRV470 V3.02 a"));
        QCOMPARE(o.value("edFabNr"), QJsonValue("470000123456"));
        QCOMPARE(o.value("edBaujahr"), QJsonValue("2008"));
        QCOMPARE(o.value("cbF4"), QJsonValue(3));
        QCOMPARE(o.value("lbF4"), QJsonValue("Funktion der F4-Taste"));
        QCOMPARE(o.value("lbGExdev"), QJsonValue("3"));
        const QJsonObject checked = o.value("checked").toObject();
        const QJsonObject enabled = o.value("enabled").toObject();
        QStringList ticked;
        for (const QString &box : kBoxes) {
            QVERIFY2(checked.value(box).isBool() && enabled.value(box).isBool(), qPrintable(box));
            if (checked.value(box).toBool())
                ticked << box;
            QCOMPARE(enabled.value(box).toBool(), box == "cbDSfG");
        }
        QCOMPARE(ticked, (QStringList{"cbPTB", "cb470Z", "cb40", "cbU24", "cbKlemm", "cbNetz", "cbAnalog", "cbDSfG", "cbMaster"}));
        const QJsonObject captions = o.value("captions").toObject();
        QCOMPARE(captions.value("cbAnalog"), QJsonValue("4 Analogeingänge"));
        QCOMPARE(captions.value("cb40"), QJsonValue("SST39VF040"));
    }

    void infoJsonKrv465HidesExdev()
    {
        const CliRun run = runAgainst("krv465", {"--json", "--quiet", "info"});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject o = jsonOf(run);
        QVERIFY(o.contains("lbGExdev"));
        QVERIFY(o.value("lbGExdev").isNull());
        QCOMPARE(o.value("DeviceKind"), QJsonValue(2));
        QCOMPARE(o.value("edFabNr"), QJsonValue("12345       "));
        QCOMPARE(o.value("lbF4"), QJsonValue("Funktion der 'Doppel-C-Taste'"));
        QCOMPARE(o.value("captions").toObject().value("cbAnalog"), QJsonValue("Analogeingänge"));
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
        QCOMPARE(jsonOf(run).value("cbF4"), QJsonValue(0));
        QVERIFY2(run.err.endsWith("Unbekannter F4-Modus 9, Auswahl bleibt\n"), run.err.constData());
    }

    void timeReadsTheClock()
    {
        KrvSimProcess sim({"--profile", profile("krv470")});
        const CliRun json = runQuillonCli({"--tcp", sim.target(), "--json", "time"});
        QCOMPARE(json.exitCode, 0);
        QCOMPARE(json.out, QByteArray("{\"lbTime\":\"24.12.2007 18:30:00\"}\n"));
        const CliRun plain = runQuillonCli({"--tcp", sim.target(), "time"});
        QCOMPARE(plain.exitCode, 0);
        QCOMPARE(plain.out, QByteArray("24.12.2007 18:30:00\n"));
    }

    // The PC's local time, here in a zone 5:45 east of UTC so that UTC would show.
    void setTimeSendsLocalTime()
    {
        const QStringList zone{"TZ=QLN-05:45"};
        // The wall-clock time of that zone, taken as UTC for comparing.
        const auto shownAsUtc = [](const CliRun &run) {
            QDateTime t = QDateTime::fromString(QJsonDocument::fromJson(run.out).object().value("lbTime").toString(), "dd.MM.yyyy HH:mm:ss");
            t.setTimeSpec(Qt::UTC);
            return t;
        };
        const QDateTime expected = QDateTime::currentDateTimeUtc().addSecs(5 * 3600 + 45 * 60);
        KrvSimProcess sim({"--profile", profile("krv470")});

        const CliRun set = runQuillonCli({"--tcp", sim.target(), "--json", "set-time"}, kRunLimitMs, zone);
        QCOMPARE(set.exitCode, 0);
        const QDateTime deviceTime = shownAsUtc(set);
        QVERIFY2(deviceTime.isValid(), set.out.constData());
        QVERIFY2(qAbs(expected.secsTo(deviceTime)) <= 10, set.out.constData());

        // The device keeps the time it was given.
        const CliRun read = runQuillonCli({"--tcp", sim.target(), "--json", "time"});
        QCOMPARE(read.exitCode, 0);
        QCOMPARE(shownAsUtc(read), deviceTime);
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
                QCOMPARE(o.value("DeviceInfoRead").toBool(), exitCode == 0);
                QCOMPARE(o.value("edFabNr").toString(), exitCode == 0 ? QString("470000004711") : QString());
            } else {
                QCOMPARE(o.value("lbTime"), exitCode == 0 ? QJsonValue("24.12.2007 18:30:00") : QJsonValue(QJsonValue::Null));
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
