// The blocking download: a stalled server, a refused address, a missing file.
#include "orvabout/httpdownload.h"
#include "tests/support/localhttpserver.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestHttpDownload : public QObject
{
    Q_OBJECT
private slots:
    void stalledServerEndsAfterTheTimeout();
    void failures_data();
    void failures();
    void progressCanAbort();
};

void TestHttpDownload::stalledServerEndsAfterTheTimeout()
{
    LocalHttpServer server;
    server.setAnswer(QStringLiteral("/slow"), {QByteArray(100000, 's'), 200, 16384});
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("slow"));
    HttpDownload download;
    download.stallTimeoutMs = 300;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!download.run(QUrl(server.baseUrl().toString() + "/slow"), path));
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!QFileInfo::exists(path));
}

void TestHttpDownload::failures_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("not found") << "/missing";
    QTest::newRow("local file") << "file:///etc/hostname";
    QTest::newRow("closed port") << "http://127.0.0.1:9/x";
}

void TestHttpDownload::failures()
{
    QFETCH(QString, url);
    LocalHttpServer server;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("f"));
    HttpDownload download;
    QVERIFY(!download.run(QUrl(url.startsWith('/') ? server.baseUrl().toString() + url : url), path));
    QVERIFY(!download.errorString().isEmpty());
    QVERIFY(!QFileInfo::exists(path));
}

void TestHttpDownload::progressCanAbort()
{
    LocalHttpServer server;
    server.setAnswer(QStringLiteral("/big"), {QByteArray(500000, 'b')});
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("big"));
    HttpDownload download;
    QList<qint64> totals;
    QVERIFY(!download.run(QUrl(server.baseUrl().toString() + "/big"), path, [&totals](qint64 received, qint64 total) {
        totals << total;
        return received < 100000;
    }));
    QVERIFY(totals.size() >= 2);
    QVERIFY(totals.size() < 30);  // stopped well before the end
    QCOMPARE(totals.first(), 500000);
    QVERIFY(!QFileInfo::exists(path));
}

QTEST_MAIN(TestHttpDownload)
#include "tst_httpdownload.moc"
