// On Windows the help window shows the manual's pages installed beside the
// program ("help" in its folder): each help context opens its page from
// there, and the finder lists and searches those pages.
#include "mainwindow/helpwindow.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QLineEdit>
#include <QTest>
#include <QTextBrowser>

namespace {
QString installedPage(const QString &file) { return QCoreApplication::applicationDirPath() + QStringLiteral("/help/") + file; }
}  // namespace

class TestHelpWindowWin32 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(QFileInfo::exists(installedPage(QStringLiteral("index.html"))), "no help folder beside the test"); }

    void topicFromTheInstalledPage_data()
    {
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("file");
        QTest::newRow("upload") << 4 << "upload.html";
        QTest::newRow("toolbar") << 49 << "symbolleiste.html";
        QTest::newRow("no page of its own: the contents") << 999 << "index.html";
    }

    void topicFromTheInstalledPage()
    {
        QFETCH(int, context);
        QFETCH(QString, file);
        HelpWindow w;
        w.showTopic(context);
        QCOMPARE(w.currentFile(), file);
        QCOMPARE(QFileInfo(w.browser->source().toLocalFile()), QFileInfo(installedPage(file)));
        QVERIFY(!w.browser->toPlainText().trimmed().isEmpty());
    }

    void finderListsTheInstalledPages()
    {
        HelpWindow w;
        const QStringList pages = QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/help"))
                                      .entryList({QStringLiteral("*.html")}, QDir::Files);
        QCOMPARE(w.lbTopics->count(), pages.size());
        w.edSearch->setText(QStringLiteral("Passwort"));
        QVERIFY(w.lbTopics->count() > 0);
        QVERIFY(w.lbTopics->count() < pages.size());
    }
};

// Windows on no screen. Set here: Wine passes no QT_* variable on to the program.
int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestHelpWindowWin32 test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_helpwindow_win32.moc"
