// The blocking download gives up on a server that stops sending.
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

QTEST_MAIN(TestHttpDownload)
#include "tst_httpdownload.moc"
