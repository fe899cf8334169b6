// The end of a flash run as a person reads it: the final message once where
// stdout and stderr end together (one pipe, one terminal), and once on each
// when stdout goes elsewhere.
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

// Where stdout goes beside stderr.
enum class Where { OnePipe, Terminal, Apart };
Q_DECLARE_METATYPE(Where)

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
        QTest::addColumn<Where>("where");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("alsoOnce");  // a second text said once, or empty
        const QStringList verify{QStringLiteral("--verify")};
        const QStringList report{QStringLiteral("--report"), QStringLiteral("r.json")};
        QTest::newRow("one pipe") << Where::OnePipe << QStringList() << QByteArray();
        QTest::newRow("one pipe, verify") << Where::OnePipe << verify << kVerified;
        QTest::newRow("one pipe, report") << Where::OnePipe << report << QByteArray("Protokoll: ");
        QTest::newRow("terminal") << Where::Terminal << QStringList() << QByteArray();
        QTest::newRow("terminal, verify and report") << Where::Terminal << verify + report << kVerified;
        QTest::newRow("stdout to a file, verify") << Where::Apart << verify << kVerified;
    }
    void saidOnce()
    {
        QFETCH(Where, where);
        const bool terminal = where == Where::Terminal;
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
        if (where == Where::Apart)
            process.setStandardOutputFile(dir.filePath(QStringLiteral("out.txt")));
        else
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
        QByteArrayList streams{process.readAll()};
        if (where == Where::Apart) {
            streams = {process.readAllStandardError()};
            QFile out(dir.filePath(QStringLiteral("out.txt")));
            QVERIFY(out.open(QIODevice::ReadOnly));
            streams << out.readAll();
        }
        for (const QByteArray &said : streams) {
            QVERIFY2(process.exitCode() == 0, said.constData());
            QVERIFY2(said.count(kSuccess) == 1, said.constData());
            if (!alsoOnce.isEmpty())
                QVERIFY2(said.count(alsoOnce) == 1, said.constData());
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_image;
};

QTEST_GUILESS_MAIN(TestFinalMessage)
#include "tst_finalmessage.moc"
