// quillon-cli through a modem: krvsim with its Hayes modem on a pseudo-terminal.
#include "tests/comport/ptypair.h"
#include "tests/support/cliprocess.h"
#include "tests/support/schemacheck.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class TestModemCli : public QObject {
    Q_OBJECT

private slots:
    void dial_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("reply");
        QTest::newRow("connect") << "connect" << 0 << "CONNECT 9600";
        QTest::newRow("no carrier") << "nocarrier" << 1 << "NO CARRIER";
        QTest::newRow("busy") << "busy" << 1 << "BUSY";
        // A pseudo-terminal has no carrier line: the words alone do not say CONNECT.
        QTest::newRow("ring") << "ring" << 1 << "RING|CONNECT";
    }

    void dial()
    {
        QFETCH(QString, answer);
        QFETCH(int, exitCode);
        QFETCH(QString, reply);
        KrvSimProcess sim({QStringLiteral("--pty"), QStringLiteral("--modem"), QStringLiteral("--modem-answer"), answer});
        const QString pty = sim.pty();
        QVERIFY2(!pty.isEmpty(), qPrintable(sim.firstLine));
        const CliRun run = runQuillonCli({QStringLiteral("--port"), pty, QStringLiteral("--dial"), QStringLiteral("0815"),
                                          QStringLiteral("--modem-init"), QStringLiteral("&F"), QStringLiteral("--json"),
                                          QStringLiteral("info")});
        QCOMPARE(run.exitCode, exitCode);
        const QJsonObject o = QJsonDocument::fromJson(run.out).object();
        QVERIFY2(!o.isEmpty(), run.out.constData());
        QCOMPARE(o.value("modem").toObject().value("reply").toString(), reply);
        QCOMPARE(o.value("modem").toObject().value("connected").toBool(), exitCode == 0);
        QCOMPARE(o.value("complete").toBool(), exitCode == 0);
        if (exitCode != 0)
            QVERIFY(o.value("error").toObject().value("message").toString().endsWith(reply));
        const QString violations = schemaViolations(QStringLiteral("info"), run.out);
        QVERIFY2(violations.isEmpty(), qPrintable(violations));
    }

    // The hang-up ends the call: the next run dials again and gets through.
    void secondCallAfterHangUp()
    {
        KrvSimProcess sim({QStringLiteral("--pty"), QStringLiteral("--modem")});
        const QString pty = sim.pty();
        QVERIFY2(!pty.isEmpty(), qPrintable(sim.firstLine));
        for (int call = 0; call < 2; ++call) {
            const CliRun run = runQuillonCli({QStringLiteral("--port"), pty, QStringLiteral("--dial"), QStringLiteral("0815"),
                                              QStringLiteral("raw"), QStringLiteral("B004"), QStringLiteral("--crc")});
            QCOMPARE(run.exitCode, 0);
            QVERIFY(run.out.contains("KRV470 V3.02"));
        }
    }

    void refusedBeforeAnythingIsSent_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QStringList{"--dial="} << "Keine Rufnummer angegeben.";
        QTest::newRow("N") << QStringList{"--dial", "N0815"} << "beginnt";
        QTest::newRow("n") << QStringList{"--dial", "n0815"} << "beginnt";
        QTest::newRow("32 digits") << QStringList{"--dial", QString(32, u'1')} << "höchstens 31 Zeichen";
        QTest::newRow("long init") << QStringList{"--dial", "0815", "--modem-init", QString(32, u'Z')} << "höchstens 31 Zeichen";
        QTest::newRow("init alone") << QStringList{"--modem-init", "Z"} << "--modem-init gilt nur zusammen mit --dial";
    }

    void refusedBeforeAnythingIsSent()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, message);
        PtyPair line;
        QVERIFY(line.isValid());
        const CliRun run = runQuillonCli(QStringList{QStringLiteral("--port"), line.slavePath} + options + QStringList{QStringLiteral("info")});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
        QCOMPARE(line.receive(1, 200), QByteArray());
    }

    void dialIsNoTcpOption()
    {
        const CliRun run = runQuillonCli({QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:1"), QStringLiteral("--dial"),
                                          QStringLiteral("0815"), QStringLiteral("info")});
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.contains("--dial gilt nur"));
    }
};

QTEST_MAIN(TestModemCli)
#include "tst_modemcli.moc"
