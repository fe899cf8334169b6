// Where the main window and the help window appear on the screen.
#include "mainwindow/windowplacement.h"

#include <QTest>

class TestWindowPlacement : public QObject {
    Q_OBJECT
private slots:
    void centred()
    {
        QCOMPARE(centredOn({470, 540}, {0, 0, 1280, 900}), QPoint(405, 180));
        QCOMPARE(centredOn({470, 540}, {1280, 30, 1024, 738}), QPoint(1280 + 277, 30 + 99));
        QCOMPARE(centredOn({470, 540}, {0, 0, 400, 500}), QPoint(0, 0));  // larger than the screen: top left
    }

    void besideTheMainWindow_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QPoint>("expected");
        // Help window 600 x 500 on a 1280 x 900 screen.
        QTest::newRow("room on the right") << QRect(100, 100, 470, 540) << QPoint(570, 100);
        QTest::newRow("room on the left only") << QRect(700, 100, 470, 540) << QPoint(100, 100);
        QTest::newRow("centred: the wider side") << QRect(405, 180, 470, 540) << QPoint(680, 180);
        QTest::newRow("kept on the screen") << QRect(405, 700, 470, 540) << QPoint(680, 400);
    }
    void besideTheMainWindow()
    {
        QFETCH(QRect, anchor);
        QFETCH(QPoint, expected);
        QCOMPARE(besideWindow(anchor, {600, 500}, {0, 0, 1280, 900}), expected);
    }
};

QTEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
