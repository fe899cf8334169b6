// The shared table of control names against the real main window: every
// name the operations can use has its widget, menu or action, every named
// control of the window is in the table (the options model's own aside),
// and the window mirrors what the operations set through each name.
#include "mainwindow/pnfab.h"
#include "mainwindow/program.h"
#include "options/optionsmodel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Part of the main window itself, not of a dialog it owns or of Qt's inside.
bool ofMainWindow(const QObject *o, const QWidget &window)
{
    if (o->objectName().startsWith(QLatin1String("qt_")))
        return false;
    for (const QObject *p = o; p && p != &window; p = p->parent()) {
        const auto *w = qobject_cast<const QWidget *>(p);
        if (w && w->isWindow() && !qobject_cast<const QMenu *>(w))
            return false;
    }
    return true;
}

// The widgets the options panel makes for the options model, under its names.
QSet<const QObject *> optionsModelWidgets(FabPanel &panel, OptionsModel &model, QWidget &window)
{
    QSet<const QObject *> widgets{panel.edFabNr, panel.edBaujahr, panel.cbF4, panel.lbF4, panel.lbExdev, panel.lbGExdev};
    for (CheckBoxModel *box : model.boxes())
        widgets.insert(panel.checkBox(QString::fromLatin1(box->name())));
    widgets.insert(window.findChild<QCheckBox *>(QString::fromLatin1(model.cbOnlyFabdata.name())));
    return widgets;
}

bool shownEnabled(QObject *target)
{
    if (auto *menu = qobject_cast<QMenu *>(target))
        return menu->menuAction()->isEnabled();
    if (auto *action = qobject_cast<QAction *>(target))
        return action->isEnabled();
    return static_cast<QWidget *>(target)->isEnabled();
}
}  // namespace

Q_DECLARE_METATYPE(Activity)

class TestControls : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void everyNameHasOneControl()
    {
        Program p(dir.filePath("quillon.INI"));
        TForm1 &w = p.form1;
        for (Control control : AllControls) {
            const QString name = controlName(control);
            qsizetype found = 0;
            for (QObject *o : w.findChildren<QObject *>(name))
                found += (o->isWidgetType() || qobject_cast<QAction *>(o)) && ofMainWindow(o, w);
            QVERIFY2(found == 1, qPrintable(name + QStringLiteral(": %1 controls").arg(found)));
            QVERIFY2(w.station.ui.target(control), qPrintable(name));
        }
    }

    void everyNamedControlIsInTheTable()
    {
        Program p(dir.filePath("quillon.INI"));
        TForm1 &w = p.form1;
        QSet<QString> table;
        for (Control control : AllControls)
            table.insert(controlName(control));
        const QSet<const QObject *> modelWidgets = optionsModelWidgets(*w.pnFab, w.station.options, w);
        QCOMPARE(modelWidgets.size(), qsizetype(w.station.options.boxes().size() + 7));
        QStringList unknown;
        for (QObject *o : w.findChildren<QObject *>()) {
            if (o->objectName().isEmpty() || !(o->isWidgetType() || qobject_cast<QAction *>(o)) || !ofMainWindow(o, w))
                continue;
            if (!modelWidgets.contains(o) && !table.contains(o->objectName()))
                unknown.append(o->objectName());
        }
        QVERIFY2(unknown.isEmpty(), qPrintable(unknown.join(QLatin1Char(' '))));
    }

    void everyControlFollowsItsFlag()
    {
        Program p(dir.filePath("quillon.INI"));
        TForm1 &w = p.form1;
        for (Control control : AllControls) {
            const bool before = w.station.ui.isEnabled(control);
            w.station.ui.setEnabled(control, false);
            QVERIFY2(!shownEnabled(w.station.ui.target(control)), qPrintable(controlName(control)));
            w.station.ui.setEnabled(control, before);
        }
        w.station.ui.setEnabled(Control::btUpdate, true);
        QVERIFY(shownEnabled(w.station.ui.target(Control::btUpdate)));
        w.station.ui.setEnabled(Control::mmUpdate, true);
        QVERIFY(shownEnabled(w.station.ui.target(Control::mmUpdate)));
    }

    // A running operation locks the commands that would start another one;
    // the cancel works while it can stop; at its end each control is as before.
    void operationLocksTheCommands_data()
    {
        QTest::addColumn<Activity>("activity");
        QTest::newRow("busy") << Activity::Busy;
        QTest::newRow("cancellable") << Activity::Cancellable;
    }
    void operationLocksTheCommands()
    {
        QFETCH(Activity, activity);
        Program p(dir.filePath("quillon.INI"));
        GuiFrontend &ui = p.form1.station.ui;
        const Control locked[] = {Control::sbComm, Control::sbOpen, Control::smOpen, Control::pnFile, Control::pnFab,
                                  Control::pnModem, Control::btKRV, Control::btUpdate, Control::sbUpdate, Control::smUpdate};
        ui.setEnabled(Control::btUpdate, true);  // an image is loaded; sbUpdate stays off
        QMap<Control, bool> before;
        for (Control control : AllControls)
            before[control] = shownEnabled(ui.target(control));

        ui.setActivity(activity);
        for (Control control : locked)
            QVERIFY2(!shownEnabled(ui.target(control)), qPrintable(controlName(control)));
        for (Control control : CancelControls)
            QCOMPARE(shownEnabled(ui.target(control)), activity == Activity::Cancellable);
        ui.setActivity(activity == Activity::Cancellable ? Activity::Busy : Activity::Cancellable);
        ui.setActivity(Activity::Idle);
        for (Control control : AllControls)
            QVERIFY2(shownEnabled(ui.target(control)) == before[control], qPrintable(controlName(control)));
    }

    // Locking the options panel and freeing it again gives each box back its
    // own state; the clock's label shows what the clock commands set.
    void optionsPanelKeepsItsBoxes()
    {
        Program p(dir.filePath("quillon.INI"));
        TForm1 &w = p.form1;
        FabPanel &panel = *w.pnFab;
        w.station.ui.setEnabled(Control::pnFab, false);
        w.station.ui.setEnabled(Control::btTime, false);
        w.station.ui.setCaption(Control::lbTime, QStringLiteral("12.03.2024 10:15:00"));
        QVERIFY(!panel.isEnabled());
        QCOMPARE(panel.lbTime->text(), QStringLiteral("12.03.2024 10:15:00"));

        w.station.ui.setEnabled(Control::pnFab, true);
        QStringList enabledBoxes;
        for (CheckBoxModel *box : w.station.options.boxes()) {
            if (panel.checkBox(QString::fromLatin1(box->name()))->isEnabled())
                enabledBoxes.append(QString::fromLatin1(box->name()));
        }
        QCOMPARE(enabledBoxes, QStringList{"cbDSfG"});
        QVERIFY(!panel.btTime->isEnabled());
        QVERIFY(panel.btSetTime->isEnabled());
    }
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
