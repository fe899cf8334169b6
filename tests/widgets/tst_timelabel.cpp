#include "widgets/timelabel.h"

#include <QDateTime>
#include <QTest>
#include <QTimer>

class TestTimeLabel : public QObject {
    Q_OBJECT
private slots:
    void modeTexts_data();
    void modeTexts();
    void timerRunsOnlyForAVisibleClock();
};

void TestTimeLabel::modeTexts_data()
{
    QTest::addColumn<TTimeLabelMode>("mode");
    QTest::addColumn<QString>("format");
    QTest::newRow("time") << tmTime << "HH:mm:ss";
    QTest::newRow("date") << tmDate << "dd.MM.yyyy";
    QTest::newRow("date and time") << tmDateTime << "dd.MM.yyyy HH:mm:ss";
}

void TestTimeLabel::modeTexts()
{
    QFETCH(TTimeLabelMode, mode);
    QFETCH(QString, format);
    TTimeLabel label;
    label.setFixedText(QStringLiteral("Bereit"));
    label.setMode(mode);
    const QDateTime now = QDateTime::currentDateTime();
    const QStringList expected{now.toString(format), now.addSecs(-1).toString(format)};
    QVERIFY2(expected.contains(label.text()), qPrintable(label.text()));

    // Going to the fixed text leaves no stale clock behind.
    label.setMode(tmText);
    QCOMPARE(label.text(), QStringLiteral("Bereit"));
    label.setFixedText(QStringLiteral("Anderer Text"));
    QCOMPARE(label.text(), QStringLiteral("Anderer Text"));
}

void TestTimeLabel::timerRunsOnlyForAVisibleClock()
{
    QWidget window;
    auto *label = new TTimeLabel(&window);
    const QTimer *timer = label->findChild<QTimer *>();
    QCOMPARE(label->interval(), 1000);
    QVERIFY(!timer->isActive());  // not shown yet
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(timer->isActive());
    label->setMode(tmText);
    QVERIFY(!timer->isActive());
    label->setMode(tmDate);
    QVERIFY(timer->isActive());
    window.hide();
    QVERIFY(!timer->isActive());

    label->setMode(tmTime);
    label->setInterval(100);
    window.show();
    const QString shown = label->text();
    QTRY_VERIFY_WITH_TIMEOUT(label->text() != shown, 2500);  // the clock goes on
}

QTEST_MAIN(TestTimeLabel)
#include "tst_timelabel.moc"
