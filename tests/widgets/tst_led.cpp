#include "widgets/led.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

class TestLed : public QObject {
    Q_OBJECT
private slots:
    void colourIsShownAndSpoken();
    void lampAndCaptionClick();
    void captionPositions_data();
    void captionPositions();
};

void TestLed::colourIsShownAndSpoken()
{
    TLEDLabel led;
    led.setCaption(QStringLiteral("RTS"));
    QCOMPARE(led.accessibleName(), QStringLiteral("RTS"));
    for (const auto &[colour, spoken] : {std::pair{lcRed, "rot"}, {lcYellow, "gelb"}, {lcGreen, "grün"}}) {
        led.setColor(colour);
        QCOMPARE(led.findChild<TLED *>()->color(), colour);
        QCOMPARE(led.accessibleDescription(), QString::fromUtf8(spoken));
    }
}

void TestLed::lampAndCaptionClick()
{
    TLEDLabel led;
    led.setCaption(QStringLiteral("DTR"));
    led.show();
    QVERIFY(QTest::qWaitForWindowExposed(&led));
    QSignalSpy clicks(&led, &TLEDLabel::clicked);
    for (QWidget *part : QList<QWidget *>{led.findChild<TLED *>(), led.findChild<QLabel *>()}) {
        QTest::mouseClick(part, Qt::LeftButton);
        // Neither the right button nor a release away from the widget clicks.
        QTest::mouseClick(part, Qt::RightButton);
        QTest::mousePress(part, Qt::LeftButton);
        QTest::mouseRelease(part, Qt::LeftButton, {}, part->rect().bottomRight() + QPoint(3, 3));
    }
    QCOMPARE(clicks.count(), 2);
}

void TestLed::captionPositions_data()
{
    QTest::addColumn<TLabelPosition>("position");
    QTest::newRow("left") << lpLeft;
    QTest::newRow("right") << lpRight;
    QTest::newRow("above") << lpAbove;
    QTest::newRow("below") << lpBelow;
}

void TestLed::captionPositions()
{
    QFETCH(TLabelPosition, position);
    TLEDLabel led;
    led.setCaption(QStringLiteral("Leitung"));
    led.show();
    QVERIFY(QTest::qWaitForWindowExposed(&led));
    led.setLabelPosition(position);  // a change after showing lays out again
    led.resize(led.sizeHint());
    QCoreApplication::processEvents();

    const QRect lamp = led.findChild<TLED *>()->geometry();
    const QRect caption = led.findChild<QLabel *>()->geometry();
    QVERIFY(caption.width() >= led.fontMetrics().horizontalAdvance(QStringLiteral("Leitung")));
    QVERIFY(!lamp.isEmpty() && led.rect().contains(lamp) && led.rect().contains(caption));
    const bool placed[] = {caption.right() < lamp.left(), lamp.right() < caption.left(),
                           caption.bottom() < lamp.top(), lamp.bottom() < caption.top()};
    QVERIFY(placed[position]);  // beside it on the wanted side, so no overlap
}

QTEST_MAIN(TestLed)
#include "tst_led.moc"
