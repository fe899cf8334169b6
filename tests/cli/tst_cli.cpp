// quillon-cli and krvsim as a script would use them: real processes, real sockets.
#include "link/link.h"
#include "tests/support/cliprocess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

namespace {
QString binary(const char *variable) { return qEnvironmentVariable(variable); }
}

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(binary("QUILLON_CLI")).isExecutable(), "QUILLON_CLI not set");
        QVERIFY2(QFileInfo(binary("KRVSIM")).isExecutable(), "KRVSIM not set");
    }

    void simulatorReportsItsPort()
    {
        KrvSimProcess sim({});
        QVERIFY2(sim.firstLine.startsWith(QLatin1String("port ")), qPrintable(sim.firstLine));
        QVERIFY(sim.port > 0);
    }

    void rawReadsTheVersion()
    {
        QTemporaryDir dir;
        const QString profile = dir.filePath(QStringLiteral("nocrc.json"));
        QFile file(profile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"crc": false, "version": "KRV470 V3.10 xy"})");
        file.close();
        KrvSimProcess sim({QStringLiteral("--profile"), profile});
        QVERIFY(sim.port > 0);

        const CliRun run = runQuillonCli({QStringLiteral("--tcp"), sim.target(), QStringLiteral("raw"), QStringLiteral("B004")});
        QCOMPARE(run.exitCode, 0);
        const QList<QByteArray> lines = run.out.split('\n');
        QCOMPARE(lines.value(0), QByteArray(".B004KRV470 V3.10 xy."));
        QCOMPARE(lines.value(1), QByteArray("02 42 30 30 34 4b 52 56 34 37 30 20 56 33 2e 31 30 20 78 79 03"));
    }

    void rawWithCrcAsJson()
    {
        KrvSimProcess sim({});
        const CliRun run = runQuillonCli({QStringLiteral("--tcp"), sim.target(), QStringLiteral("--json"), QStringLiteral("raw"), QStringLiteral("B004"), QStringLiteral("--crc")});
        QCOMPARE(run.exitCode, 0);
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(run.out, &error);
        QVERIFY2(doc.isObject(), qPrintable(error.errorString() + QLatin1Char(' ') + QString::fromLatin1(run.out)));
        const QJsonObject o = doc.object();
        QCOMPARE(o.value("result").toInt(), 21);
        QCOMPARE(o.value("text").toString(), QStringLiteral(".B004KRV470 V3.02 ab."));
        QCOMPARE(o.value("linkFailed").toBool(true), false);
        const QByteArray frame("\x02" "B004KRV470 V3.02 ab\x03");
        const QByteArray crc = QByteArray::number(Crc16(frame.mid(1)), 16).toUpper().rightJustified(4, '0');
        QCOMPARE(o.value("hex").toString(), QString::fromLatin1((frame + crc).toHex(' ')));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no command") << QStringList{QStringLiteral("--json")};
        QTest::newRow("unknown command") << QStringList{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:1"), QStringLiteral("fly")};
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour"), QStringLiteral("raw"), QStringLiteral("Q")};
        QTest::newRow("no link") << QStringList{QStringLiteral("raw"), QStringLiteral("Q")};
        QTest::newRow("bad target") << QStringList{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1"), QStringLiteral("raw"), QStringLiteral("Q")};
        QTest::newRow("bad port") << QStringList{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:70000"), QStringLiteral("raw"), QStringLiteral("Q")};
        QTest::newRow("bad time-out") << QStringList{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:1"), QStringLiteral("raw"), QStringLiteral("Q"), QStringLiteral("--timeout"), QStringLiteral("soon")};
        QTest::newRow("no command text") << QStringList{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:1"), QStringLiteral("raw")};
        QTest::newRow("command too long") << QStringList{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:1"), QStringLiteral("raw"), QString(57, QLatin1Char('B'))};
    }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        const CliRun run = runQuillonCli(args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(!run.err.isEmpty());
        QVERIFY(run.out.isEmpty());
    }

    void ctrlCEndsTheWait()
    {
        KrvSimProcess sim({QStringLiteral("--silent")});
        QVERIFY(sim.port > 0);
        QProcess cli;
        cli.start(binary("QUILLON_CLI"), {QStringLiteral("--tcp"), sim.target(), QStringLiteral("--trace"), QStringLiteral("raw"), QStringLiteral("B004"), QStringLiteral("--timeout"), QStringLiteral("10000")});
        QVERIFY(cli.waitForStarted());
        // The trace shows the frame went out: the command is waiting now.
        QByteArray err;
        QVERIFY2(waitForStderr(cli, err, "->"), err.constData());
        const qint64 ms = interruptAndWait(cli);
        QVERIFY2(ms >= 0, "no end within 10 s of the interrupt");
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 130);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
