// The About box through ShowOrvabout, in a host program without version
// data, and the web-update window its program name opens.
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
    void emptyLabelsAndUpdateWindowReturningToTheBox();
};

namespace {
// Calls answer with the modal window above `under` until answer takes it.
// Each call polls with its own timer, so an answer may open another modal.
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
}  // namespace

void TestAboutBox::emptyLabelsAndUpdateWindowReturningToTheBox()
{
    // The ctest environment points the update address at a closed local port.
    QVERIFY(qEnvironmentVariable("ORV_UPDATE_URL").startsWith(QLatin1String("http://127.0.0.1:")));
    const qsizetype windowsBefore = QApplication::topLevelWidgets().size();
    QString title;
    QStringList labels;
    QString updateLog;
    bool canInstall = false;
    bool boxStillShown = false;
    whenModal(nullptr, [&](QWidget *about) {
        title = about->windowTitle();
        for (const char *name : {"Label1", "Label5", "Label6", "Label2"})
            labels << about->findChild<QLabel *>(QLatin1String(name))->text().trimmed();
        whenModal(about, [&](QWidget *modal) {
            auto *update = qobject_cast<TGetNewVers *>(modal);
            if (!update || !update->btClose->isEnabled())
                return false;  // the check still runs
            canInstall = update->CanInstall;
            updateLog = update->Memo1->toPlainText();
            QTest::mouseClick(update->btClose, Qt::LeftButton);
            return true;
        });
        QTest::mousePress(about->findChild<QLabel *>(QStringLiteral("Label1")), Qt::LeftButton);
        boxStillShown = about->isVisible();
        QTest::mouseClick(about->findChild<QPushButton *>(QStringLiteral("BitBtn1")), Qt::LeftButton);
        return true;
    });
    ShowOrvabout();

    QCOMPARE(title, QStringLiteral("About this marvelous program"));
    QCOMPARE(labels, (QStringList{"", "", "", ""}));
    QVERIFY(canInstall);
    QVERIFY(updateLog.endsWith(QStringLiteral("Konnte Updatefile nicht finden!")));
    QVERIFY(boxStillShown);
    QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);  // both destroyed again
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
