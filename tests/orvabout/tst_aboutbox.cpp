// The About box, shown through ShowOrvabout in a host program without
// version data: its labels, its picture's second box and the web-update
// window it opens.
#include "orvabout/getnewversion.h"
#include "orvabout/orvabout.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestAboutBox : public QObject
{
    Q_OBJECT
private slots:
    void hostWithoutVersionDataShowsEmptyLabels();
    void pictureOpensMoreAboutOrv();
    void updateWindowClosedReturnsToAboutBox();
};

namespace {
// Calls answer with the modal window once one other than `under` is up,
// until answer takes it (returns true). Each call polls with its own timer,
// so an answer may open a further modal window.
void whenModal(QWidget *under, const std::function<bool(QWidget *)> &answer)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, under, answer] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal != under && answer(modal)) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(10);
}

template <typename T>
T *control(QWidget *window, const char *name)
{
    return window->findChild<T *>(QLatin1String(name));
}

void clickOk(QWidget *about)
{
    QTest::mouseClick(control<QPushButton>(about, "BitBtn1"), Qt::LeftButton);
}
}  // namespace

void TestAboutBox::hostWithoutVersionDataShowsEmptyLabels()
{
    const qsizetype windowsBefore = QApplication::topLevelWidgets().size();
    QString title;
    QStringList labels;
    whenModal(nullptr, [&](QWidget *about) {
        title = about->windowTitle();
        for (const char *name : {"Label1", "Label5", "Label6", "Label2"})
            labels << control<QLabel>(about, name)->text().trimmed();
        clickOk(about);
        return true;
    });
    ShowOrvabout();
    QCOMPARE(title, QStringLiteral("About this marvelous program"));
    QCOMPARE(labels, (QStringList{"", "", "", ""}));
    QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);  // destroyed again
}

void TestAboutBox::pictureOpensMoreAboutOrv()
{
    QString title;
    bool aboutStillShown = false;
    whenModal(nullptr, [&](QWidget *about) {
        whenModal(about, [&title](QWidget *more) {
            title = more->windowTitle();
            more->close();
            return true;
        });
        QTest::mouseClick(control<QLabel>(about, "Image1"), Qt::LeftButton);
        aboutStillShown = about->isVisible();
        clickOk(about);
        return true;
    });
    ShowOrvabout();
    QCOMPARE(title, QStringLiteral("More about Orv"));
    QVERIFY(aboutStillShown);
}

void TestAboutBox::updateWindowClosedReturnsToAboutBox()
{
    // The ctest environment points the update address at a closed local port.
    QVERIFY(qEnvironmentVariable("ORV_UPDATE_URL").startsWith(QLatin1String("http://127.0.0.1:")));
    bool canInstall = false;
    QString lastLine;
    bool aboutStillShown = false;
    whenModal(nullptr, [&](QWidget *about) {
        whenModal(about, [&](QWidget *modal) {
            auto *update = qobject_cast<TGetNewVers *>(modal);
            if (!update || !update->btClose->isEnabled())
                return false;  // the check is still running
            canInstall = update->CanInstall;
            lastLine = update->findChild<QPlainTextEdit *>()->toPlainText().section(u'\n', -1);
            QTest::mouseClick(update->btClose, Qt::LeftButton);
            return true;
        });
        QTest::mousePress(control<QLabel>(about, "Label1"), Qt::LeftButton);
        aboutStillShown = about->isVisible();
        clickOk(about);
        return true;
    });
    ShowOrvabout();
    QVERIFY(canInstall);
    QCOMPARE(lastLine, QStringLiteral("Konnte Updatefile nicht finden!"));
    QVERIFY(aboutStillShown);
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
