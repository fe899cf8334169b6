// The files a technician hands to quillon-cli come to no harm: the record
// of --report goes only into a regular file, never over the firmware file
// or a device node, and a firmware or password file that is no regular file
// (a FIFO would hold the open for ever) is refused with its name and the
// reason. Real processes; the simulator runs in this process, so a test
// sees every frame the device received.
#include "tests/cli/smallimage.h"
#include "tests/cli/terminalrun.h"
#include "tests/support/simpeer.h"
#include "tests/support/nonregularfiles.h"
#include "tests/support/testfiles.h"

#include <QTemporaryDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <optional>

#include <unistd.h>

namespace {
// Where --report points.
enum class Report { Firmware, LinkToFirmware, HardLinkToFirmware, KeptFile, Fifo, LinkToFifo, Device, LinkToDevice };

std::optional<NonRegular> nonRegularOf(Report report)
{
    switch (report) {
    case Report::Fifo: return NonRegular::Fifo;
    case Report::LinkToFifo: return NonRegular::LinkToFifo;
    case Report::Device: return NonRegular::Device;
    case Report::LinkToDevice: return NonRegular::LinkToDevice;
    default: return std::nullopt;
    }
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString kFifo = QStringLiteral("ist eine FIFO (benannte Pipe), keine normale Datei");
const QString kDevice = QStringLiteral("ist eine Gerätedatei, keine normale Datei");
}  // namespace

Q_DECLARE_METATYPE(Report)
Q_DECLARE_METATYPE(NonRegular)

class TstHandedFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(qEnvironmentVariable("QUILLON_CLI")).isExecutable(), "QUILLON_CLI not set");
    }

    void recordGoesOnlyIntoARegularFile_data()
    {
        QTest::addColumn<Report>("report");
        QTest::addColumn<QString>("reason");
        const QString firmware = QStringLiteral("ist die Firmware-Datei; sie würde überschrieben");
        QTest::newRow("the firmware file") << Report::Firmware << firmware;
        QTest::newRow("a link to the firmware file") << Report::LinkToFirmware << firmware;
        QTest::newRow("a hard link to the firmware file") << Report::HardLinkToFirmware << firmware;
        QTest::newRow("a file the user keeps") << Report::KeptFile
                                               << QStringLiteral("gibt es schon und ist kein Upload-Protokoll; es würde überschrieben");
        QTest::newRow("FIFO") << Report::Fifo << kFifo;
        QTest::newRow("link to a FIFO") << Report::LinkToFifo << kFifo;
        QTest::newRow("device node") << Report::Device << kDevice;
        QTest::newRow("link to a device node") << Report::LinkToDevice << kDevice;
    }

    void recordGoesOnlyIntoARegularFile()
    {
        QFETCH(Report, report);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QByteArray image = smallImage();
        const QString firmware = writeFile(dir, QStringLiteral("fw.bin"), image);
        QString path = dir.filePath(QStringLiteral("record.json"));
        if (report == Report::Firmware)
            path = firmware;
        else if (report == Report::LinkToFirmware)
            QVERIFY(QFile::link(firmware, path));
        else if (report == Report::HardLinkToFirmware)
            QCOMPARE(::link(QFile::encodeName(firmware).constData(), QFile::encodeName(path).constData()), 0);
        else if (report == Report::KeptFile)
            writeFile(dir, QStringLiteral("record.json"), "geheim\n");
        else if (!makeNonRegular(*nonRegularOf(report), path))
            QSKIP("device nodes need root");
        const char before = typeAt(path);
        SimPeer sim;

        const CliRun run = runServing({"--tcp", QStringLiteral("127.0.0.1:%1").arg(sim.tcp.port()), "flash", firmware, "--report", path});

        QCOMPARE(run.exitCode, 2);
        QCOMPARE(QString::fromUtf8(run.err).trimmed(), QStringLiteral("flash: --report: %1 %2").arg(path, reason));
        QVERIFY(sim.device.frames.isEmpty());  // the device was not touched
        QCOMPARE(typeAt(path), before);
        if (report == Report::KeptFile)
            QCOMPARE(contentOf(path), QByteArray("geheim\n"));
        QCOMPARE(typeAt(firmware), 'f');
        QVERIFY(contentOf(firmware) == image);
        if (const std::optional<NonRegular> kind = nonRegularOf(report); kind == NonRegular::LinkToFifo || kind == NonRegular::LinkToDevice)
            QCOMPARE(typeAt(path + QStringLiteral(".target")), kind == NonRegular::LinkToFifo ? 'p' : 'c');
    }

    // A campaign run again writes its records over those of the last run.
    void recordReplacesAnEarlierRecord()
    {
        QTemporaryDir dir;
        const QString firmware = writeFile(dir, QStringLiteral("fw.bin"), smallImage());
        const QString record = dir.filePath(QStringLiteral("record.json"));
        QStringList started;
        for (int run = 0; run < 2; ++run) {
            SimPeer sim;
            const CliRun cli = runServing({"--tcp", QStringLiteral("127.0.0.1:%1").arg(sim.tcp.port()), "flash", firmware, "--report", record});
            QVERIFY2(cli.exitCode == 0, cli.err.constData());
            started << QJsonDocument::fromJson(contentOf(record)).object().value("started").toObject().value("utc").toString();
        }
        QVERIFY(!started.first().isEmpty());
        QVERIFY(started.first() != started.last());
    }

    // Each run is bounded by the test's own limit: a program that waits in
    // the open fails the test instead of holding it.
    void inputThatIsNoRegularFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("name");
        QTest::addColumn<NonRegular>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("flash a FIFO") << "flash" << "fw.bin" << NonRegular::Fifo << kFifo;
        QTest::newRow("flash a FIFO named .hex") << "flash" << "fw.hex" << NonRegular::Fifo << kFifo;
        QTest::newRow("flash a link to a FIFO") << "flash" << "fw.bin" << NonRegular::LinkToFifo << kFifo;
        QTest::newRow("flash a device node") << "flash" << "fw.bin" << NonRegular::Device << kDevice;
        QTest::newRow("convert a FIFO") << "convert" << "fw.hex" << NonRegular::Fifo << kFifo;
        QTest::newRow("password file a FIFO") << "password" << "pw.txt" << NonRegular::Fifo << kFifo;
    }

    void inputThatIsNoRegularFile()
    {
        QFETCH(QString, command);
        QFETCH(QString, name);
        QFETCH(NonRegular, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (!makeNonRegular(kind, path))
            QSKIP("device nodes need root");
        const char before = typeAt(path);
        const QString out = dir.filePath(QStringLiteral("out.bin"));
        const QString firmware = writeFile(dir, QStringLiteral("fw-ok.bin"), smallImage());
        SimPeer sim;
        const QString target = QStringLiteral("127.0.0.1:%1").arg(sim.tcp.port());
        QStringList args;
        QString said;  // what stderr must say
        if (command == QLatin1String("flash")) {
            args = QStringList{"--tcp", target, "flash", path};
            said = QStringLiteral("flash: %1: %2").arg(path, reason);
        } else if (command == QLatin1String("convert")) {
            args = QStringList{"convert", path, out};
            said = QStringLiteral("convert: %1: %2").arg(path, reason);
        } else {
            args = QStringList{"--tcp", target, "--password-file", path, "flash", firmware};
            said = QStringLiteral("--password-file: %1 lässt sich nicht lesen: %2").arg(path, reason);
        }

        const CliRun run = runServing(args);

        QVERIFY2(run.exitCode != -1, "the program did not end");
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(QString::fromUtf8(run.err).contains(said), run.err.constData());
        QVERIFY(run.out.isEmpty());
        QVERIFY(sim.device.frames.isEmpty());
        QCOMPARE(typeAt(path), before);
        QVERIFY(!QFile::exists(out));
    }
};

QTEST_MAIN(TstHandedFiles)
#include "tst_handedfiles.moc"
