// quillon-cli flash as a script runs it: real processes, real sockets. Where
// the flash content must be compared, the simulator runs in this process.
#include "tests/comport/ptypair.h"
#include "tests/support/cliprocess.h"
#include "tests/support/simpeer.h"
#include "tests/cli/smallimage.h"
#include "tests/cli/terminalrun.h"
#include "tests/support/testfiles.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>
#include <fcntl.h>
#include <unistd.h>

namespace {
const QString kSuccess = QStringLiteral("Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)");

// The small image with most of it erased: about thirty records, a few
// seconds on a serial line.
QByteArray thinImage()
{
    QByteArray bytes = smallImage();
    bytes.replace(0x0000, 0x8000, QByteArray(0x8000, char(0xFF)));
    bytes.replace(0x9100, 0x5F00, QByteArray(0x5F00, char(0xFF)));
    return bytes;
}
}

class TstFlash : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void imageArrivesByteIdentical_data();
    void imageArrivesByteIdentical();
    void preCheckEndsTheRunUnlessYes();
    void outcomes_data();
    void outcomes();
    void startLetterLostOnTheLine_data();
    void startLetterLostOnTheLine();
    void ctrlCWhileRecordsGoOut();
    void ctrlCWhileTheDeviceProgramsIsIgnored();
    void onlyFactoryData();
    void badFiles_data();
    void badFiles();
    void usageErrors_data();
    void usageErrors();
    void progressBarOnATerminal();
    void progressSaysShareAndTimeLeft();

private:
    QTemporaryDir m_dir;
    QString m_image;  // a 64 KiB image newer than the simulator's firmware
    QString m_switchClosedProfile;
};

void TstFlash::initTestCase()
{
    QVERIFY2(QFileInfo(qEnvironmentVariable("QUILLON_CLI")).isExecutable(), "QUILLON_CLI not set");
    QVERIFY2(QFileInfo(qEnvironmentVariable("KRVSIM")).isExecutable(), "KRVSIM not set");
    m_image = writeFile(m_dir, QStringLiteral("small.bin"), smallImage());
    m_switchClosedProfile = writeFile(m_dir, QStringLiteral("closed.json"), R"({"calibrationSwitch": false})");
}

void TstFlash::imageArrivesByteIdentical_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("name");
    QTest::newRow("256 KiB binary") << 0x40000 << QStringLiteral("fw.bin");
    QTest::newRow("512 KiB Intel-HEX") << 0x80000 << QStringLiteral("fw.hex");
}

void TstFlash::imageArrivesByteIdentical()
{
    QFETCH(int, size);
    QFETCH(QString, name);
    SampleImage sample;
    sample.size = size;
    const QByteArray image = sample.build();
    const QString path = writeFile(m_dir, name, name.endsWith(".hex") ? toIntelHex(image) : image);
    SimPeer sim;
    sim.device.flash.goOnDelayMs = 10;

    const CliRun run = runServing({"--tcp", QStringLiteral("127.0.0.1:%1").arg(sim.tcp.port()), "--json", "flash", path,
                                   "--fabnr", "4711", "--baujahr", "2009", "--f4", "5"});
    QCOMPARE(run.exitCode, 0);
    const QJsonObject o = jsonOf(run);
    QCOMPARE(o.value("result").toString(), QStringLiteral("ok"));
    QCOMPARE(o.value("phase").toInt(), 5);
    QCOMPARE(o.value("message").toString(), kSuccess);
    const QJsonObject counters = o.value("counters").toObject();
    QCOMPARE(counters.value("repeats").toInt(-1), 0);
    QCOMPARE(counters.value("data").toInt(), nonBlankBlocks(image));
    QCOMPARE(counters.value("address").toInt(), 4);  // the sample's four runs of data

    const FlashSide &flash = sim.device.flash;
    QVERIFY2(flash.protocolErrors.isEmpty(), qPrintable(flash.protocolErrors.join('\n')));
    QCOMPARE(flash.flash.left(size - 32), image.left(size - 32));
    // The overrides went through the panel into the factory data.
    const QByteArray block = flash.flash.mid(size - 32, 32);
    QCOMPARE(block.left(18), QByteArray("4711        \0" "2009\0", 18));
    QCOMPARE(block.at(19), char(5));
    QCOMPARE(block.right(2), image.right(2));  // EXDEV type and analog inputs written back
    QVERIFY(flash.flash.mid(size) == QByteArray(FlashSide::FlashSize - size, char(0xFF)));
    // No terminal: status lines, no bar.
    QVERIFY(run.err.contains("Daten ans KRV senden"));
    QVERIFY(!run.err.contains("Daten ["));
}

void TstFlash::preCheckEndsTheRunUnlessYes()
{
    // The simulator's firmware has the image's date: "the versions are equal".
    const QString same = writeFile(m_dir, QStringLiteral("same.bin"), smallImage(20080115));
    KrvSimProcess sim({});
    const QString question = QStringLiteral("Die FW-Versionen sind gleich!\nUpload sollte beendet werden!!\n\nUpload beenden?");

    const CliRun refused = runQuillonCli({"--tcp", sim.target(), "--json", "flash", same});
    QCOMPARE(refused.exitCode, 3);
    // The exact shape, key order included; only the duration varies.
    const QString shape = QString::fromUtf8(refused.out).replace(QRegularExpression(QStringLiteral("\"durationMs\":\\d+")), QStringLiteral("\"durationMs\":D"));
    QCOMPARE(shape, QString::fromUtf8(R"({"schema":1,"result":"refused","phase":0,"phaseName":"nach einer Vorprüfung beendet",)"
                                      R"("message":"Die FW-Versionen sind gleich!","counters":{"repeats":0,"address":0,"data":0},"durationMs":D,)"
                                      R"("note":null,"device":{"before":{"version":"KRV470 V3.02 a","buildDate":"2008-01-15"},"after":null},)"
                                      R"("verification":null,"report":null,)"
                                      R"("error":{"message":"Die FW-Versionen sind gleich! Weiter trotzdem mit --yes.","exitCode":3}})" "\n"));
    QVERIFY(QString::fromUtf8(refused.err).contains(question + " -> Ja"));
    QVERIFY(!refused.err.contains("Zustand Eichschalter"));

    const CliRun goOn = runQuillonCli({"--tcp", sim.target(), "--json", "flash", same, "--yes"});
    QCOMPARE(goOn.exitCode, 0);
    QVERIFY(QString::fromUtf8(goOn.err).contains(question + " -> Nein"));
    QCOMPARE(jsonOf(goOn).value("result").toString(), QStringLiteral("ok"));
}

void TstFlash::outcomes_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("phase");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("repeats");
    QTest::newRow("switch closed") << QStringList{"--profile", m_switchClosedProfile} << 4 << "switch-closed" << 2
                                   << "Upload beendet: Eichschalter ist zu!" << 0;
    QTest::newRow("end record answered with ACK") << QStringList{"--end-ack"} << 1 << "failed" << 4
                                                  << "Upload beendet: KRV reagiert nicht/falsch! PS: 4" << 0;
    QTest::newRow("garbage reply") << QStringList{"--garbage", "3"} << 1 << "failed" << 4
                                   << "Upload beendet: KRV reagiert nicht/falsch! PS: 4" << 0;
    QTest::newRow("NAK repeated") << QStringList{"--nak", "2"} << 0 << "ok" << 5 << kSuccess << 1;
}

void TstFlash::outcomes()
{
    QFETCH(QStringList, simArgs);
    QFETCH(int, exitCode);
    QFETCH(QString, result);
    QFETCH(int, phase);
    QFETCH(QString, message);
    QFETCH(int, repeats);
    KrvSimProcess sim(simArgs);

    const CliRun run = runQuillonCli({"--tcp", sim.target(), "--json", "flash", m_image});
    QCOMPARE(run.exitCode, exitCode);
    const QJsonObject o = jsonOf(run);
    QCOMPARE(o.value("result").toString(), result);
    QCOMPARE(o.value("phase").toInt(), phase);
    QCOMPARE(o.value("message").toString(), message);
    QCOMPARE(o.value("counters").toObject().value("repeats").toInt(-1), repeats);
    QVERIFY(QString::fromUtf8(run.err).contains(message));  // the message box
}

void TstFlash::startLetterLostOnTheLine_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QString>("linkOption");
    QTest::newRow("tcp") << QStringList{} << QStringLiteral("--tcp");
    // The letters arrive after the purge that follows the end record's write.
    QTest::newRow("serial line") << QStringList{"--pty"} << QStringLiteral("--port");
}

void TstFlash::startLetterLostOnTheLine()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QString, linkOption);
    const QByteArray image = thinImage();
    const QString imagePath = writeFile(m_dir, QStringLiteral("lostf.bin"), image);
    const QString flashOut = m_dir.filePath(QStringLiteral("lostf-%1.flash").arg(QTest::currentDataTag()));
    const QString recordPath = m_dir.filePath(QStringLiteral("lostf-%1.json").arg(QTest::currentDataTag()));
    KrvSimProcess sim(simArgs + QStringList{"--lose-f", "--flash-out", flashOut});
    const QString target = linkOption == "--tcp" ? sim.target() : sim.pty();
    QVERIFY2(linkOption == "--tcp" ? sim.port != 0 : !target.isEmpty(), qPrintable(sim.firstLine));

    const CliRun run = runQuillonCli({linkOption, target, "--json", "flash", imagePath, "--report", recordPath});
    QCOMPARE(run.exitCode, 0);
    const QJsonObject o = jsonOf(run);
    QCOMPARE(o.value("result").toString(), QStringLiteral("ok"));
    QCOMPARE(o.value("message").toString(), kSuccess);
    QVERIFY(QString::fromUtf8(run.err).contains(kSuccess));  // the message box
    const QString note = o.value("note").toString();
    QVERIFY2(note.contains("\"F\"") && note.contains("nicht angekommen"), qPrintable(note));
    QVERIFY2(QString::fromUtf8(run.err).contains("Hinweis: " + note), run.err.constData());
    QFile recordFile(recordPath);
    QVERIFY(recordFile.open(QIODevice::ReadOnly));
    const QJsonObject record = QJsonDocument::fromJson(recordFile.readAll()).object();
    QCOMPARE(record.value("note").toString(), note);

    // The device burnt the image as sent: the file with the factory data in its information block.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(flashOut), 30000);
    QFile flashFile(flashOut);
    QVERIFY(flashFile.open(QIODevice::ReadOnly));
    const QByteArray flash = flashFile.readAll();
    const QJsonObject sent = record.value("imageSent").toObject();
    QCOMPARE(sent.value("size").toInt(), image.size());
    QCOMPARE(QString::fromLatin1(QCryptographicHash::hash(flash.left(image.size()), QCryptographicHash::Sha256).toHex()),
             sent.value("sha256").toString());
    QCOMPARE(flash.left(image.size() - 32), image.left(image.size() - 32));
    QVERIFY(flash.mid(image.size()) == QByteArray(FlashSide::FlashSize - image.size(), char(0xFF)));
}

void TstFlash::ctrlCWhileRecordsGoOut()
{
    KrvSimProcess sim({"--silent-from", "4"});
    QProcess cli;
    cli.setProcessEnvironment(withRealLimits());
    cli.start(qEnvironmentVariable("QUILLON_CLI"), {"--tcp", sim.target(), "--json", "flash", m_image});
    // Record 4 (the third data record) is never answered: the wait for it
    // (20 s) runs, or is about to; the interrupt is taken in the wait.
    QByteArray err;
    QVERIFY2(waitForStderr(cli, err, "Wdh: 0 Adr: 1 Dat: 2"), err.constData());
    const qint64 ms = interruptAndWait(cli);
    QVERIFY2(ms >= 0, "no end within 10 s of the interrupt");
    QCOMPARE(cli.exitCode(), 130);
    const QJsonObject o = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    QCOMPARE(o.value("result").toString(), QStringLiteral("cancelled"));
    QCOMPARE(o.value("phase").toInt(), 4);
    QCOMPARE(o.value("message").toString(), QStringLiteral("Abbruch durch den kundigen Benutzer!  ;-)"));
    QCOMPARE(o.value("counters").toObject().value("data").toInt(), 3);
}

void TstFlash::ctrlCWhileTheDeviceProgramsIsIgnored()
{
    KrvSimProcess sim({"--letter-interval", "10"});
    QProcess cli;
    cli.start(qEnvironmentVariable("QUILLON_CLI"), {"--tcp", sim.target(), "--json", "flash", m_image});
    QByteArray err;
    QVERIFY2(waitForStderr(cli, err, "KRV programmiert FLASH!"), err.constData());
    QCOMPARE(::kill(pid_t(cli.processId()), SIGINT), 0);
    QVERIFY(cli.waitForFinished(15000));
    err += cli.readAllStandardError();
    QCOMPARE(cli.exitCode(), 0);
    QCOMPARE(QJsonDocument::fromJson(cli.readAllStandardOutput()).object().value("result").toString(), QStringLiteral("ok"));
    QVERIFY(!err.contains("Abbruch"));
}

void TstFlash::onlyFactoryData()
{
    SampleImage sample;  // 512 KiB, firmware new enough
    const QString path = writeFile(m_dir, QStringLiteral("full.bin"), sample.build());
    {
        KrvSimProcess sim({});
        const CliRun run = runQuillonCli({"--tcp", sim.target(), "--json", "flash", path, "--only-fabdata"});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject counters = jsonOf(run).value("counters").toObject();
        QCOMPARE(counters.value("address").toInt(), 1);
        QCOMPARE(counters.value("data").toInt(), 1);
    }
    {
        // A device whose firmware cannot take the factory data alone: the
        // window would not let the box be ticked.
        KrvSimProcess sim({"--profile", qEnvironmentVariable("SRCDIR") + "/sim/profiles/old.json"});
        const CliRun run = runQuillonCli({"--tcp", sim.target(), "--json", "flash", path, "--only-fabdata"});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(jsonOf(run).value("result").toString(), QStringLiteral("failed"));
        QVERIFY(!run.err.contains("Zustand Eichschalter"));
    }
}

void TstFlash::badFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("json");  // the upload itself refused the image
    QTest::newRow("missing") << "missing.bin" << QByteArray() << false;
    QTest::newRow("HEX checksum wrong") << "bad.hex" << QByteArray(":0400000001020304F1\r\n:00000001FF\r\n") << false;
    QTest::newRow("too small for a firmware") << "tiny.bin" << QByteArray(0x100, 'x') << true;
    // Of firmware size, but no firmware: the device kind would be one bit of chance.
    QByteArray random(0x40000, '\0');
    QRandomGenerator(19).fillRange(reinterpret_cast<quint32 *>(random.data()), random.size() / 4);
    QTest::newRow("random bytes") << "random.bin" << random << true;
    QByteArray zeroDate = smallImage();
    zeroDate.replace(0xFF07, 8, "00000000");
    QTest::newRow("zero date") << "zerodate.bin" << zeroDate << true;
    QByteArray noIdentification = smallImage();
    noIdentification[0xFF00] = '\0';
    QTest::newRow("empty identification") << "noid.bin" << noIdentification << true;
    // A firmware in all else, but larger than any corrector's flash.
    for (const int size : {0x80001, 0xC0000, 0x100000}) {
        SampleImage oversized;
        oversized.size = size;
        QTest::addRow("%d bytes", size) << "large.bin" << oversized.build() << true;
    }
}

void TstFlash::badFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, json);
    const QString path = content.isEmpty() ? m_dir.filePath(name) : writeFile(m_dir, name, content);
    SimPeer sim;

    // --force takes a real image of the other kind, never a file that is no firmware.
    const CliRun run = runServing({"--tcp", QStringLiteral("127.0.0.1:%1").arg(sim.tcp.port()), "--json", "flash", path, "--force"});
    QCOMPARE(run.exitCode, 2);
    QVERIFY(sim.device.frames.isEmpty());  // the device was not touched
    QVERIFY(!run.err.contains("Wecke KRV auf!"));
    QVERIFY(!run.err.contains("--force") && !run.out.contains("--force"));
    if (!json) {
        QVERIFY(run.out.isEmpty());
        return;
    }
    const QJsonObject o = jsonOf(run);
    QCOMPARE(o.value("result").toString(), QStringLiteral("failed"));
    QCOMPARE(o.value("phase").toInt(-1), 0);
    QVERIFY(o.value("message").toString().startsWith("Upload nicht möglich"));
}

void TstFlash::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no file") << QStringList{};
    QTest::newRow("two files") << QStringList{m_image, m_image};
    QTest::newRow("unknown option") << QStringList{m_image, "--forse"};
    QTest::newRow("F4 index past the list") << QStringList{m_image, "--f4", "7"};
    QTest::newRow("F4 index negative") << QStringList{m_image, "--f4", "-1"};
    QTest::newRow("F4 not a number") << QStringList{m_image, "--f4", "S"};
    QTest::newRow("factory number of 13") << QStringList{m_image, "--fabnr", "1234567890123"};
    QTest::newRow("factory number not ASCII") << QStringList{m_image, "--fabnr", "47ä1"};
    QTest::newRow("year of 5") << QStringList{m_image, "--baujahr", "20091"};
    QTest::newRow("year without value") << QStringList{m_image, "--baujahr"};
}

void TstFlash::usageErrors()
{
    QFETCH(QStringList, args);
    KrvSimProcess sim({});
    const CliRun run = runQuillonCli(QStringList{"--tcp", sim.target(), "--json", "flash"} + args);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY(run.err.contains("flash: ") || run.err.contains("quillon-cli: "));
    QVERIFY(!run.err.contains("Wecke KRV auf!"));
}

void TstFlash::progressBarOnATerminal()
{
    PtyPair terminal;
    QVERIFY(terminal.isValid());
    KrvSimProcess sim({});
    const CliRun run = runServing({"--tcp", sim.target(), "flash", m_image}, &terminal);
    QCOMPARE(run.exitCode, 0);

    const QByteArray &screen = run.err;
    const QByteArray blocks = QByteArray::number(nonBlankBlocks(smallImage()));
    QVERIFY2(QRegularExpression(QStringLiteral("\rDaten \\[#{20,40}\\] 100 %  %1/%1  ").arg(blocks)).match(QString::fromUtf8(screen)).hasMatch(),
             screen.right(2000).constData());
    QVERIFY(screen.contains("\rProgrammierung: E "));
    QVERIFY(screen.contains("\x1b[K\r\n" + kSuccess.toUtf8()));  // the counts end their line
    QVERIFY(screen.contains("\n" + kSuccess.toUtf8()));
    // The bar replaces the status line of every record.
    QVERIFY(!screen.contains("Wdh: 0 Adr: 1 Dat: 5"));
}

// On a line as slow as the device's (19200 bit/s after the switch) the bar
// says how far the records are and how long the rest will take at the pace
// of the records so far.
void TstFlash::progressSaysShareAndTimeLeft()
{
    PtyPair terminal;
    QVERIFY(terminal.isValid());
    KrvSimProcess sim({QStringLiteral("--pty"), QStringLiteral("--slow-line")});
    QVERIFY2(!sim.pty().isEmpty(), qPrintable(sim.firstLine));
    const QString image = writeFile(m_dir, QStringLiteral("slow.bin"), thinImage());
    // A healthy run on a slow line: on a loaded machine its replies may come
    // later than the short limits allow, never later than the real ones.
    const CliRun run = runServing({"--port", sim.pty(), "flash", image}, &terminal, kRunLimitMs, withRealLimits());
    QCOMPARE(run.exitCode, 0);

    struct Frame {
        int percent, sent, total, elapsed, remaining;  // seconds; remaining -1 before the first record
    };
    QList<Frame> frames;
    static const QRegularExpression frame(QStringLiteral("\rDaten \\[[#.]+\\] +(\\d+) %  (\\d+)/(\\d+)  (\\d+):(\\d\\d), noch (?:(\\d+):(\\d\\d)|-:--)"));
    for (const QRegularExpressionMatch &m : frame.globalMatch(QString::fromUtf8(run.err)))
        frames.append({m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                       m.captured(4).toInt() * 60 + m.captured(5).toInt(),
                       m.captured(6).isEmpty() ? -1 : m.captured(6).toInt() * 60 + m.captured(7).toInt()});
    QVERIFY2(frames.size() >= 5, run.err.right(2000).constData());
    for (const Frame &f : frames) {
        QCOMPARE(f.percent, f.sent * 100 / f.total);
        QVERIFY(f.remaining >= 0 || f.sent == 0);
    }
    const Frame &last = frames.constLast();
    QCOMPARE(last.sent, last.total);
    QCOMPARE(last.remaining, 0);
    QVERIFY2(last.elapsed >= 3, qPrintable(QString::number(last.elapsed)));  // the slow line is slow
    // Half-way, the time so far and the time still to go add up to the whole.
    const auto half = std::find_if(frames.begin(), frames.end(), [](const Frame &f) { return f.percent >= 50; });
    QVERIFY(half != frames.end());
    QVERIFY2(qAbs(half->elapsed + half->remaining - last.elapsed) <= qMax(2, last.elapsed / 4),
             qPrintable(QStringLiteral("%1 + %2 against %3").arg(half->elapsed).arg(half->remaining).arg(last.elapsed)));
}

QTEST_GUILESS_MAIN(TstFlash)
#include "tst_flash.moc"
