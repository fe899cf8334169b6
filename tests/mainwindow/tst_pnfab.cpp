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
// Clicks a check box on its indicator, as a user would.
void click(QCheckBox *box)
{
    QVERIFY(box);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
}

QStringList checkedBoxes(const FabPanel &panel, const QStringList &names)
{
    QStringList result;
    for (const QString &name : names) {
        if (panel.checkBox(name)->isChecked())
            result.append(name);
    }
    return result;
}

const QStringList kAllBoxes{"cbPTB", "cb470Z", "cbU230", "cb20", "cb40", "cbU24", "cbKlemm", "cbRTC",
                            "cbNetz", "cbAnalog", "cbBatt", "cb512", "cb465", "cbRes3", "cbDSfG", "cbMaster"};
}  // namespace

class TestPnFab : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsLikeTheModel();
    void boxesFillTheGrid();
    void modelChangesReachTheWidgets();
    void clickOnTheRackBoxRunsTheRule();
    void clicksOnTheSupplyBoxesExcludeEachOther();
    void typingAndChoosingReachTheModel();
    void tabOrder();
    void mirrorsTheFrontendState();

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

void TestPnFab::startsLikeTheModel()
{
    QCOMPARE(panel->size(), QSize(470, 201));
    QVERIFY(panel->edFabNr->text().isEmpty() && !panel->edFabNr->isEnabled());
    QVERIFY(panel->edBaujahr->text().isEmpty() && !panel->edBaujahr->isEnabled());
    QCOMPARE(panel->edFabNr->maxLength(), 12);
    QCOMPARE(panel->edBaujahr->maxLength(), 4);
    QVERIFY(panel->edFabNr->font().fixedPitch() || QFontInfo(panel->edFabNr->font()).fixedPitch());

    QStringList items;
    for (int i = 0; i < panel->cbF4->count(); ++i)
        items.append(panel->cbF4->itemText(i));
    QCOMPARE(items, OptionsModel::F4Items);
    QCOMPARE(items.at(1), QStringLiteral("Eingangszähler der Tagessätze, wie ODAS E"));
    QCOMPARE(panel->cbF4->currentIndex(), 0);
    QVERIFY(panel->cbF4->isEnabled() && !panel->cbF4->isEditable());
    QCOMPARE(panel->cbF4->maxVisibleItems(), 5);
    QCOMPARE(panel->lbF4->text(), QStringLiteral("Funktion der F4-Taste"));
    QVERIFY(panel->lbExdev->isHidden() && panel->lbGExdev->isHidden());

    QStringList enabled;
    for (const QString &name : kAllBoxes) {
        QCheckBox *box = panel->checkBox(name);
        QVERIFY2(box, qPrintable(name));
        QVERIFY2(!box->isChecked(), qPrintable(name));
        QCOMPARE(box->cursor().shape(), Qt::PointingHandCursor);
        if (box->isEnabled())
            enabled.append(name);
    }
    QCOMPARE(enabled, QStringList{"cbDSfG"});
    QCOMPARE(panel->checkBox("cbAnalog")->text(), QStringLiteral("Analogeingänge"));
    QCOMPARE(panel->checkBox("cb470Z")->toolTip(), QStringLiteral("KRV470Z in 19\" Ausführung"));
    QCOMPARE(panel->checkBox("cb470Z")->statusTip(), panel->checkBox("cb470Z")->toolTip());

    QVERIFY(panel->btSetTime->isEnabled() && panel->btTime->isEnabled());
    QCOMPARE(panel->btSetTime->text(), QStringLiteral("Uhr stellen"));
    QCOMPARE(panel->btTime->text(), QStringLiteral("Systemzeit"));
    QCOMPARE(panel->btTime->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(panel->lbTime->text(), QStringLiteral("..."));
    QCOMPARE(panel->btTime->parentWidget(), panel->pnFunc);
}

void TestPnFab::boxesFillTheGrid()
{
    // Four columns by four rows, one box a cell, below the edits and above pnFunc.
    QSet<QPair<int, int>> cells;
    for (const QString &name : kAllBoxes) {
        const QRect r = panel->checkBox(name)->geometry();
        QVERIFY2(QList<int>({12, 136, 260, 384}).contains(r.x()), qPrintable(name));
        QVERIFY2(QList<int>({55, 79, 103, 127}).contains(r.y()), qPrintable(name));
        QVERIFY2(r.right() < panel->width(), qPrintable(name));
        cells.insert({r.x(), r.y()});
    }
    QCOMPARE(cells.size(), 16);
    QCOMPARE(panel->checkBox("cbPTB")->pos(), QPoint(12, 55));
    QCOMPARE(panel->checkBox("cb465")->pos(), QPoint(384, 127));
    QVERIFY(panel->edFabNr->geometry().bottom() < 55);
    QVERIFY(panel->pnFunc->geometry().top() > 127 + 17);
    QVERIFY(panel->pnFunc->geometry().bottom() < panel->height());
}

void TestPnFab::modelChangesReachTheWidgets()
{
    OptionsModel &m = st->options;
    m.setFabNr(QStringLiteral("000000004711"));
    m.setBaujahr(QStringLiteral("2008"));
    m.setF4Index(6);
    m.cb465.setChecked(true);
    m.cb40.setCaption(QStringLiteral("AT49BV040"));
    m.cbDSfG.setEnabled(false);
    m.setLabel(m.lbGExdev, QStringLiteral("3"), true);
    m.setLabel(m.lbF4, QStringLiteral("Funktion der 'Doppel-C-Taste'"), true);

    QCOMPARE(panel->edFabNr->text(), QStringLiteral("000000004711"));
    QCOMPARE(panel->edBaujahr->text(), QStringLiteral("2008"));
    QCOMPARE(panel->cbF4->currentText(), QStringLiteral("Keine Funktion"));
    QCOMPARE(checkedBoxes(*panel, kAllBoxes), QStringList{"cb465"});
    QCOMPARE(panel->checkBox("cb40")->text(), QStringLiteral("AT49BV040"));
    QVERIFY(!panel->checkBox("cbDSfG")->isEnabled());
    QVERIFY(panel->lbGExdev->isVisible());
    QCOMPARE(panel->lbGExdev->text(), QStringLiteral("3"));
    QCOMPARE(panel->lbF4->text(), QStringLiteral("Funktion der 'Doppel-C-Taste'"));
}

void TestPnFab::clickOnTheRackBoxRunsTheRule()
{
    st->image.FileAnalogInputs = 4;
    st->options.cb470Z.setEnabled(true);
    st->options.cbBatt.setEnabled(true);
    click(panel->checkBox("cbBatt"));
    QVERIFY(st->options.cbBatt.checked());

    click(panel->checkBox("cb470Z"));
    QVERIFY(st->options.cb470Z.checked());
    QCOMPARE(checkedBoxes(*panel, kAllBoxes), (QStringList{"cb470Z", "cbKlemm"}));
    QVERIFY(!panel->checkBox("cbKlemm")->isEnabled());
    QVERIFY(!panel->checkBox("cbBatt")->isEnabled());
    QCOMPARE(panel->checkBox("cbAnalog")->text(), QStringLiteral("4 Analogeingänge"));

    click(panel->checkBox("cb470Z"));
    QVERIFY(!st->options.cb470Z.checked());
    QCOMPARE(checkedBoxes(*panel, kAllBoxes), QStringList());
    QVERIFY(panel->checkBox("cbKlemm")->isEnabled() && panel->checkBox("cbBatt")->isEnabled());
    QCOMPARE(panel->checkBox("cbAnalog")->text(), QStringLiteral("2 Analogeingänge"));
}

void TestPnFab::clicksOnTheSupplyBoxesExcludeEachOther()
{
    st->options.cbU24.setEnabled(true);
    st->options.cbU230.setEnabled(true);
    const QStringList supply{"cbU230", "cbU24"};

    click(panel->checkBox("cbU24"));
    QCOMPARE(checkedBoxes(*panel, supply), QStringList{"cbU24"});
    click(panel->checkBox("cbU230"));
    QCOMPARE(checkedBoxes(*panel, supply), QStringList{"cbU230"});
    QVERIFY(st->options.cbU230.checked() && !st->options.cbU24.checked());
    click(panel->checkBox("cbU230"));
    QCOMPARE(checkedBoxes(*panel, supply), QStringList());
    QVERIFY(!st->options.cbU230.checked());

    // A disabled box does not take a click.
    st->options.cbU24.setEnabled(false);
    click(panel->checkBox("cbU24"));
    QVERIFY(!st->options.cbU24.checked());
}

void TestPnFab::typingAndChoosingReachTheModel()
{
    // No part of the program unlocks the edits; the widgets must still hand
    // what they hold to the model, within the lengths of the factory data.
    st->options.edFabNr.enabled = true;
    st->options.edBaujahr.enabled = true;
    st->options.setFabNr(QString());
    QVERIFY(panel->edFabNr->isEnabled() && panel->edBaujahr->isEnabled());
    QTest::keyClicks(panel->edFabNr, QStringLiteral("1234567890ABCDEF"));
    QTest::keyClicks(panel->edBaujahr, QStringLiteral("200812"));
    QCOMPARE(st->options.edFabNr.text, QStringLiteral("1234567890AB"));
    QCOMPARE(st->options.edBaujahr.text, QStringLiteral("2008"));
    QTest::keyClick(panel->edBaujahr, Qt::Key_Backspace);
    QCOMPARE(st->options.edBaujahr.text, QStringLiteral("200"));

    panel->cbF4->setFocus();
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
    QStringList expected{"edFabNr", "edBaujahr", "cbF4"};
    expected << "cbPTB" << "cb470Z" << "cbU230" << "cb20" << "cb40" << "cbU24" << "cbKlemm" << "cbRTC"
             << "cbNetz" << "cbAnalog" << "cbBatt" << "cb512" << "cb465" << "cbRes3" << "cbDSfG" << "cbMaster"
             << "btSetTime" << "btTime";
    QCOMPARE(order, expected);
}

void TestPnFab::mirrorsTheFrontendState()
{
    FakeFrontend &ui = st->ui;
    panel->mirror(ui);
    QVERIFY(panel->isEnabled());
    QCOMPARE(panel->lbTime->text(), QStringLiteral("..."));

    ui.setCaption(QStringLiteral("lbTime"), QStringLiteral("12.03.2024 10:15:00"));
    ui.setCaption(QStringLiteral("lbVersion"), QStringLiteral("not ours"));
    ui.setEnabled(QStringLiteral("pnFab"), false);
    ui.setEnabled(QStringLiteral("btTime"), false);
    for (const char *name : {"lbTime", "lbVersion", "pnFab", "btTime"})
        panel->mirror(ui, QString::fromLatin1(name));
    QCOMPARE(panel->lbTime->text(), QStringLiteral("12.03.2024 10:15:00"));
    QVERIFY(!panel->isEnabled());
    QVERIFY(!panel->checkBox("cbDSfG")->isEnabled());
    QVERIFY(!panel->btTime->isEnabledTo(panel->pnFunc));
    QVERIFY(panel->btSetTime->isEnabledTo(panel->pnFunc));

    // Unlocking the panel gives each box back its own state.
    ui.setEnabled(QStringLiteral("pnFab"), true);
    panel->mirror(ui, QStringLiteral("pnFab"));
    QVERIFY(panel->checkBox("cbDSfG")->isEnabled());
    QVERIFY(!panel->checkBox("cbPTB")->isEnabled());
    QVERIFY(!panel->btTime->isEnabled());
}

QTEST_MAIN(TestPnFab)
#include "tst_pnfab.moc"
