// flash --verify and --report as a script runs them: real processes, the
// simulator modelling the device's restart. Where a record must be compared
// with what the device received, the simulator runs in this process.
#include "cli/manpage.h"
#include "sim/sampleimage.h"
#include "tests/cli/smallimage.h"
#include "tests/cli/terminalrun.h"
#include "tests/support/cliprocess.h"
#include "tests/support/schemacheck.h"
#include "tests/support/simpeer.h"
#include "tests/support/testfiles.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString kSuccess = QStringLiteral("Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)");

QString sha256(const QByteArray &bytes) { return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()); }

QJsonObject readRecord(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

}

class TstVerify : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(qEnvironmentVariable("QUILLON_CLI")).isExecutable(), "QUILLON_CLI not set");
        QVERIFY2(QFileInfo(qEnvironmentVariable("KRVSIM")).isExecutable(), "KRVSIM not set");
        m_image = writeFile(m_dir, QStringLiteral("fw.bin"), smallImage());
    }

    void verifiedOrMismatch_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("dateAfter");
        QTest::addColumn<QString>("line");  // on stdout in text mode
        QTest::newRow("new firmware") << QStringList{"--restart", "600"} << 0 << "ok" << "verified" << "2009-03-01"
                                      << "Verifiziert: Das KRV meldet \"KRV470\", Build 01.03.2009; das ist die Firmware der Datei.";
        QTest::newRow("old firmware") << QStringList{"--restart", "600", "--restart-old"} << 5 << "mismatch" << "mismatch" << "2008-01-15"
                                      << "Prüfung fehlgeschlagen: Das KRV meldet nach dem Neustart eine andere Firmware: "
                                         "Build-Datum im KRV 15.01.2008, in der Datei 01.03.2009.";
    }
    void verifiedOrMismatch()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(int, exitCode);
        QFETCH(QString, result);
        QFETCH(QString, status);
        QFETCH(QString, dateAfter);
        QFETCH(QString, line);
        {
            KrvSimProcess sim(simArgs);
            const CliRun run = runQuillonCli({"--tcp", sim.target(), "--json", "flash", m_image, "--verify"}, kRunLimitMs);
            QCOMPARE(run.exitCode, exitCode);
            const QString violations = schemaViolations(QStringLiteral("flash"), run.out);
            QVERIFY2(violations.isEmpty(), qPrintable(violations));
            const QJsonObject o = jsonOf(run);
            QCOMPARE(o.value("result").toString(), result);
            QCOMPARE(o.value("phase").toInt(), 5);
            QCOMPARE(o.value("message").toString(), kSuccess);
            QCOMPARE(o.value("verification").toObject().value("status").toString(), status);
            QCOMPARE(o.value("verification").toObject().value("text").toString(), line);
            const QJsonObject device = o.value("device").toObject();
            QCOMPARE(device.value("before").toObject().value("version").toString(), QStringLiteral("KRV470 V3.02 a"));
            QCOMPARE(device.value("before").toObject().value("buildDate").toString(), QStringLiteral("2008-01-15"));
            QCOMPARE(device.value("after").toObject().value("buildDate").toString(), dateAfter);
            QVERIFY(o.value("durationMs").toInteger() >= 600);
            QCOMPARE(o.value("error").isNull(), exitCode == 0);
        }
        // The same in words.
        KrvSimProcess sim(simArgs);
        const CliRun text = runQuillonCli({"--tcp", sim.target(), "flash", m_image, "--verify"}, kRunLimitMs);
        QCOMPARE(text.exitCode, exitCode);
        QVERIFY2(QString::fromUtf8(text.out).split('\n').contains(line), text.out.constData());
    }

    // The device shows 14 characters of its version text: a longer
    // identification is compared as far as the device's text reaches.
    void identificationAsTheDeviceShowsIt_data()
    {
        QTest::addColumn<QByteArray>("identification");  // at 0xFF00, up to its 0x00
        QTest::addColumn<QString>("shown");              // the device's version text after the restart
        QTest::newRow("longer than the device shows") << QByteArray("KRV470 01032009 V3.03 abc") << "KRV470 0103200";
        QTest::newRow("one longer than the device shows") << QByteArray("KRV470 01032009") << "KRV470 0103200";
        QTest::newRow("DSfG") << QByteArray("DSfG") << "DSfG";
    }
    void identificationAsTheDeviceShowsIt()
    {
        QFETCH(QByteArray, identification);
        QFETCH(QString, shown);
        QByteArray image = smallImage();
        // A long identification holds the firmware date at 0xFF07.
        image.replace(0xFF00, identification.size() + 1, identification + '\0');
        const QString file = writeFile(m_dir, QStringLiteral("id.bin"), image);
        KrvSimProcess sim({"--restart", "300"});
        const CliRun run = runQuillonCli({"--tcp", sim.target(), "--json", "flash", file, "--verify"}, kRunLimitMs);
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QJsonObject o = jsonOf(run);
        QCOMPARE(o.value("verification").toObject().value("status").toString(), QStringLiteral("verified"));
        QCOMPARE(o.value("device").toObject().value("after").toObject().value("version").toString(), shown);
    }

    // Exit code 5 and the options are in --help, flash --help and the man page.
    void documented()
    {
        const CliRun help = runQuillonCli({"--help"});
        QVERIFY2(help.out.simplified().contains("5 flash --verify: das KRV meldet nach dem Neustart eine andere Firmware"), help.out.constData());
        const CliRun flashHelp = runQuillonCli({"flash", "--help"});
        QVERIFY(flashHelp.out.contains("--verify"));
        QVERIFY(flashHelp.out.contains("--report DATEI.json"));
        QString page;
        QTextStream stream(&page);
        printManPage(stream, QStringLiteral("0"), QStringLiteral("2026-12-08"), QStringLiteral("/usr/share/doc/quillon/help"));
        QVERIFY(page.contains(QStringLiteral(".TP\n5\nflash \\-\\-verify: ")));
        QVERIFY(page.contains(QStringLiteral("\\fB\\-\\-report\\fR \\fIDATEI.json\\fR")));
    }

    void usageErrorsTouchNoDevice_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("verify without firmware") << QStringList{"--verify", "--only-fabdata"} << "--verify prüft die neue Firmware";
        QTest::newRow("report into a missing folder") << QStringList{"--report", "/nonexistent/quillon/r.json"}
                                                      << "--report: Ordner /nonexistent/quillon gibt es nicht";
        QTest::newRow("report onto a folder") << QStringList{"--report", "/tmp"} << "--report braucht einen Dateinamen";
    }
    void usageErrorsTouchNoDevice()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        KrvSimProcess sim({});
        const CliRun run = runQuillonCli(QStringList{"--tcp", sim.target(), "flash", m_image} + args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
        QVERIFY(!run.err.contains("Wecke KRV"));
    }

    // The record of a verified run, field by field against the run and
    // against what the device received.
    void recordOfAVerifiedRun()
    {
        SimPeer sim;
        sim.device.flash.goOnDelayMs = 10;
        sim.device.flash.restart = {true, 500, false, false};
        const QString record = m_dir.filePath(QStringLiteral("run.json"));
        const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
        const CliRun run = runServing({"--tcp", QStringLiteral("127.0.0.1:%1").arg(sim.tcp.port()), "--json", "flash", m_image,
                                       "--fabnr", "4711", "--baujahr", "2009", "--f4", "5", "--verify", "--report", record}, nullptr, 40000);
        const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(1);
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QJsonObject json = jsonOf(run);
        QCOMPARE(json.value("report").toString(), record);
        const QJsonObject r = readRecord(record);
        QVERIFY2(!r.isEmpty(), qPrintable(record));
        const QString violations = schemaViolations(QStringLiteral("upload-record"), fileBytes(record));
        QVERIFY2(violations.isEmpty(), qPrintable(violations));
        // No temporary file left beside it.
        QCOMPARE(QDir(m_dir.path()).entryList({"run.json*"}, QDir::Files), QStringList{"run.json"});

        QCOMPARE(r.value("program").toObject().value("name").toString(), QStringLiteral("quillon-cli"));
        QVERIFY(!r.value("program").toObject().value("version").toString().isEmpty());
        const QDateTime startedUtc = QDateTime::fromString(r.value("started").toObject().value("utc").toString(), Qt::ISODateWithMs);
        const QDateTime startedLocal = QDateTime::fromString(r.value("started").toObject().value("local").toString(), Qt::ISODateWithMs);
        const QDateTime endedUtc = QDateTime::fromString(r.value("ended").toObject().value("utc").toString(), Qt::ISODateWithMs);
        QVERIFY(r.value("started").toObject().value("utc").toString().endsWith('Z'));
        QVERIFY2(startedUtc >= before && startedUtc <= endedUtc && endedUtc <= after, qPrintable(startedUtc.toString(Qt::ISODateWithMs)));
        QCOMPARE(startedLocal, startedUtc);  // the same moment, in local time
        QCOMPARE(r.value("durationMs").toInteger(), json.value("durationMs").toInteger());
        QVERIFY(r.value("durationMs").toInteger() <= startedUtc.msecsTo(endedUtc) + 1);

        QCOMPARE(r.value("link").toObject(), (QJsonObject{{"kind", "tcp"}, {"host", "127.0.0.1"}, {"port", sim.tcp.port()}}));
        QCOMPARE(r.value("deviceBefore").toObject(), (QJsonObject{{"kind", "KRV470"},
                                                                  {"version", "KRV470 V3.02 a"},
                                                                  {"buildDate", 20080115},
                                                                  {"fabNr", "000012345678"},
                                                                  {"baujahr", "2007"},
                                                                  {"flashClass", 2}}));
        const QByteArray fileBytesOnDisk = fileBytes(m_image);
        const QJsonObject file = r.value("file").toObject();
        QCOMPARE(file.value("name").toString(), m_image);
        QCOMPARE(file.value("size").toInteger(), fileBytesOnDisk.size());
        QCOMPARE(file.value("sha256").toString(), sha256(fileBytesOnDisk));
        QCOMPARE(file.value("identification").toString(), QStringLiteral("KRV470"));
        QCOMPARE(file.value("firmwareDate").toInt(), 20090301);
        QCOMPARE(file.value("deviceKind").toInt(), 1);

        // The image as the device holds it now: the file with the factory data.
        const int size = int(fileBytesOnDisk.size());
        const QByteArray received = sim.device.flash.flash.left(size);
        QCOMPARE(received.left(size - 32), fileBytesOnDisk.left(size - 32));
        const QJsonObject sent = r.value("imageSent").toObject();
        QCOMPARE(sent.value("sha256").toString(), sha256(received));
        QCOMPARE(sent.value("size").toInt(), size);
        QCOMPARE(sent.value("onlyFabdata").toBool(true), false);
        QCOMPARE(sent.value("sent").toBool(), true);
        const QJsonObject fab = r.value("factoryData").toObject();
        QCOMPARE(fab.value("bytes").toString(), QString::fromLatin1(received.right(32).toHex()));
        QCOMPARE(fab.value("fabNr").toString(), QStringLiteral("4711"));
        QCOMPARE(fab.value("baujahr").toString(), QStringLiteral("2009"));
        QCOMPARE(fab.value("f4").toInt(), 5);
        QVERIFY(!fab.value("f4Text").toString().isEmpty());
        QCOMPARE(fab.value("options").toObject().size(), 12);
        // The sample was read with PTB enabled; its byte 20 says so.
        QCOMPARE(fab.value("options").toObject().value("cbPTB").toBool(), received.at(size - 32 + 20) == 1);

        QCOMPARE(r.value("preCheck").toObject(),
                 (QJsonObject{{"code", 1}, {"message", QJsonValue()}, {"question", QJsonValue()}, {"answer", QJsonValue()}}));
        QCOMPARE(r.value("result").toString(), QStringLiteral("ok"));
        QCOMPARE(r.value("UploadPhase").toInt(), 5);
        QCOMPARE(r.value("message").toString(), kSuccess);
        QCOMPARE(r.value("counters").toObject(), json.value("counters").toObject());
        const QJsonObject v = r.value("verification").toObject();
        QCOMPARE(v.value("status").toString(), QStringLiteral("verified"));
        QCOMPARE(v.value("version").toString(), QStringLiteral("KRV470"));
        QCOMPARE(v.value("buildDate").toInt(), 20090301);
        QCOMPARE(v.value("differences").toArray().size(), 0);
    }

    // A device with a read password: the run goes through, the check after
    // the restart too, and the password is in neither the record nor the result.
    void recordWithoutThePassword()
    {
        DeviceProfile profile = DeviceProfile::fromJson({});
        profile.password = "Kx7gehm";
        SimPeer sim(profile);
        sim.device.flash.goOnDelayMs = 10;
        sim.device.flash.restart = {true, 300, false, false};
        const QString record = m_dir.filePath(QStringLiteral("password.json"));
        const CliRun run = runServing({"--tcp", QStringLiteral("127.0.0.1:%1").arg(sim.tcp.port()), "--password", "Kx7gehm", "--json",
                                       "flash", m_image, "--verify", "--report", record}, nullptr, 40000);
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QByteArray bytes = fileBytes(record);
        QCOMPARE(QJsonDocument::fromJson(bytes).object().value("verification").toObject().value("status").toString(),
                 QStringLiteral("verified"));
        QVERIFY(!bytes.contains("Kx7gehm"));
        QVERIFY(!bytes.toLower().contains("password") && !bytes.toLower().contains("passwort"));
        QVERIFY(!run.out.contains("Kx7gehm"));
    }

    // The pre-check question and its answer are recorded; a refused run sent nothing.
    void recordOfThePreCheck_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("result");
        QTest::newRow("ended") << false << "Ja" << "refused";
        QTest::newRow("went on") << true << "Nein" << "ok";
    }
    void recordOfThePreCheck()
    {
        QFETCH(bool, yes);
        QFETCH(QString, answer);
        QFETCH(QString, result);
        const QString same = writeFile(m_dir, QStringLiteral("same.bin"), smallImage(20080115));
        const QString record = m_dir.filePath(QStringLiteral("check-%1.json").arg(answer));
        KrvSimProcess sim({});
        const CliRun run = runQuillonCli(QStringList{"--tcp", sim.target(), "flash", same, "--report", record} + (yes ? QStringList{"--yes"} : QStringList{}));
        QCOMPARE(run.exitCode, yes ? 0 : 3);
        const QJsonObject r = readRecord(record);
        QCOMPARE(r.value("preCheck").toObject(),
                 (QJsonObject{{"code", -5},
                              {"message", "Die FW-Versionen sind gleich!"},
                              {"question", "Die FW-Versionen sind gleich!\nUpload sollte beendet werden!!\n\nUpload beenden?"},
                              {"answer", answer}}));
        QCOMPARE(r.value("result").toString(), result);
        QCOMPARE(r.value("imageSent").isNull(), !yes);
        QCOMPARE(r.value("factoryData").isNull(), !yes);
        QVERIFY(r.value("verification").isNull());
    }

    // A record that cannot be written fails the run, said on stderr.
    void recordThatCannotBeWritten()
    {
        if (::geteuid() != 0)
            QSKIP("needs a folder that looks writable but is not: /proc as root");
        KrvSimProcess sim({});
        const CliRun run = runQuillonCli({"--tcp", sim.target(), "--json", "flash", m_image, "--report", "/proc/quillon.json"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(QString::fromUtf8(run.err).contains("flash: Upload-Protokoll nicht geschrieben: /proc/quillon.json: "), run.err.constData());
        const QJsonObject o = jsonOf(run);
        QCOMPARE(o.value("result").toString(), QStringLiteral("failed"));
        QCOMPARE(o.value("message").toString(), kSuccess);  // the flash itself went well
        QVERIFY(o.value("error").toObject().value("message").toString().startsWith("Upload-Protokoll nicht geschrieben"));
        QVERIFY(o.value("report").isNull());
    }

private:
    QTemporaryDir m_dir;
    QString m_image;
};

QTEST_MAIN(TstVerify)
#include "tst_verify.moc"
