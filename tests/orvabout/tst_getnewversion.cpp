// The web-update window against a local server: the check's verdicts, the
// installer's download with progress, cancel and close refusal, and the
// start of a saved installer.
#include "orvabout/getnewversion.h"
#include "tests/support/localhttpserver.h"

#include <QCryptographicHash>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

// Receives the desktop's "open" requests instead of a real desktop.
class OpenRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class TestGetNewVers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void check_data();
    void check();
    void downloadAndStart_data();
    void downloadAndStart();
    void cancelKeepsTheOldFileAndCloseIsRefusedMeanwhile();
    void hiddenFileNameIsRefused();
    void versInfoToInt_data();
    void versInfoToInt();

private:
    std::unique_ptr<TGetNewVers> openChecked();
    // Clicks "Download Update"; the save dialog is cancelled, so the file goes
    // to the current folder under the version file's name.
    void downloadWithDialogCancelled(TGetNewVers &window);
    QStringList log(const TGetNewVers &window) const { return window.Memo1->toPlainText().split(u'\n'); }

    LocalHttpServer m_server;
    QTemporaryDir m_folder;
    QByteArray m_installer;
};

void TestGetNewVers::initTestCase()
{
    QVERIFY(m_folder.isValid());
    // Before any window exists: the default server is never asked.
    qputenv("ORV_UPDATE_URL", m_server.baseUrl().toString().toLatin1());
    m_installer = QByteArray(1024 * 1024, 'i');
}

void TestGetNewVers::init()
{
    QDir::setCurrent(m_folder.path());
    for (const QString &name : QDir(m_folder.path()).entryList(QDir::Files))
        QFile::remove(m_folder.filePath(name));
    m_server.setAnswer(QStringLiteral("/files/setup.bin"), {m_installer});
}

std::unique_ptr<TGetNewVers> TestGetNewVers::openChecked()
{
    auto window = std::make_unique<TGetNewVers>();
    window->CanInstall = true;
    window->show();
    if (!QTest::qWaitForWindowActive(window.get()))
        return nullptr;
    // btClose comes back when the version file's download has ended.
    if (!QTest::qWaitFor([&, this] { return window->btClose->isEnabled() && log(*window).size() > 3; }, 10000))
        return nullptr;
    return window;
}

void TestGetNewVers::downloadWithDialogCancelled(TGetNewVers &window)
{
    QTimer::singleShot(0, window.SaveDialog, &QFileDialog::reject);
    QTest::mouseClick(window.btUpdate, Qt::LeftButton);
}

void TestGetNewVers::check_data()
{
    QTest::addColumn<QString>("latest");
    QTest::addColumn<bool>("reachable");
    QTest::addColumn<QString>("lastLine");
    QTest::addColumn<bool>("updateEnabled");
    QTest::newRow("newer") << "1.0.1.0" << true << "Es ist ein neuere Version verfügbar!" << true;
    QTest::newRow("equal") << "1.0.0.5" << true << "Das Programm ist auf dem aktuellen Stand!" << false;
    QTest::newRow("installed newer") << "1.0.0.4" << true << "Deine Version ist aktueller!! :-))" << false;
    QTest::newRow("no entry") << "" << true << "Keine Versionsinfo verfügbar!" << false;
    QTest::newRow("unreachable") << "1.0.1.0" << false << "Konnte Updatefile nicht finden!" << false;
}

void TestGetNewVers::check()
{
    QFETCH(QString, latest);
    QFETCH(bool, reachable);
    QFETCH(QString, lastLine);
    QFETCH(bool, updateEnabled);
    m_server.serveVersionFile(latest.toLatin1());
    if (!reachable)
        m_server.setAnswer(QStringLiteral("/sw/cur_ver.txt"), {QByteArray(), 404});
    const int before = m_server.requests(QStringLiteral("/sw/cur_ver.txt"));
    const QStringList privateFolders{QCoreApplication::applicationName() + QStringLiteral("-*")};
    const QStringList foldersBefore = QDir::temp().entryList(privateFolders, QDir::Dirs);

    auto window = openChecked();
    QVERIFY(window);
    QCOMPARE(m_server.requests(QStringLiteral("/sw/cur_ver.txt")), before + 1);
    const QStringList lines = log(*window);
    QCOMPARE(lines.mid(0, 4), (QStringList{"Installierte Version ermitteln.", "Verbinde zum Orv-Updateserver.",
                                           "Das kann dauern, bitte etwas Geduld!", "Warte auf Start des Downloads."}));
    QCOMPARE(lines.last(), lastLine);
    QCOMPARE(window->btUpdate->isEnabled(), updateEnabled);
    QVERIFY(window->btClose->isEnabled());
    QCOMPARE(window->lbName->text(), QStringLiteral("Quillon"));
    QCOMPARE(window->lbAct->text(), QStringLiteral("1.0.0.5"));
    QCOMPARE(window->lbNDate->text(), reachable && !latest.isEmpty() ? QStringLiteral("01.02.2027") : QString());
    // The version file's private folder is gone after the check.
    QCOMPARE(QDir::temp().entryList(privateFolders, QDir::Dirs), foldersBefore);
}

void TestGetNewVers::downloadAndStart_data()
{
    QTest::addColumn<QByteArray>("installer");
    QTest::addColumn<bool>("toDesktop");
    QTest::newRow("package: the desktop opens it") << m_installer << true;
    QTest::newRow("script: runs by itself") << QByteArray("#!/bin/sh\ntouch \"$0.ran\"\n").leftJustified(40000, '#') << false;
}

void TestGetNewVers::downloadAndStart()
{
    QFETCH(QByteArray, installer);
    QFETCH(bool, toDesktop);
    m_server.setAnswer(QStringLiteral("/files/setup.bin"), {installer});
    m_server.serveVersionFile("1.0.1.0", "[SHA256]\r\nQuillon=" + QCryptographicHash::hash(installer, QCryptographicHash::Sha256).toHex());
    auto window = openChecked();
    QVERIFY(window);
    const int linesBefore = log(*window).size();
    downloadWithDialogCancelled(*window);

    // "../../x" lands as "x" in the current folder; the progress line is rewritten in place.
    const QString saved = QDir::current().filePath("x");
    QCOMPARE(QFileInfo(saved).size(), installer.size());
    const QString total = QString::number(installer.size());
    QCOMPARE(log(*window).mid(linesBefore),
             (QStringList{"Warte auf Start des Downloads.", "", total + " von " + total + " Bytes downloaded.", saved,
                          "wurde erfolgreich gespeichert!", "Das Update kann nun installiert werden!"}));
    QCOMPARE(window->btUpdate->text(), QStringLiteral("Installiere Update"));

    OpenRecorder desktop;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &desktop, "open");
    QTest::mouseClick(window->btUpdate, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(window->result(), int(TGetNewVers::ResultOK));
    QCOMPARE(desktop.opened, toDesktop ? QList<QUrl>{QUrl::fromLocalFile(saved)} : QList<QUrl>{});
    if (!toDesktop)
        QTRY_VERIFY(QFileInfo::exists(saved + QStringLiteral(".ran")));
}

void TestGetNewVers::cancelKeepsTheOldFileAndCloseIsRefusedMeanwhile()
{
    m_server.serveVersionFile("1.0.1.0");
    // A server that trickles a byte now and then: only the cancel ends it soon.
    LocalHttpServer::Answer trickle{m_installer};
    trickle.trickleMs = 200;
    m_server.setAnswer(QStringLiteral("/files/setup.bin"), trickle);
    QFile old(m_folder.filePath(QStringLiteral("x")));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    auto window = openChecked();
    QVERIFY(window);

    QStringList filesMeanwhile;
    bool visibleAfterClose = false;
    QTimer whileDownloading;
    connect(&whileDownloading, &QTimer::timeout, this, [&] {
        if (!window->Memo1->toPlainText().contains(QStringLiteral(" von 1048576 Bytes")))
            return;
        whileDownloading.stop();
        filesMeanwhile = QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden);
        window->close();
        QTest::keyClick(window.get(), Qt::Key_Escape);
        visibleAfterClose = window->isVisible();
        QTest::mouseClick(window->btCancel, Qt::LeftButton);
    });
    whileDownloading.start(5);
    QElapsedTimer clock;
    clock.start();
    downloadWithDialogCancelled(*window);

    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(filesMeanwhile, QStringList{"x"});  // no temporary file to be left behind
    QVERIFY(visibleAfterClose);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old"));
    QCOMPARE(QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"x"});
    QCOMPARE(log(*window).last(), QStringLiteral("Download vom kundigen User abgebrochen!"));
    QVERIFY(!window->btUpdate->isEnabled());
    QVERIFY(!window->btCancel->isVisible());
    window->close();
    QVERIFY(!window->isVisible());
}

void TestGetNewVers::hiddenFileNameIsRefused()
{
    m_server.serveVersionFile("1.0.1.0", {}, "../.bashrc");
    const int before = m_server.requests(QStringLiteral("/files/setup.bin"));
    auto window = openChecked();
    QVERIFY(window);
    downloadWithDialogCancelled(*window);
    QCOMPARE(log(*window).last(), QStringLiteral("Das Updatefile nennt keinen gültigen Dateinamen!"));
    QCOMPARE(QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(m_server.requests(QStringLiteral("/files/setup.bin")), before);
}

void TestGetNewVers::versInfoToInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("four parts") << "3.2.0.15" << 3020015;
    QTest::newRow("three parts") << "1.2.3" << -1;
    QTest::newRow("five parts") << "1.2.3.4.5" << -1;
    QTest::newRow("overlapping weight") << "1.0.100.0" << 1010000;
    QTest::newRow("text after digits") << "1.0rc.2.3" << 1000203;
    QTest::newRow("beyond int") << "99999.0.0.0" << -1;
}

void TestGetNewVers::versInfoToInt()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(TGetNewVers::VersInfoToInt(text), value);
}

QTEST_MAIN(TestGetNewVers)
#include "tst_getnewversion.moc"
