// quillon-cli version and check-update against a local HTTP server.
#include "tests/cli/terminalrun.h"
#include "tests/support/localhttpserver.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

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
    m_installed = QJsonDocument::fromJson(run.out).object().value(QStringLiteral("FileVersion")).toString();
}

void TestCheckUpdate::versionListsTheElevenTextsInOrder()
{
    const CliRun json = runServing({QStringLiteral("--json"), QStringLiteral("version")});
    const QJsonObject object = QJsonDocument::fromJson(json.out).object();
    const QStringList keys{"LangCharset", "CompanyName", "FileDescription", "FileVersion", "InternalName",
                           "LegalCopyright", "LegalTrademarks", "OriginalFilename", "ProductName",
                           "ProductVersion", "Comments"};
    // QJsonObject sorts its keys: the order shows in the text.
    qsizetype at = 0;
    for (const QString &key : keys) {
        at = json.out.indexOf('"' + key.toLatin1() + "\":", at);
        QVERIFY2(at > 0, qPrintable(key));
    }
    QCOMPARE(object.size(), keys.size());
    QCOMPARE(object.value("LangCharset").toString(), QStringLiteral("040704E4"));
    QCOMPARE(object.value("InternalName").toString(), QStringLiteral("Quillon"));
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

    const CliRun run = runServing({QStringLiteral("--json"), QStringLiteral("check-update")});
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(run.err.startsWith("Installierte Version ermitteln.\nVerbinde zum Orv-Updateserver.\n"));
    QVERIFY2(run.err.trimmed().endsWith(lastLine), run.err.constData());
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(json.keys().size(), 7);
    QCOMPARE(json.value("result").toString(), result);
    QCOMPARE(json.value("installed").toString(), m_installed);
    QCOMPARE(json.value("VersDate").isNull(), result == "unreachable");
    QVERIFY(json.value("saved").isNull());
}

void TestCheckUpdate::download_data()
{
    const QByteArray rightSum = QCryptographicHash::hash(QByteArray(200000, 'i'), QCryptographicHash::Sha256).toHex();
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<int>("installerStatus");
    QTest::addColumn<bool>("saved");
    QTest::newRow("no checksum") << QByteArray() << 200 << true;
    QTest::newRow("checksum matches") << "[SHA256]\nquillon=" + rightSum.toUpper() + "\n" << 200 << true;
    QTest::newRow("checksum differs") << "[SHA256]\nQuillon=" + QByteArray(64, '0') + "\n" << 200 << false;
    QTest::newRow("installer missing") << QByteArray() << 404 << false;
}

void TestCheckUpdate::download()
{
    QFETCH(QByteArray, extra);
    QFETCH(int, installerStatus);
    QFETCH(bool, saved);
    m_server.serveVersionFile("999.0.0.0", extra);
    m_server.setAnswer(QStringLiteral("/files/setup.bin"), {QByteArray(200000, 'i'), installerStatus});
    QTemporaryDir root;
    const QString dir = root.filePath(QStringLiteral("a/b"));
    QVERIFY(QDir().mkpath(dir));

    const CliRun run = runServing({QStringLiteral("--json"), QStringLiteral("check-update"), QStringLiteral("--download"), dir});
    QCOMPARE(run.exitCode, saved ? 0 : 1);
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    // "../../x" stays inside the folder as "x"; a refused download leaves nothing.
    QCOMPARE(QDir(dir).entryList(QDir::Files), saved ? QStringList{"x"} : QStringList());
    QCOMPARE(QDir(root.path()).entryList(QDir::Files), QStringList());
    QCOMPARE(json.value("saved").toString(), saved ? QDir(dir).filePath("x") : QString());
    QCOMPARE(run.err.contains("Die Prüfsumme des Downloads stimmt nicht"), extra.startsWith("[SHA256]") && !saved);
}

QTEST_MAIN(TestCheckUpdate)
#include "tst_checkupdate.moc"
