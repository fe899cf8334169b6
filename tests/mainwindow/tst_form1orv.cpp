// The main window's ways into the Orvabout library: the About box from the
// menu and from a right press on "Öffnen", the update window that ends the
// program once its installer runs, and the maker's home page. The test
// program carries version data of an installed 1.0.0.5 (form1orv.qrc).
#include "mainwindow/program.h"
#include "orvabout/orvabout.h"
#include "tests/support/localhttpserver.h"
#include "tests/support/modalanswerer.h"

#include <QAction>
#include <QDesktopServices>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class TestForm1Orv : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    LocalHttpServer server;

    std::unique_ptr<Program> program() { return std::make_unique<Program>(dir.filePath("quillon.INI")); }
    void trigger(TForm1 &w, const char *action) { w.findChild<QAction *>(QLatin1String(action))->trigger(); }

    // Presses the update window's button once it is enabled with the caption.
    static void pressWhenReady(QWidget *window, const QString &caption)
    {
        auto *update = qobject_cast<TGetNewVers *>(window);
        QPushButton *button = caption == QStringLiteral("Schließen") ? update->btClose : update->btUpdate;
        auto *poll = new QTimer(update);
        QObject::connect(poll, &QTimer::timeout, update, [poll, button, caption] {
            if (button->isEnabled() && button->text() == caption) {
                poll->stop();
                poll->deleteLater();
                button->click();
            }
        });
        poll->start(10);
    }

private slots:
    void initTestCase() { qputenv("ORV_UPDATE_URL", server.baseUrl().toString().toLatin1()); }

    void aboutBoxFromMenuAndRightPress()
    {
        auto p = program();
        QCOMPARE(GetNewVers, &p->getNewVers);
        QCOMPARE(p->getNewVers.parentWidget(), &p->form1);
        ModalAnswerer answerer;
        trigger(p->form1, "smAbout");
        QTest::mousePress(p->form1.btOpen, Qt::RightButton);
        QTest::mouseRelease(p->form1.btOpen, Qt::RightButton);
        QStringList shown;
        for (const auto &seen : answerer.seen)
            shown << seen.title;
        QCOMPARE(shown, (QStringList{"About this marvelous program", "About this marvelous program"}));
    }

    void updateWindow_data()
    {
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<bool>("ended");
        QTest::newRow("closed") << QStringList{"Schließen"} << false;
        QTest::newRow("installer started") << QStringList{"Download Update", "Installiere Update"} << true;
    }

    void updateWindow()
    {
        QFETCH(QStringList, presses);
        QFETCH(bool, ended);
        server.serveVersionFile("1.0.1.0");
        server.setAnswer(QStringLiteral("/files/setup.bin"), {QByteArray(5000, 'i')});
        QDir::setCurrent(dir.path());
        UrlRecorder desktop;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &desktop, "open");
        auto p = program();
        p->form1.show();
        QVERIFY(QTest::qWaitForWindowActive(&p->form1));
        ModalAnswerer answerer;
        answerer.script << [presses](QWidget *window) {
            for (const QString &caption : presses)
                pressWhenReady(window, caption);
        };
        // The save dialog is cancelled (the file goes to the current folder);
        // the update window, active again, is left to its buttons.
        answerer.script << ModalAnswerer::press(QMessageBox::Cancel) << [](QWidget *) {};
        trigger(p->form1, "smNewVers");
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

        QVERIFY(p->getNewVers.CanInstall);
        QCOMPARE(!p->form1.isVisible(), ended);
        QCOMPARE(p->form1.station.link.CancelRequested, ended);
        QCOMPARE(desktop.opened.size(), ended ? 1 : 0);
        QVERIFY(!QFileInfo::exists(dir.filePath("quillon.INI")));  // no exit step
    }

    void homePage()
    {
        auto p = program();
        UrlRecorder desktop;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &desktop, "open");
        trigger(p->form1, "smOrvhome");
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(desktop.opened.size(), 1);
    }
};

QTEST_MAIN(TestForm1Orv)
#include "tst_form1orv.moc"
