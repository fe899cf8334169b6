// quillon-cli as a technician and a script meet it: help, a link that is not
// there, failures as JSON, file errors, --yes and --force, the progress and
// the end of a run, checks of the input.
#include "options/optionsmodel.h"
#include "tests/cli/smallimage.h"
#include "tests/cli/terminalrun.h"
#include "tests/support/testfiles.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace {
// A loopback port nobody listens on.
QString closedTarget()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return QStringLiteral("127.0.0.1:%1").arg(server.serverPort());
}

// A loopback listener whose accept queue is full: connects to it hang.
class SilentListener {
public:
    SilentListener()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), length);
        ::listen(m_fd, 0);
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length);
        port = ntohs(address.sin_port);
        for (QTcpSocket &filler : m_fillers) {
            filler.connectToHost(QHostAddress::LocalHost, port);
            filler.waitForConnected(300);
        }
    }
    ~SilentListener() { ::close(m_fd); }
    quint16 port = 0;

private:
    int m_fd = -1;
    QTcpSocket m_fillers[2];
};
}

class TestGuidance : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(qEnvironmentVariable("QUILLON_CLI")).isExecutable(), "QUILLON_CLI not set");
        QVERIFY2(QFileInfo(qEnvironmentVariable("KRVSIM")).isExecutable(), "KRVSIM not set");
        m_image = writeFile(m_dir, "small.bin", smallImage());
    }

    void help_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("shown");  // on stdout with exit 0, else on stderr
        QTest::newRow("--help") << QStringList{"--help"} << 0 << QStringList{"Aufruf: quillon-cli", "Exit-Codes:", "flash DATEI"};
        QTest::newRow("-h after options") << QStringList{"--json", "-h"} << 0 << QStringList{"Befehle:", "--tcp HOST:PORT"};
        QStringList f4;
        for (qsizetype i = 0; i < OptionsModel::F4Items.size(); ++i)
            f4 << QStringLiteral("%1  %2").arg(i).arg(OptionsModel::F4Items.at(i));
        QTest::newRow("flash --help") << QStringList{"flash", "--help"} << 0 << f4 + QStringList{"--force", "--yes"};
        QTest::newRow("raw -h") << QStringList{"raw", "-h"} << 0 << QStringList{"raw BEFEHL", "--timeout MS"};
        QTest::newRow("mistyped command") << QStringList{"fash"} << 2 << QStringList{"unbekannter Befehl \"fash\". Meinten Sie \"flash\"?"};
        QTest::newRow("mistyped option") << QStringList{"--jsn", "info"} << 2 << QStringList{"Meinten Sie \"--json\"?"};
        QTest::newRow("mistyped command option") << QStringList{"--tcp", "127.0.0.1:1", "flash", m_image, "--forse"} << 2
                                                 << QStringList{"Meinten Sie \"--force\"?"};
        QTest::newRow("switch with a value") << QStringList{"info", "--json=1"} << 2 << QStringList{"--json nimmt keinen Wert"};
    }
    void help()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QStringList, shown);
        const CliRun run = runQuillonCli(args);
        QCOMPARE(run.exitCode, exitCode);
        const QString text = QString::fromUtf8(exitCode == 0 ? run.out : run.err);
        for (const QString &s : shown)
            QVERIFY2(text.contains(s), qPrintable(s + QLatin1String("\n---\n") + text));
        QVERIFY((exitCode == 0 ? run.err : run.out).isEmpty());
    }

    // Options after the command and in the --opt=value form reach the link;
    // a target that is not there ends with the system's reason, one that does
    // not answer after the real 3 s.
    void deadLink_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("minMs");
        const QString closed = closedTarget();
        QTest::newRow("refused, raw") << closed << QStringList{"raw", "B004"} << "Verbindung verweigert" << 0;
        QTest::newRow("refused, flash") << closed << QStringList{"flash", m_image} << "Verbindung verweigert" << 0;
        QTest::newRow("name that does not resolve") << "nicht..da:4001" << QStringList{"info"} << "Rechnername nicht gefunden" << 0;
        QTest::newRow("nobody answers") << QString() << QStringList{"time"} << "keine Antwort innerhalb von 3 s" << 3000;
    }
    void deadLink()
    {
        QFETCH(QString, target);
        QFETCH(QStringList, command);
        QFETCH(QString, reason);
        QFETCH(int, minMs);
        SilentListener silent;
        if (target.isEmpty())
            target = QStringLiteral("127.0.0.1:%1").arg(silent.port);
        const CliRun run = runQuillonCli(command + QStringList{"--json", "--tcp=" + target}, kRunLimitMs, {"QUILLON_TEST_SHORT_LIMITS=0"});
        QCOMPARE(run.exitCode, 1);
        // The limit's timer is a coarse one: it may fire up to 5 % early.
        QVERIFY2(run.elapsedMs >= minMs * 95 / 100, qPrintable(QString::number(run.elapsedMs)));
        const QString message = QStringLiteral("Keine Verbindung zu %1: %2").arg(target, reason);
        QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
        QVERIFY(!run.err.contains("Client-Fehler") && !run.err.contains("Versuch"));
        QCOMPARE(jsonOf(run).value("error").toObject().value("message").toString(), message);
    }

    void failuresAsJson_data()
    {
        QTest::addColumn<QStringList>("simArgs");  // empty: no device at the target
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("nullKey");
        QTest::addColumn<QString>("error");  // empty: "error" is null
        QTest::newRow("time, no link") << QStringList{} << QStringList{"time"} << 1 << "time" << "Keine Verbindung";
        QTest::newRow("info, no link") << QStringList{} << QStringList{"info"} << 1 << "version" << "Keine Verbindung";
        QTest::newRow("raw, silent device") << QStringList{"--silent"} << QStringList{"raw", "B004", "--timeout", "300"} << 1 << ""
                                            << "Keine Antwort (Timeout nach 300 ms)";
        const QString password = qEnvironmentVariable("SRCDIR") + "/sim/profiles/password.json";
        QTest::newRow("raw with the password") << QStringList{"--profile", password}
                                               << QStringList{"--password", "geheim", "raw", "B004", "--crc"} << 0 << "" << "";
        QTest::newRow("raw without it") << QStringList{"--profile", password} << QStringList{"raw", "B004", "--crc"} << 0 << "" << "";
    }
    void failuresAsJson()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, nullKey);
        QFETCH(QString, error);
        KrvSimProcess sim(simArgs);
        const QString target = simArgs.isEmpty() ? closedTarget() : sim.target();
        const CliRun run = runQuillonCli(QStringList{"--tcp", target, "--json"} + args);
        QCOMPARE(run.exitCode, exitCode);
        const QJsonObject o = jsonOf(run);
        QVERIFY2(!o.isEmpty(), run.out.constData());
        if (!nullKey.isEmpty())
            QVERIFY2(o.contains(nullKey) && o.value(nullKey).isNull(), run.out.constData());
        QCOMPARE(o.value("error").isNull(), error.isEmpty());
        if (!error.isEmpty())
            QVERIFY2(o.value("error").toObject().value("message").toString().startsWith(error), run.out.constData());
        if (args.contains("raw") && exitCode == 0)  // the device took the password, or refused without it
            QCOMPARE(o.value("text").toString().contains("KRV470"), args.contains("geheim"));
    }

    void files_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("shown");
        const QByteArray hexText(":020000040000FA\r\n:00000001FF\r\n");
        const QString hex = writeFile(m_dir, "fw.hex", hexText);
        const QString txt = writeFile(m_dir, "fw.txt", hexText);
        const QString missing = m_dir.filePath("missing.bin");
        QTest::newRow("missing") << QStringList{"flash", missing} << 2 << missing + ": Datei nicht gefunden";
        QTest::newRow("a folder") << QStringList{"flash", m_dir.path()} << 2 << m_dir.path() + ": ist ein Verzeichnis";
        QTest::newRow("HEX text named .txt") << QStringList{"flash", txt} << 2 << txt + " sieht nach Intel-HEX aus";
        QTest::newRow("convert HEX text named .txt") << QStringList{"convert", txt, m_dir.filePath("o.bin")} << 2 << "in *.hex umbenennen";
        QTest::newRow("convert over its input") << QStringList{"convert", hex, m_dir.path() + "/./fw.hex"} << 2 << "ist die Eingabedatei";
        QTest::newRow("convert into a missing folder") << QStringList{"convert", writeFile(m_dir, "ok.hex", toIntelHex(smallImage())), m_dir.filePath("no/o.bin")}
                                                       << 1 << m_dir.filePath("no") + " gibt es nicht";
    }
    void files()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, shown);
        QFile input(args.value(1));
        const QByteArray before = input.open(QIODevice::ReadOnly) ? input.readAll() : QByteArray();
        input.close();
        const CliRun run = runQuillonCli(QStringList{"--tcp", closedTarget()} + args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(QString::fromUtf8(run.err).contains(shown), run.err.constData());
        QVERIFY(!run.err.contains("Keine Verbindung"));  // decided before the link
        if (!before.isEmpty()) {  // the input stays as it was
            QVERIFY(input.open(QIODevice::ReadOnly));
            QCOMPARE(input.readAll(), before);
        }
    }

    // --yes goes on past the version checks only; a file that does not fit
    // the device needs --force and is otherwise refused before anything is sent.
    void forceForUnfitFiles_data()
    {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<int>("date");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("result");
        const QString krv465 = qEnvironmentVariable("SRCDIR") + "/sim/profiles/krv465.json";
        QTest::newRow("other kind") << krv465 << 20090301 << QStringList{} << 3 << "refused";
        QTest::newRow("other kind, --yes") << krv465 << 20090301 << QStringList{"--yes"} << 3 << "refused";
        QTest::newRow("other kind, --force") << krv465 << 20090301 << QStringList{"--force"} << 0 << "ok";
        QTest::newRow("same version, --force") << QString() << 20080115 << QStringList{"--force"} << 0 << "ok";
    }
    void forceForUnfitFiles()
    {
        QFETCH(QString, profile);
        QFETCH(int, date);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, result);
        KrvSimProcess sim(profile.isEmpty() ? QStringList{} : QStringList{"--profile", profile});
        const QString image = writeFile(m_dir, QStringLiteral("fw%1.bin").arg(date), smallImage(date));
        const CliRun run = runQuillonCli(QStringList{"--tcp", sim.target(), "--json", "flash", image} + args);
        QCOMPARE(run.exitCode, exitCode);
        const QJsonObject o = jsonOf(run);
        QCOMPARE(o.value("result").toString(), result);
        QCOMPARE(run.err.contains("Zustand Eichschalter"), exitCode == 0);  // nothing sent when refused
        if (exitCode == 3)
            QVERIFY2(o.value("error").toObject().value("message").toString().contains("--force"), run.out.constData());
    }

    void progressAndEnd()
    {
        // A 50-column terminal: no drawn line reaches the last column.
        {
            PtyPair terminal;
            QVERIFY(terminal.isValid());
            winsize size{};
            size.ws_col = 50;
            size.ws_row = 24;
            QVERIFY(::ioctl(terminal.master, TIOCSWINSZ, &size) == 0);
            KrvSimProcess sim({});
            const CliRun run = runServing({"--tcp", sim.target(), "flash", m_image}, &terminal);
            QCOMPARE(run.exitCode, 0);
            const QString screen = QString::fromUtf8(run.err).remove(QStringLiteral("\x1b[K"));
            static const QRegularExpression lineBreak(QStringLiteral("[\r\n]"));
            for (const QString &line : screen.split(lineBreak))
                QVERIFY2(line.size() < 50 || !(line.startsWith("Daten [") || line.startsWith("Programmierung")), qPrintable(line));
            QVERIFY2(screen.contains(QRegularExpression(QStringLiteral("Programmierung: E \\d+  a \\d+  p [1-9]\\d*"))), qPrintable(screen));
            QVERIFY(screen.contains(QRegularExpression(QStringLiteral("Daten \\[#+\\] +100 %  (\\d+)/\\1  \\d+:\\d\\d, noch 0:00"))));
        }
        // Not a terminal: the counters at most once a second, not once per record.
        {
            KrvSimProcess sim({});
            const CliRun run = runQuillonCli({"--tcp", sim.target(), "flash", m_image});
            QCOMPARE(run.exitCode, 0);
            const qsizetype lines = run.err.count("Wdh: ");
            QVERIFY2(lines >= 1 && lines <= 2 + run.elapsedMs / 1000, run.err.constData());
        }
        // A failed run names its phase and what to do (before the end record:
        // the flash is known to be untouched).
        {
            KrvSimProcess sim({"--garbage", "3"});
            const CliRun json = runQuillonCli({"--tcp", sim.target(), "--json", "flash", m_image});
            QCOMPARE(json.exitCode, 1);
            const QJsonObject o = jsonOf(json);
            QCOMPARE(o.value("phaseName").toString(), QStringLiteral("Datenübertragung"));
            QCOMPARE(o.value("error").toObject().value("message").toString(), o.value("message").toString());
            QVERIFY2(QString::fromUtf8(json.err).contains("Zustand: Das KRV ist im FLASH-Update-Modus"), json.err.constData());
            QVERIFY(json.err.contains("er beginnt von vorn"));
            KrvSimProcess fresh({"--garbage", "3"});  // the first one waits in its flash-update mode
            const CliRun text = runQuillonCli({"--tcp", fresh.target(), "flash", m_image});
            QVERIFY2(QString::fromUtf8(text.out).startsWith("fehlgeschlagen: Upload beendet: KRV reagiert nicht/falsch! PS: 4 (Datenübertragung)\n"),
                     text.out.constData());
        }
        // Ctrl-C while the device programs: said once, and the run goes on.
        {
            KrvSimProcess sim({"--letter-interval", "10"});
            QProcess cli;
            cli.start(qEnvironmentVariable("QUILLON_CLI"), {"--tcp", sim.target(), "--json", "flash", m_image});
            QByteArray err;
            QVERIFY2(waitForStderr(cli, err, "KRV programmiert FLASH!"), err.constData());
            for (int i = 0; i < 2; ++i) {
                QCOMPARE(::kill(pid_t(cli.processId()), SIGINT), 0);
                QTest::qWait(100);
            }
            QVERIFY(cli.waitForFinished(15000));
            err += cli.readAllStandardError();
            QCOMPARE(cli.exitCode(), 0);
            QCOMPARE(QString::fromUtf8(err).count("lässt sich jetzt nicht anhalten"), 1);
        }
    }

    void inputChecks_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("shown");
        QTest::newRow("rate not in the list") << QStringList{"--port", "/dev/null", "--baud", "12345", "raw", "Q"} << 2 << "möglich sind 50, 75";
        QTest::newRow("rate not a number") << QStringList{"raw", "Q", "--port=/dev/null", "--baud=schnell"} << 2 << "keine Baudrate";
        QTest::newRow("--baud with --tcp") << QStringList{"--tcp", "127.0.0.1:1", "--baud", "9600", "info"} << 2 << "nicht für --tcp";
        QTest::newRow("--baud with --tcp after the command") << QStringList{"info", "--baud=19200", "--tcp=127.0.0.1:1"} << 2 << "nicht für --tcp";
        QTest::newRow("a rate of the list") << QStringList{"--port", "/dev/quillon-no-such-port", "--baud", "115200", "raw", "Q"} << 1
                                            << "lässt sich nicht öffnen";
        const QString missing = m_dir.filePath("no-password");
        const QString shortOne = writeFile(m_dir, "short-password", "abc\n");
        QTest::newRow("password file missing") << QStringList{"--password-file", missing, "info"} << 2
                                               << "--password-file: " + missing + " lässt sich nicht lesen: ";
        QTest::newRow("password file a folder") << QStringList{"info", "--password-file", m_dir.path()} << 2 << "lässt sich nicht lesen";
        QTest::newRow("password in the file too short") << QStringList{"--password-file", shortOne, "info"} << 2
                                                        << "das Lesepasswort braucht 4 bis 8 Zeichen";
        QTest::newRow("both password options") << QStringList{"--password", "geheim", "--password-file", shortOne, "info"} << 2
                                               << "schließen einander aus";
        QTest::newRow("environment too long") << QStringList{"QUILLON_PASSWORD=neunstell", "info"} << 2
                                              << "QUILLON_PASSWORD: das Lesepasswort braucht 4 bis 8 Zeichen";
    }
    void inputChecks()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, shown);
        // Leading NAME=value words go into the environment.
        QStringList env;
        while (!args.isEmpty() && args.constFirst().contains(QLatin1Char('=')) && !args.constFirst().startsWith(QLatin1Char('-')))
            env << args.takeFirst();
        const CliRun run = runQuillonCli(args, kRunLimitMs, env);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(QString::fromUtf8(run.err).contains(shown), run.err.constData());
    }

private:
    QTemporaryDir m_dir;
    QString m_image;
};

QTEST_GUILESS_MAIN(TestGuidance)
#include "tst_guidance.moc"
