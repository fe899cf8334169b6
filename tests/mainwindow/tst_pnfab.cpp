#include "mainwindow/pnfab.h"

#include "tests/support/fakefrontend.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>

namespace {
// In keyboard order.
const QStringList kAllBoxes{"cbPTB", "cb470Z", "cbU230", "cb20", "cb40", "cbU24", "cbKlemm", "cbRTC",
                            "cbNetz", "cbAnalog", "cbBatt", "cb512", "cb465", "cbRes3", "cbDSfG", "cbMaster"};

// Clicks a check box on its indicator, as a user would.
void click(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
}

QStringList boxesWhere(const FabPanel &panel, bool (QCheckBox::*state)() const)
{
    QStringList result;
    for (const QString &name : kAllBoxes) {
        if ((panel.checkBox(name)->*state)())
            result.append(name);
    }
    return result;
}

QStringList checkedBoxes(const FabPanel &panel)
{
    return boxesWhere(panel, &QCheckBox::isChecked);
}
}  // namespace

class TestPnFab : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsLikeTheModelInItsGrid();
    void modelChangesReachTheWidgets();
    void clicksRunTheRules();
    void typingAndChoosingReachTheModel();
    void tabOrder();

private:
    TestStation *st = nullptr;
    FabPanel *panel = nullptr;
};

void TestPnFab::init()
{
    st = new TestStation;
    panel = new FabPanel(st->options);
    panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel));
}

void TestPnFab::cleanup()
{
    delete panel;
    delete st;
}

void TestPnFab::startsLikeTheModelInItsGrid()
{
    QVERIFY(!panel->edFabNr->isEnabled() && !panel->edBaujahr->isEnabled());
    QCOMPARE(panel->edFabNr->maxLength(), 12);
    QCOMPARE(panel->edBaujahr->maxLength(), 4);
    QStringList items;
    for (int i = 0; i < panel->cbF4->count(); ++i)
        items.append(panel->cbF4->itemText(i));
    QCOMPARE(items, OptionsModel::F4Items);
    QCOMPARE(panel->cbF4->maxVisibleItems(), 5);
    QVERIFY(panel->cbF4->isEnabled() && !panel->cbF4->isEditable());
    QVERIFY(panel->lbExdev->isHidden() && panel->lbGExdev->isHidden());
    QCOMPARE(panel->lbF4->text(), st->options.lbF4.caption);
    QCOMPARE(boxesWhere(*panel, &QCheckBox::isEnabled), QStringList{"cbDSfG"});
    QCOMPARE(checkedBoxes(*panel), QStringList());

    // Four columns by four rows, one box a cell, all inside the panel and
    // between the edits and pnFunc; every box and button shows the hand.
    QSet<QPair<int, int>> cells;
    for (const QString &name : kAllBoxes) {
        QCheckBox *box = panel->checkBox(name);
        const QRect r = box->geometry();
        QVERIFY2(QList<int>({12, 136, 260, 384}).contains(r.x()) && QList<int>({55, 79, 103, 127}).contains(r.y()),
                 qPrintable(name));
        QVERIFY2(r.right() < panel->width() && r.bottom() < panel->pnFunc->y(), qPrintable(name));
        QCOMPARE(box->cursor().shape(), Qt::PointingHandCursor);
        cells.insert({r.x(), r.y()});
    }
    QCOMPARE(cells.size(), 16);
    QCOMPARE(panel->checkBox("cbPTB")->pos(), QPoint(12, 55));
    QCOMPARE(panel->checkBox("cb465")->pos(), QPoint(384, 127));
    QVERIFY(panel->edFabNr->geometry().bottom() < 55);
    QCOMPARE(panel->btTime->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(panel->btTime->parentWidget(), panel->pnFunc);
}

void TestPnFab::modelChangesReachTheWidgets()
{
    OptionsModel &m = st->options;
    m.setFabNr(QStringLiteral("000000004711"));
    m.setF4Index(6);
    m.cb465.setChecked(true);
    m.cb40.setCaption(QStringLiteral("AT49BV040"));
    m.cbDSfG.setEnabled(false);
    m.setLabel(m.lbGExdev, QStringLiteral("3"), true);

    QCOMPARE(panel->edFabNr->text(), QStringLiteral("000000004711"));
    QCOMPARE(panel->cbF4->currentText(), QStringLiteral("Keine Funktion"));
    QCOMPARE(checkedBoxes(*panel), QStringList{"cb465"});
    QCOMPARE(panel->checkBox("cb40")->text(), QStringLiteral("AT49BV040"));
    QVERIFY(!panel->checkBox("cbDSfG")->isEnabled());
    QVERIFY(panel->lbGExdev->isVisible());
    QCOMPARE(panel->lbGExdev->text(), QStringLiteral("3"));
}

void TestPnFab::clicksRunTheRules()
{
    st->image.FileAnalogInputs = 4;
    for (CheckBoxModel *box : {&st->options.cb470Z, &st->options.cbBatt, &st->options.cbU24, &st->options.cbU230})
        box->setEnabled(true);
    click(panel->checkBox("cbBatt"));
    click(panel->checkBox("cbU24"));
    QCOMPARE(checkedBoxes(*panel), (QStringList{"cbU24", "cbBatt"}));

    click(panel->checkBox("cb470Z"));
    click(panel->checkBox("cbU230"));
    QVERIFY(st->options.cb470Z.checked() && st->options.cbU230.checked());
    QCOMPARE(checkedBoxes(*panel), (QStringList{"cb470Z", "cbU230", "cbKlemm"}));
    QVERIFY(!panel->checkBox("cbKlemm")->isEnabled() && !panel->checkBox("cbBatt")->isEnabled());
    QCOMPARE(panel->checkBox("cbAnalog")->text(), QStringLiteral("4 Analogeingänge"));

    // A locked box does not take a click.
    click(panel->checkBox("cbBatt"));
    QVERIFY(!st->options.cbBatt.checked());

    click(panel->checkBox("cb470Z"));
    QCOMPARE(checkedBoxes(*panel), QStringList{"cbU230"});
    QVERIFY(panel->checkBox("cbKlemm")->isEnabled() && panel->checkBox("cbBatt")->isEnabled());
    QCOMPARE(panel->checkBox("cbAnalog")->text(), QStringLiteral("2 Analogeingänge"));
}

void TestPnFab::typingAndChoosingReachTheModel()
{
    // No part of the program unlocks the edits; the widgets must still hand
    // what they hold to the model, within the lengths of the factory data.
    st->options.edFabNr.enabled = true;
    st->options.edBaujahr.enabled = true;
    st->options.setFabNr(QString());
    QTest::keyClicks(panel->edFabNr, QStringLiteral("1234567890ABCDEF"));
    QTest::keyClicks(panel->edBaujahr, QStringLiteral("200812"));
    QCOMPARE(st->options.edFabNr.text, QStringLiteral("1234567890AB"));
    QCOMPARE(st->options.edBaujahr.text, QStringLiteral("2008"));
    QTest::keyClick(panel->edBaujahr, Qt::Key_Backspace);
    QCOMPARE(st->options.edBaujahr.text, QStringLiteral("200"));

    QTest::keyClick(panel->cbF4, Qt::Key_Down);
    QTest::keyClick(panel->cbF4, Qt::Key_Down);
    QCOMPARE(st->options.cbF4, 2);
    QTest::keyClick(panel->cbF4, Qt::Key_End);
    QCOMPARE(st->options.cbF4, 6);
}

void TestPnFab::tabOrder()
{
    QStringList order;
    QWidget *w = panel->edFabNr;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order.append(w->objectName());
        w = w->nextInFocusChain();
    } while (w != panel->edFabNr);
    const QStringList expected = QStringList{"edFabNr", "edBaujahr", "cbF4"} + kAllBoxes + QStringList{"btSetTime", "btTime"};
    QCOMPARE(order, expected);
}

QTEST_MAIN(TestPnFab)
#include "tst_pnfab.moc"
