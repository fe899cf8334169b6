// The --tcp target as a user writes it: a host and a port, an IPv6 address in
// brackets, and what is no target at all.
#include "tests/support/cliprocess.h"

#include <QTcpServer>
#include <QtTest>

namespace {
const QStringList kReadVersion{QStringLiteral("raw"), QStringLiteral("B004"), QStringLiteral("--crc")};
}

class TestTcpAddress : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(qEnvironmentVariable("QUILLON_CLI")).isExecutable(), "QUILLON_CLI not set");
        QVERIFY2(QFileInfo(qEnvironmentVariable("KRVSIM")).isExecutable(), "KRVSIM not set");
    }

    void reachesTheDevice_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("target");  // %1: the simulator's port
        QTest::newRow("IPv4") << QStringList() << QStringLiteral("127.0.0.1:%1");
        QTest::newRow("IPv6 in brackets") << QStringList{QStringLiteral("--ipv6")} << QStringLiteral("[::1]:%1");
        QTest::newRow("IPv6, long form") << QStringList{QStringLiteral("--ipv6")} << QStringLiteral("[0:0:0:0:0:0:0:1]:%1");
    }
    void reachesTheDevice()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, target);
        KrvSimProcess sim(simArgs);
        QVERIFY2(sim.port > 0, qPrintable(sim.firstLine));
        const CliRun run = runQuillonCli(QStringList{QStringLiteral("--tcp"), target.arg(sim.port)} + kReadVersion);
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY2(run.out.startsWith(".B004KRV470"), run.out.constData());
    }

    // A message names the target as it was written, brackets and all.
    void namesAnIpv6TargetInBrackets()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHostIPv6));
        const quint16 port = closed.serverPort();
        closed.close();
        const CliRun run = runQuillonCli(QStringList{QStringLiteral("--tcp"), QStringLiteral("[::1]:%1").arg(port)} + kReadVersion);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("Keine Verbindung zu [::1]:%1: Verbindung verweigert").arg(port).toUtf8()),
                 run.err.constData());
    }

    void malformed_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("IPv6 without brackets") << QStringLiteral("::1:4001");
        QTest::newRow("IPv6 without port") << QStringLiteral("::1");
        QTest::newRow("brackets without port") << QStringLiteral("[::1]");
        QTest::newRow("port without colon") << QStringLiteral("[::1]4001");
        QTest::newRow("IPv4 in brackets") << QStringLiteral("[127.0.0.1]:4001");
        QTest::newRow("no address in brackets") << QStringLiteral("[krv]:4001");
        QTest::newRow("bracket not closed") << QStringLiteral("[::1:4001");
        QTest::newRow("port 0") << QStringLiteral("[::1]:0");
        QTest::newRow("port too large") << QStringLiteral("[::1]:65536");
        QTest::newRow("port with sign") << QStringLiteral("127.0.0.1:+80");
        QTest::newRow("no host") << QStringLiteral(":4001");
        QTest::newRow("no port") << QStringLiteral("krv:");
        QTest::newRow("blank in host") << QStringLiteral("krv 1:4001");
    }
    void malformed()
    {
        QFETCH(QString, target);
        const CliRun run = runQuillonCli(QStringList{QStringLiteral("--tcp"), target} + kReadVersion);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(QStringLiteral("--tcp braucht HOST:PORT oder [IPv6-Adresse]:PORT (Port 1 bis 65535), nicht \"%1\"")
                                      .arg(target).toUtf8()),
                 run.err.constData());
        QVERIFY(run.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTcpAddress)
#include "tst_tcpaddress.moc"
