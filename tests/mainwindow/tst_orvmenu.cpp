// The main window's entries into the Orvabout library.
#include "mainwindow/orvmenu.h"
#include "orvabout/getnewversion.h"
#include "orvabout/orvabout.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class TestOrvMenu : public QObject
{
    Q_OBJECT
private slots:
    void sharedUpdateWindowClosedWithoutInstalling();
    void rightPressShowsAboutBoxLeftPressDoesNot();
    void homePageGoesToTheDesktop();
};

namespace {
// Closes the next modal window with its OK or close button; records its title.
void answerModal(QString &title)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, &title] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto *update = qobject_cast<TGetNewVers *>(modal)) {
            if (!update->btClose->isEnabled())
                return;  // the check still runs
            QTest::mouseClick(update->btClose, Qt::LeftButton);
        } else {
            QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("BitBtn1")), Qt::LeftButton);
        }
        title = modal->windowTitle();
        poll->stop();
        poll->deleteLater();
    });
    poll->start(10);
}

QMouseEvent press(Qt::MouseButton button)
{
    return QMouseEvent(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), button, button, Qt::NoModifier);
}
}  // namespace

void TestOrvMenu::sharedUpdateWindowClosedWithoutInstalling()
{
    QVERIFY(qEnvironmentVariable("ORV_UPDATE_URL").startsWith(QLatin1String("http://127.0.0.1:")));
    QWidget mainWindow;
    createSharedUpdateWindow(&mainWindow);
    QVERIFY(GetNewVers);
    QCOMPARE(GetNewVers->parentWidget(), &mainWindow);
    QString title;
    answerModal(title);
    QVERIFY(!showSharedUpdateWindow());
    QCOMPARE(title, QStringLiteral("Orv Web-Update"));
    QVERIFY(GetNewVers->CanInstall);
    QCOMPARE(GetNewVers->result(), int(TGetNewVers::ResultCancel));
    GetNewVers = nullptr;  // went with the main window
}

void TestOrvMenu::rightPressShowsAboutBoxLeftPressDoesNot()
{
    QVERIFY(!aboutOnRightPress(press(Qt::LeftButton)));
    QString title;
    answerModal(title);
    QVERIFY(aboutOnRightPress(press(Qt::RightButton)));
    QCOMPARE(title, QStringLiteral("About this marvelous program"));
}

void TestOrvMenu::homePageGoesToTheDesktop()
{
    UrlRecorder desktop;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &desktop, "open");
    openOrvHomePage();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(desktop.opened.size(), 1);
    QCOMPARE(desktop.opened.first().scheme(), QStringLiteral("https"));
}

QTEST_MAIN(TestOrvMenu)
#include "tst_orvmenu.moc"
