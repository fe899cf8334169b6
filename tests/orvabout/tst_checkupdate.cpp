// quillon-cli version and check-update against a local HTTP server.
#include "tests/cli/terminalrun.h"
#include "tests/support/localhttpserver.h"
#include "tests/support/schemacheck.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

class TestCheckUpdate : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void versionListsTheElevenTextsInOrder();
    void check_data();
    void check();
    void download_data();
    void download();
    void tricklingServerEnds_data();
    void tricklingServerEnds();

private:
    LocalHttpServer m_server;
    QString m_installed;
};

void TestCheckUpdate::initTestCase()
{
    QVERIFY(!qEnvironmentVariable("QUILLON_CLI").isEmpty());
    // The programs started here ask this process's server.
    qputenv("ORV_UPDATE_URL", m_server.baseUrl().toString().toUtf8());
    const CliRun run = runServing({QStringLiteral("--json"), QStringLiteral("version")});
    QCOMPARE(run.exitCode, 0);
    m_installed = QJsonDocument::fromJson(run.out).object().value(QStringLiteral("fileVersion")).toString();
}

void TestCheckUpdate::versionListsTheElevenTextsInOrder()
{
    const CliRun json = runServing({QStringLiteral("--json"), QStringLiteral("version")});
    const QJsonObject object = QJsonDocument::fromJson(json.out).object();
    const QStringList keys{"schema", "langCharset", "companyName", "fileDescription", "fileVersion", "internalName",
                           "legalCopyright", "legalTrademarks", "originalFilename", "productName",
                           "productVersion", "comments", "error"};
    // QJsonObject sorts its keys: the order shows in the text.
    qsizetype at = 0;
    for (const QString &key : keys) {
        at = json.out.indexOf('"' + key.toLatin1() + "\":", at);
        QVERIFY2(at > 0, qPrintable(key));
    }
    QCOMPARE(object.size(), keys.size());
    QCOMPARE(object.value("langCharset").toString(), QStringLiteral("040704E4"));
    QCOMPARE(object.value("internalName").toString(), QStringLiteral("Quillon"));
    // The maker's data every program carries, and the program's own file name.
    QCOMPARE(object.value("companyName").toString(), QStringLiteral("Orv Software"));
    QCOMPARE(object.value("legalCopyright").toString(), QStringLiteral("Copyright © 2026 Orv Software"));
    QCOMPARE(object.value("productName").toString(), QStringLiteral("Quillon"));
    QCOMPARE(object.value("fileDescription").toString(), QStringLiteral("Firmware-Update für KRV470 und KRV465"));
    QCOMPARE(object.value("originalFilename").toString(), QFileInfo(qEnvironmentVariable("QUILLON_CLI")).fileName());
    QCOMPARE(object.value("productVersion").toString(), m_installed);
    QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+\\.\\d+$")).match(m_installed).hasMatch());
}

void TestCheckUpdate::check_data()
{
    QTest::addColumn<QByteArray>("latest");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QByteArray>("lastLine");
    QTest::newRow("newer") << QByteArray("999.0.0.0") << 10 << "newer" << QByteArray("Es ist ein neuere Version verfügbar!");
    QTest::newRow("equal") << QByteArray() << 0 << "current" << QByteArray("Das Programm ist auf dem aktuellen Stand!");
    QTest::newRow("installed newer") << QByteArray("0.0.0.1") << 0 << "older" << QByteArray("Deine Version ist aktueller!! :-))");
    QTest::newRow("no usable version") << QByteArray("1.2.3") << 1 << "unknown" << QByteArray("Keine Versionsinfo verfügbar!");
    QTest::newRow("unreachable") << QByteArray("-") << 1 << "unreachable" << QByteArray("Konnte Updatefile nicht finden!");
    QTest::newRow("version file of 200 MB") << QByteArray("huge") << 1 << "unreachable"
                                            << QByteArray("Die Datei ist größer als 65536 Bytes.\nKonnte Updatefile nicht finden!");
}

void TestCheckUpdate::check()
{
    QFETCH(QByteArray, latest);
    QFETCH(int, exitCode);
    QFETCH(QString, result);
    QFETCH(QByteArray, lastLine);
    m_server.serveVersionFile(latest.isEmpty() ? m_installed.toLatin1() : latest);
    if (latest == "-")
        m_server.setAnswer(QStringLiteral("/sw/cur_ver.txt"), {QByteArray(), 404});
    if (latest == "huge") {
        LocalHttpServer::Answer huge;
        huge.fillTo = qint64(200) << 20;
        m_server.setAnswer(QStringLiteral("/sw/cur_ver.txt"), huge);
    }

    const CliRun run = runServing({QStringLiteral("--json"), QStringLiteral("check-update")});
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(run.err.startsWith("Installierte Version ermitteln.\nVerbinde zum Orv-Updateserver.\n"));
    QVERIFY2(run.err.trimmed().endsWith(lastLine), run.err.constData());
    const QString violations = schemaViolations(QStringLiteral("check-update"), run.out);
    QVERIFY2(violations.isEmpty(), qPrintable(violations));
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(json.value("result").toString(), result);
    QCOMPARE(json.value("installed").toString(), m_installed);
    // The server's "01.02.2027".
    QCOMPARE(json.value("releaseDate"), result == "unreachable" ? QJsonValue(QJsonValue::Null) : QJsonValue("2027-02-01"));
    QVERIFY(json.value("saved").isNull());
    // A failure names its reason, the check's last line; a newer version is none.
    if (exitCode == 1)
        QVERIFY2(lastLine.endsWith(json.value("error").toObject().value("message").toString().toUtf8()), run.out.constData());
    else
        QVERIFY2(json.value("error").isNull(), run.out.constData());
}

void TestCheckUpdate::download_data()
{
    const QByteArray rightSum = QCryptographicHash::hash(QByteArray(200000, 'i'), QCryptographicHash::Sha256).toHex();
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<int>("installerStatus");
    QTest::addColumn<QByteArray>("fileName");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QByteArray>("why");  // on stderr when nothing was saved
    QTest::newRow("no checksum") << QByteArray() << 200 << QByteArray("../../x") << true << QByteArray();
    QTest::newRow("checksum matches") << "[SHA256]\nquillon=" + rightSum.toUpper() + "\n" << 200 << QByteArray("../../x")
                                      << true << QByteArray();
    QTest::newRow("checksum differs") << "[SHA256]\nQuillon=" + QByteArray(64, '0') + "\n" << 200 << QByteArray("../../x")
                                      << false << QByteArray("Die Prüfsumme des Downloads stimmt nicht");
    QTest::newRow("installer missing") << QByteArray() << 404 << QByteArray("../../x") << false
                                       << QByteArray("Der Server antwortet mit HTTP-Status 404.");
    QTest::newRow("hidden file name") << QByteArray() << 200 << QByteArray(".bashrc") << false
                                      << QByteArray("Das Updatefile nennt keinen gültigen Dateinamen!");
}

void TestCheckUpdate::download()
{
    QFETCH(QByteArray, extra);
    QFETCH(int, installerStatus);
    QFETCH(QByteArray, fileName);
    QFETCH(bool, saved);
    QFETCH(QByteArray, why);
    m_server.serveVersionFile("999.0.0.0", extra, fileName);
    m_server.setAnswer(QStringLiteral("/files/setup.bin"), {QByteArray(200000, 'i'), installerStatus});
    QTemporaryDir root;
    const QString dir = root.filePath(QStringLiteral("a/b"));
    QVERIFY(QDir().mkpath(dir));
    // The installer downloaded before: only a complete download replaces it.
    QFile old(QDir(dir).filePath("x"));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();

    const CliRun run = runServing({QStringLiteral("--json"), QStringLiteral("check-update"), QStringLiteral("--download"), dir});
    QCOMPARE(run.exitCode, saved ? 0 : 1);
    const QString violations = schemaViolations(QStringLiteral("check-update"), run.out);
    QVERIFY2(violations.isEmpty(), qPrintable(violations));
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    // "../../x" stays inside the folder as "x"; a refused download adds nothing.
    QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"x"});
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), saved ? QByteArray(200000, 'i') : QByteArray("old"));
    QCOMPARE(QDir(root.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(json.value("saved").toString(), saved ? QDir(dir).filePath("x") : QString());
    QVERIFY2(run.err.contains(why), run.err.constData());
    QVERIFY(!run.err.contains("Operation") && !run.err.contains("Connection"));
}

void TestCheckUpdate::tricklingServerEnds_data()
{
    QTest::addColumn<bool>("ctrlC");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("lastLine");
    QTest::addColumn<int>("minMs");
    QTest::newRow("Ctrl-C") << true << 130 << QByteArray("Abbruch mit Strg-C") << 0;
    // The version file's own limit, waited out.
    QTest::newRow("time limit") << false << 1 << QByteArray("Der Download hat länger als 20 s gedauert.\nKonnte Updatefile nicht finden!")
                                << 20000;
}

void TestCheckUpdate::tricklingServerEnds()
{
    QFETCH(bool, ctrlC);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, lastLine);
    QFETCH(int, minMs);
    LocalHttpServer::Answer trickle{QByteArray(60000, ';')};  // within the size limit
    trickle.trickleMs = 1000;  // well inside the stall time-out, for ever
    m_server.setAnswer(QStringLiteral("/sw/cur_ver.txt"), trickle);
    const int before = m_server.requests(QStringLiteral("/sw/cur_ver.txt"));

    QElapsedTimer clock;
    clock.start();
    QProcess cli;
    cli.start(qEnvironmentVariable("QUILLON_CLI"), {QStringLiteral("--json"), QStringLiteral("check-update")});
    QVERIFY(cli.waitForStarted());
    // This process serves the trickle: wait in its event loop.
    QVERIFY(QTest::qWaitFor([&] { return m_server.requests(QStringLiteral("/sw/cur_ver.txt")) > before; }, 30000));
    QCOMPARE(cli.state(), QProcess::Running);
    if (ctrlC)  // the download runs: the interrupt ends it
        QCOMPARE(::kill(pid_t(cli.processId()), SIGINT), 0);
    QVERIFY(QTest::qWaitFor([&] { return cli.state() == QProcess::NotRunning; }, 60000));
    // The limit's timer is a coarse one: it may fire up to 5 % early.
    QVERIFY2(clock.elapsed() >= minMs * 95 / 100, qPrintable(QString::number(clock.elapsed())));
    const QByteArray err = cli.readAllStandardError();
    QCOMPARE(cli.exitCode(), exitCode);
    QVERIFY2(err.trimmed().endsWith(lastLine), err.constData());
    QCOMPARE(err.contains("Konnte Updatefile nicht finden!"), !ctrlC);
    QCOMPARE(QJsonDocument::fromJson(cli.readAllStandardOutput()).object().value("result").toString(),
             ctrlC ? QStringLiteral("cancelled") : QStringLiteral("unreachable"));
}

QTEST_MAIN(TestCheckUpdate)
#include "tst_checkupdate.moc"
