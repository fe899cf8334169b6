// The blocking download: bounded in time and size however the server
// behaves, an existing file kept unless a complete download replaces it,
// and no temporary file to be seen beside it meanwhile.
#include "orvabout/httpdownload.h"
#include "tests/support/localhttpserver.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
const QByteArray OldFile = "the installer that was here";
const HttpDownload::Limits Short{64 * 1024, 1500};

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}
}

class TestHttpDownload : public QObject
{
    Q_OBJECT
private slots:
    void failureKeepsTheOldFile_data();
    void failureKeepsTheOldFile();
    void completeDownloadReplacesTheOldFile();
    void fetchIntoMemoryIsBoundedToo_data();
    void fetchIntoMemoryIsBoundedToo();

private:
    LocalHttpServer m_server;
};

void TestHttpDownload::failureKeepsTheOldFile_data()
{
    QTest::addColumn<LocalHttpServer::Answer>("answer");
    QTest::addColumn<QString>("sha256");
    QTest::addColumn<bool>("abortAfter300ms");
    QTest::addColumn<QString>("error");
    const QByteArray body(50000, 's');  // within the size limit
    LocalHttpServer::Answer stalled{body, 200, 16384};
    LocalHttpServer::Answer trickle{body};
    trickle.trickleMs = 100;
    LocalHttpServer::Answer declaredHuge;
    declaredHuge.fillTo = qint64(200) << 20;
    LocalHttpServer::Answer undeclaredHuge = declaredHuge;
    undeclaredHuge.sendLength = false;
    QTest::newRow("stalls") << stalled << QString() << false << "Der Server hat 0.3 s lang nichts gesendet.";
    QTest::newRow("trickles") << trickle << QString() << false << "Der Download hat länger als 1.5 s gedauert.";
    QTest::newRow("declares 200 MB") << declaredHuge << QString() << false << "Die Datei ist größer als 65536 Bytes.";
    QTest::newRow("sends 200 MB") << undeclaredHuge << QString() << false << "Die Datei ist größer als 65536 Bytes.";
    QTest::newRow("not found") << LocalHttpServer::Answer{"gone", 404} << QString() << false
                               << "Der Server antwortet mit HTTP-Status 404.";
    QTest::newRow("wrong checksum") << LocalHttpServer::Answer{body} << QString(64, u'0') << false
                                    << "Die Prüfsumme des Downloads stimmt nicht, die Datei wurde gelöscht!";
    QTest::newRow("cancelled") << trickle << QString() << true << "Der Download wurde abgebrochen.";
}

void TestHttpDownload::failureKeepsTheOldFile()
{
    QFETCH(LocalHttpServer::Answer, answer);
    QFETCH(QString, sha256);
    QFETCH(bool, abortAfter300ms);
    QFETCH(QString, error);
    m_server.setAnswer(QStringLiteral("/file"), answer);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("setup.bin"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(OldFile) == OldFile.size());
    }
    HttpDownload download;
    download.stallTimeoutMs = 300;
    // Meanwhile the folder shows the old file alone: a kill leaves nothing behind.
    QStringList seenMeanwhile;
    QTimer look;
    connect(&look, &QTimer::timeout, this, [&] {
        for (const QString &name : QDir(folder.path()).entryList(QDir::Files | QDir::Hidden))
            if (!seenMeanwhile.contains(name))
                seenMeanwhile.append(name);
    });
    look.start(20);
    if (abortAfter300ms)
        QTimer::singleShot(300, this, [&download] { download.abort(); });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!download.run(QUrl(m_server.baseUrl().toString() + "/file"), path, Short, {}, sha256));
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(download.errorString(), error);
    QCOMPARE(download.aborted(), abortAfter300ms);
    QCOMPARE(contentOf(path), OldFile);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"setup.bin"});
    QVERIFY2(seenMeanwhile.isEmpty() || seenMeanwhile == QStringList{"setup.bin"}, qPrintable(seenMeanwhile.join(' ')));
}

void TestHttpDownload::completeDownloadReplacesTheOldFile()
{
    const QByteArray body(300000, 'n');
    m_server.setAnswer(QStringLiteral("/file"), {body});
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("setup.bin"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write(OldFile) == OldFile.size());
    old.close();
    QList<qint64> reports;
    HttpDownload download;
    QVERIFY(download.run(QUrl(m_server.baseUrl().toString() + "/file"), path, HttpDownload::InstallerLimits,
                         [&reports](qint64 received, qint64 total) {
                             reports.append(total == 300000 ? received : -1);
                             return true;
                         },
                         QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex().toUpper())));
    QCOMPARE(contentOf(path), body);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"setup.bin"});
    QVERIFY(reports.size() > 1 && !reports.contains(-1));
    QCOMPARE(reports.last(), 300000);
}

void TestHttpDownload::fetchIntoMemoryIsBoundedToo_data()
{
    QTest::addColumn<LocalHttpServer::Answer>("answer");
    QTest::addColumn<QString>("error");  // empty: the body arrives
    LocalHttpServer::Answer trickle{"[Currentversions]\r\nQuillon=1.0.0.0\r\n"};
    trickle.trickleMs = 100;
    LocalHttpServer::Answer huge;
    huge.fillTo = qint64(200) << 20;
    huge.sendLength = false;
    QTest::newRow("small") << LocalHttpServer::Answer{"[Currentversions]\r\n"} << QString();
    QTest::newRow("trickles") << trickle << "Der Download hat länger als 1.5 s gedauert.";
    QTest::newRow("huge") << huge << "Die Datei ist größer als 65536 Bytes.";
}

void TestHttpDownload::fetchIntoMemoryIsBoundedToo()
{
    QFETCH(LocalHttpServer::Answer, answer);
    QFETCH(QString, error);
    m_server.setAnswer(QStringLiteral("/cur_ver.txt"), answer);
    HttpDownload download;
    QElapsedTimer clock;
    clock.start();
    const std::optional<QByteArray> body = download.fetch(QUrl(m_server.baseUrl().toString() + "/cur_ver.txt"), Short);
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(download.errorString(), error);
    QCOMPARE(body.has_value(), error.isEmpty());
    if (body)
        QCOMPARE(*body, answer.body);
}

QTEST_MAIN(TestHttpDownload)
#include "tst_httpdownload.moc"
