// The end of a flash run as a person reads it: the final message once,
// whether stdout and stderr go to pipes or both to one terminal.
#include "tests/cli/smallimage.h"
#include "tests/support/cliprocess.h"
#include "tests/support/testfiles.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QByteArray kSuccess = QStringLiteral("Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)").toUtf8();
const QByteArray kVerified = QStringLiteral("Verifiziert: Das KRV meldet").toUtf8();
}

class TestFinalMessage : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(qEnvironmentVariable("QUILLON_CLI")).isExecutable(), "QUILLON_CLI not set");
        QVERIFY2(QFileInfo(qEnvironmentVariable("KRVSIM")).isExecutable(), "KRVSIM not set");
        m_image = writeFile(m_dir, QStringLiteral("fw.bin"), smallImage());
    }

    void saidOnce_data()
    {
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("alsoOnce");  // a second text said once, or empty
        const QStringList verify{QStringLiteral("--verify")};
        const QStringList report{QStringLiteral("--report"), QStringLiteral("r.json")};
        QTest::newRow("pipes") << false << QStringList() << QByteArray();
        QTest::newRow("pipes, verify") << false << verify << kVerified;
        QTest::newRow("pipes, report") << false << report << QByteArray("Protokoll: ");
        QTest::newRow("terminal") << true << QStringList() << QByteArray();
        QTest::newRow("terminal, verify and report") << true << verify + report << kVerified;
    }
    void saidOnce()
    {
        QFETCH(bool, terminal);
        QFETCH(QStringList, options);
        QFETCH(QByteArray, alsoOnce);
        if (terminal && QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty())
            QSKIP("script (util-linux) is not installed");
        // The restart after programming comes back with the file's firmware.
        KrvSimProcess sim({QStringLiteral("--restart"), QStringLiteral("200")});
        QVERIFY(sim.port > 0);
        QTemporaryDir dir;
        const QStringList args = QStringList{QStringLiteral("--tcp"), sim.target(), QStringLiteral("flash"), m_image} + options;

        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.setProcessChannelMode(QProcess::MergedChannels);
        if (terminal) {
            // script gives stdout and stderr one terminal, as an interactive shell does.
            QString command = QStringLiteral("exec \"$QUILLON_CLI\"");
            for (const QString &arg : args)
                command += QStringLiteral(" '") + arg + QLatin1Char('\'');
            process.start(QStringLiteral("script"), {QStringLiteral("-qec"), command, QStringLiteral("/dev/null")});
        } else {
            process.start(qEnvironmentVariable("QUILLON_CLI"), args);
        }
        QVERIFY(process.waitForFinished(kRunLimitMs));
        const QByteArray said = process.readAll();
        QVERIFY2(process.exitCode() == 0, said.constData());
        QVERIFY2(said.count(kSuccess) == 1, said.constData());
        if (!alsoOnce.isEmpty())
            QVERIFY2(said.count(alsoOnce) == 1, said.constData());
    }

private:
    QTemporaryDir m_dir;
    QString m_image;
};

QTEST_GUILESS_MAIN(TestFinalMessage)
#include "tst_finalmessage.moc"
