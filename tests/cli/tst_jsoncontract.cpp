// Every quillon-cli --json output against its schema in docs/schemas, run as
// a script runs it: the real program, the simulator, Debian's jsonschema.
#include "sim/sampleimage.h"
#include "tests/cli/smallimage.h"
#include "tests/support/cliprocess.h"
#include "tests/support/schemacheck.h"
#include "tests/support/testfiles.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {
// The value at a dotted path ("options.ptb"); undefined when a part is missing.
QJsonValue valueAt(const QJsonObject &object, const QString &path)
{
    QJsonValue value = object;
    for (const QString &key : path.split(QLatin1Char('.'))) {
        if (!value.isObject() || !value.toObject().contains(key))
            return QJsonValue(QJsonValue::Undefined);
        value = value.toObject().value(key);
    }
    return value;
}

// A loopback port nobody listens on.
quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

QString profile(const char *name) { return qEnvironmentVariable("SRCDIR") + QStringLiteral("/sim/profiles/%1.json").arg(QLatin1String(name)); }

const QJsonValue null = QJsonValue(QJsonValue::Null);

// What a device that told nothing leaves in info.
QJsonObject nothingRead()
{
    QJsonObject o{{"complete", false}};
    for (const char *key : {"model", "version", "buildDate", "factoryNumber", "yearOfConstruction", "f4Function", "f4FunctionText",
                            "analogInputs", "flashClass", "flashChip", "exdevType", "options.ptb", "options.dsfg", "options.networked",
                            "options.master", "options.rackVariant", "options.terminalBoardLp31802", "options.batterySl790",
                            "options.rtc7301", "options.supply230V", "options.supply24V"})
        o.insert(QLatin1String(key), null);
    return o;
}

QJsonObject with(QJsonObject o, const QJsonObject &more)
{
    for (auto it = more.begin(); it != more.end(); ++it)
        o.insert(it.key(), it.value());
    return o;
}
}

class TestJsonContract : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(qEnvironmentVariable("QUILLON_CLI")).isExecutable(), "QUILLON_CLI not set");
        QVERIFY2(QFileInfo(qEnvironmentVariable("KRVSIM")).isExecutable(), "KRVSIM not set");
        QVERIFY(m_dir.isValid());
        m_image = writeFile(m_dir, QStringLiteral("fw.bin"), smallImage());
        m_hex = writeFile(m_dir, QStringLiteral("fw.hex"), toIntelHex(smallImage()));
    }

    // Every schema is one (draft 2020-12) and takes what its description promises.
    void schemasAreValid()
    {
        const QDir folder(qEnvironmentVariable("SRCDIR") + QStringLiteral("/docs/schemas"));
        const QStringList schemas = folder.entryList({QStringLiteral("*.schema.json")});
        QCOMPARE(schemas.size(), 11);
        // An empty object fits none but the shared definitions: each output names the keys it needs.
        for (const QString &file : schemas) {
            const QString name = file.chopped(QStringLiteral(".schema.json").size());
            const QString violations = m_schemas.violations(name, "{}");
            if (name == QLatin1String("common"))
                QVERIFY2(violations.isEmpty(), qPrintable(violations));
            else
                QVERIFY2(violations.contains(QLatin1String("is a required property")), qPrintable(name + ": " + violations));
        }
    }

    void output_data()
    {
        QTest::addColumn<QString>("device");     // "krv470", a profile's JSON text, "--silent", "closed", "none"
        QTest::addColumn<QStringList>("args");  // after --json; @IMAGE, @HEX, @OUT, @RECORD stand for files
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<QString>("schema");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QJsonObject>("expected");  // dotted path: value

        const QStringList berlin{"TZ=Europe/Berlin"};
        QTest::newRow("info") << "krv470" << QStringList{"info"} << QStringList() << "info" << 0
                              << QJsonObject{{"complete", true}, {"model", "KRV470"}, {"buildDate", "2008-01-15"}, {"options.ptb", true}};
        QTest::newRow("info KRV465") << "krv465" << QStringList{"info"} << QStringList() << "info" << 0
                                     << QJsonObject{{"model", "KRV465"}, {"factoryNumber", "12345"}, {"buildDate", "2007-12-10"},
                                                    {"f4Function", 6}, {"analogInputs", 0}, {"flashClass", 1}, {"flashChip", "AT29LV020"},
                                                    {"exdevType", 0}, {"options.ptb", false}, {"options.rackVariant", false}};
        // Older firmware knows neither the hardware word nor flash chip and EXDEV.
        QTest::newRow("info old firmware") << "old" << QStringList{"info"} << QStringList() << "info" << 0
                                           << QJsonObject{{"complete", true}, {"model", null}, {"buildDate", "2005-03-01"},
                                                          {"options.rtc7301", true}, {"options.rackVariant", null},
                                                          {"options.supply230V", null}, {"analogInputs", 2}, {"options.networked", null},
                                                          {"flashClass", null}, {"flashChip", null}, {"exdevType", null}};
        QTest::newRow("info silent device") << "--silent" << QStringList{"info"} << QStringList() << "info" << 1
                                            << with(nothingRead(), {{"error.message", "KRV reagiert falsch oder nicht!"}});
        // Silent from "B146" on: what came before is there, the rest null.
        QTest::newRow("info device falls silent") << R"({"silentAfterFrames": 6})" << QStringList{"info"} << QStringList() << "info" << 1
                                                  << QJsonObject{{"complete", false}, {"model", "KRV470"}, {"version", "KRV470 V3.02 a"},
                                                                 {"factoryNumber", "000012345678"}, {"yearOfConstruction", "2007"},
                                                                 {"buildDate", "2008-01-15"}, {"f4Function", null},
                                                                 {"analogInputs", null}, {"options.ptb", null}, {"flashClass", null},
                                                                 {"exdevType", null}};
        QTest::newRow("info unreachable") << "closed" << QStringList{"info"} << QStringList() << "info" << 1 << nothingRead();
        QTest::newRow("info port that does not open") << "none" << QStringList{"--port", "/nonexistent/ttyQ", "info"} << QStringList()
                                                      << "info" << 1 << nothingRead();

        QTest::newRow("time in winter") << "krv470" << QStringList{"time"} << berlin << "time" << 0
                                        << QJsonObject{{"time", "2007-12-24T18:30:00+01:00"}, {"text", "24.12.2007 18:30:00"}, {"error", null}};
        QTest::newRow("time in summer") << R"({"clock": "150708120000"})" << QStringList{"time"} << berlin << "time" << 0
                                        << QJsonObject{{"time", "2008-07-15T12:00:00+02:00"}};
        QTest::newRow("time on a PC in UTC") << "krv470" << QStringList{"time"} << QStringList{"TZ=UTC"} << "time" << 0
                                             << QJsonObject{{"time", "2007-12-24T18:30:00+00:00"}};
        // The device's digits are no date: the window shows them, the time is null.
        QTest::newRow("time no date") << R"({"clock": "991399999999"})" << QStringList{"time"} << berlin << "time" << 0
                                      << QJsonObject{{"time", null}, {"text", "99.13.2099 99:99:99"}, {"error", null}};
        QTest::newRow("time unreachable") << "closed" << QStringList{"time"} << QStringList() << "time" << 1
                                          << QJsonObject{{"time", null}, {"text", null}};
        QTest::newRow("set-time") << "krv470" << QStringList{"set-time"} << berlin << "set-time" << 0 << QJsonObject{{"error", null}};
        QTest::newRow("set-time unreachable") << "closed" << QStringList{"set-time"} << QStringList() << "set-time" << 1
                                              << QJsonObject{{"sent", null}, {"time", null}, {"text", null}};

        QTest::newRow("raw") << "krv470" << QStringList{"raw", "B004", "--crc"} << QStringList() << "raw" << 0
                             << QJsonObject{{"result", 21}, {"text", ".B004KRV470 V3.02 ab."}, {"linkFailed", false}};
        QTest::newRow("raw no answer") << "--silent" << QStringList{"raw", "B004", "--timeout", "100"} << QStringList() << "raw" << 1
                                       << QJsonObject{{"result", 0}, {"text", null}, {"hex", null}, {"linkFailed", true},
                                                      {"error.message", "Keine Antwort (Timeout nach 100 ms)"}};

        QTest::newRow("flash") << "krv470" << QStringList{"flash", "@IMAGE", "--report", "@RECORD"} << QStringList() << "flash" << 0
                               << QJsonObject{{"result", "ok"}, {"phase", 5}, {"device.before.version", "KRV470 V3.02 a"},
                                              {"device.before.buildDate", "2008-01-15"}, {"device.after", null}, {"verification", null},
                                              {"note", null}, {"error", null}};
        QTest::newRow("flash same firmware") << R"({"buildDate": "20090301"})" << QStringList{"flash", "@IMAGE", "--report", "@RECORD"}
                                             << QStringList() << "flash" << 3
                                             << QJsonObject{{"result", "refused"}, {"phase", 0}, {"device.before.buildDate", "2009-03-01"}};
        QTest::newRow("flash unreachable") << "closed" << QStringList{"flash", "@IMAGE", "--report", "@RECORD"} << QStringList() << "flash" << 1
                                           << QJsonObject{{"result", "failed"}, {"phase", 1}, {"device.before", null}};
        QTest::newRow("flash port that does not open") << "none" << QStringList{"--port", "/nonexistent/ttyQ", "flash", "@IMAGE", "--report", "@RECORD"}
                                                       << QStringList() << "flash" << 1
                                                       << QJsonObject{{"result", "failed"}, {"device.before", null}};

        QTest::newRow("convert") << "none" << QStringList{"convert", "@HEX", "@OUT"} << QStringList() << "convert" << 0
                                 << QJsonObject{{"size", 0x40000}, {"identification", "KRV470"}, {"buildDate", "2009-03-01"},
                                                {"model", "KRV470"}, {"analogInputs", 2}, {"exdevType", 0}, {"error", null}};
        QTest::newRow("convert output not written") << "none" << QStringList{"convert", "@HEX", "/proc/quillon.bin"} << QStringList()
                                                    << "convert" << 1 << QJsonObject{{"output", null}, {"buildDate", "2009-03-01"}};
        QTest::newRow("ports") << "none" << QStringList{"ports"} << QStringList() << "ports" << 0 << QJsonObject{{"error", null}};
        QTest::newRow("version") << "none" << QStringList{"version"} << QStringList() << "version" << 0
                                 << QJsonObject{{"internalName", "Quillon"}, {"langCharset", "040704E4"}};
        // The suite's update server address is a closed port.
        QTest::newRow("check-update unreachable") << "none" << QStringList{"check-update"} << QStringList() << "check-update" << 1
                                                  << QJsonObject{{"result", "unreachable"}, {"latest", null}, {"releaseDate", null},
                                                                 {"error.message", "Konnte Updatefile nicht finden!"}};
    }

    void output()
    {
        QFETCH(QString, device);
        QFETCH(QStringList, args);
        QFETCH(QStringList, env);
        QFETCH(QString, schema);
        QFETCH(int, exitCode);
        QFETCH(QJsonObject, expected);

        QTemporaryDir dir;
        const QString record = dir.filePath(QStringLiteral("record.json"));
        std::unique_ptr<KrvSimProcess> sim;
        QStringList link;
        if (device == QLatin1String("closed")) {
            link = {QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(closedPort())};
        } else if (device != QLatin1String("none")) {
            QStringList simArgs{device};
            if (device.startsWith(QLatin1Char('{')))
                simArgs = {QStringLiteral("--profile"), writeFile(dir, QStringLiteral("profile.json"), device.toUtf8())};
            else if (!device.startsWith(QLatin1String("--")))
                simArgs = {QStringLiteral("--profile"), profile(qPrintable(device))};
            sim = std::make_unique<KrvSimProcess>(simArgs);
            QVERIFY2(sim->port != 0, qPrintable(sim->firstLine));
            link = {QStringLiteral("--tcp"), sim->target()};
        }
        args.replaceInStrings(QStringLiteral("@IMAGE"), m_image);
        args.replaceInStrings(QStringLiteral("@HEX"), m_hex);
        args.replaceInStrings(QStringLiteral("@OUT"), dir.filePath(QStringLiteral("fw.out")));
        args.replaceInStrings(QStringLiteral("@RECORD"), record);

        const CliRun run = runQuillonCli(link + QStringList{QStringLiteral("--json")} + args, kRunLimitMs, env);
        QVERIFY2(run.exitCode == exitCode, qPrintable(QStringLiteral("exit %1: %2").arg(run.exitCode).arg(QString::fromUtf8(run.err))));
        QCOMPARE(run.out.count('\n'), 1);
        QVERIFY(run.out.endsWith('\n'));
        const QString violations = m_schemas.violations(schema, run.out);
        QVERIFY2(violations.isEmpty(), qPrintable(violations));

        const QJsonObject o = jsonOf(run);
        QCOMPARE(o.value("schema"), QJsonValue(1));
        // A failure keeps its German reason, the one stderr shows, and the exit code.
        const QJsonValue error = o.value("error");
        QCOMPARE(error.isNull(), exitCode == 0);
        if (exitCode != 0) {
            QCOMPARE(error.toObject().value("exitCode"), QJsonValue(exitCode));
            const QString message = error.toObject().value("message").toString();
            QVERIFY2(QString::fromUtf8(run.err).contains(message), qPrintable(message + " | " + QString::fromUtf8(run.err)));
        }
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QVERIFY2(valueAt(o, it.key()) == it.value(),
                     qPrintable(QStringLiteral("%1 is %2 in %3").arg(it.key(), QString::fromUtf8(QJsonDocument(QJsonArray{valueAt(o, it.key())}).toJson(QJsonDocument::Compact)),
                                                                       QString::fromUtf8(run.out))));

        if (args.contains(record)) {
            QCOMPARE(o.value("report").toString(), record);
            QFile file(record);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString recordViolations = m_schemas.violations(QStringLiteral("upload-record"), file.readAll());
            QVERIFY2(recordViolations.isEmpty(), qPrintable(recordViolations));
        }
    }

private:
    SchemaCheck m_schemas;
    QTemporaryDir m_dir;
    QString m_image;
    QString m_hex;
};

QTEST_MAIN(TestJsonContract)
#include "tst_jsoncontract.moc"
