#include "mainwindow/guifrontend.h"

#include "image/fileload.h"
#include "mainwindow/controls.h"
#include "mainwindow/formpw.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>

namespace {
// Commands that would start a second operation, load another image or change
// the interface while one runs.
constexpr Control kLockedWhileRunning[] = {Control::sbComm, Control::sbOpen, Control::smOpen, Control::pnFile,
                                           Control::pnFab, Control::pnModem, Control::btKRV, Control::btUpdate,
                                           Control::sbUpdate, Control::smUpdate};

// "Binärdatei|*.bin|..." as Qt's name filters. Names on this platform are
// case-sensitive, so a pattern takes the upper-case spelling too.
QStringList nameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString pattern = parts[i + 1];
        const QString patterns = pattern == QLatin1String("*.*")
                                     ? QStringLiteral("*")
                                     : pattern + QLatin1Char(' ') + pattern.toUpper();
        filters.append(QStringLiteral("%1 (%2)").arg(parts[i], patterns));
    }
    return filters;
}
}  // namespace

GuiFrontend::GuiFrontend(OptionsModel &options, QWidget &window) : Frontend(options), m_window(window) {}

void GuiFrontend::attach(QLabel *statusPanel0, QLabel *statusPanel1)
{
    m_panels[0] = statusPanel0;
    m_panels[1] = statusPanel1;
    for (Control control : AllControls) {
        QObject *found = nullptr;
        for (QObject *o : m_window.findChildren<QObject *>(controlName(control))) {
            if (o->isWidgetType() || qobject_cast<QAction *>(o)) {
                found = o;
                break;
            }
        }
        m_controls[static_cast<size_t>(control)] = found;
        // Device answers and file names are shown as they are, never as markup.
        if (auto *label = qobject_cast<QLabel *>(found); label && hasCaption(control))
            label->setTextFormat(Qt::PlainText);
        mirror(control);
    }
    for (int panel = 0; panel < 2; ++panel)
        m_panels[panel]->setText(status(panel));
    setLinkColour(m_colour);
}

void GuiFrontend::activityChanged(Activity before)
{
    const auto remember = [this](std::span<const Control> controls) {
        for (Control control : controls)
            m_enabledWhenIdle[static_cast<size_t>(control)] = isEnabled(control);
    };
    const auto giveBack = [this](std::span<const Control> controls) {
        for (Control control : controls)
            setEnabled(control, m_enabledWhenIdle[static_cast<size_t>(control)]);
    };
    if (before == Activity::Idle) {
        remember(kLockedWhileRunning);
        remember(CancelControls);
    }
    switch (activity()) {
    case Activity::Idle:
        giveBack(kLockedWhileRunning);
        giveBack(CancelControls);
        break;
    case Activity::Busy:
    case Activity::Cancellable:
        setEnabled(kLockedWhileRunning, false);
        setEnabled(CancelControls, activity() == Activity::Cancellable);
        break;
    }
}

void GuiFrontend::modemTask(ModemTask task, bool running)
{
    switch (task) {
    case ModemTask::Initialise:
        setEnabled(Control::btInit, !running);
        break;
    case ModemTask::HangUp:
        setEnabled(Control::btRuf, !running);
        break;
    case ModemTask::Dial:
        // No readout or upload on a line that is not up yet; the
        // initialisation stays at hand, it ends the dial.
        if (running)
            m_updateBeforeDial = isEnabled(Control::btUpdate);
        setEnabled(Control::btRuf, !running);
        setEnabled(Control::btKRV, !running);
        setEnabled(Control::btUpdate, !running && m_updateBeforeDial);
        break;
    }
}

void GuiFrontend::statusChanged(int panel)
{
    if (m_panels[panel]) {
        m_panels[panel]->setText(status(panel));
        fitStatusPanels();
    }
}

void GuiFrontend::controlChanged(Control control) { mirror(control); }

namespace {
// The width a panel needs to show its text whole.
int neededWidth(const QLabel &panel)
{
    return panel.fontMetrics().horizontalAdvance(panel.text()) + panel.width() - panel.contentsRect().width()
           + 2 * panel.margin() + panel.fontMetrics().horizontalAdvance(QLatin1Char('x'));
}
}  // namespace

// Panel 0 keeps its width unless the details need it: a result such as the
// upload's final text must be read whole, the short step name beside it can give way.
void GuiFrontend::fitStatusPanels()
{
    QLabel &panel0 = *m_panels[0];
    QLabel &panel1 = *m_panels[1];
    const int room = panel0.width() + panel1.width();
    int width0 = StatusPanel0Width;
    if (width0 + neededWidth(panel1) > room)
        width0 = qMax(qMin(neededWidth(panel0), width0), room - neededWidth(panel1));
    panel0.setFixedWidth(width0);
}

void GuiFrontend::mirror(Control name)
{
    QObject *target = this->target(name);
    if (!target)
        return;
    if (auto *action = qobject_cast<QAction *>(target)) {
        if (hasEnabled(name))
            action->setEnabled(isEnabled(name));
        return;
    }
    if (auto *menu = qobject_cast<QMenu *>(target)) {
        if (hasEnabled(name))
            menu->menuAction()->setEnabled(isEnabled(name));
        return;
    }
    // Controls of the options model keep their own state: only a flag kept
    // here is mirrored.
    auto *widget = static_cast<QWidget *>(target);
    if (hasEnabled(name))
        widget->setEnabled(isEnabled(name));
    if (auto *button = qobject_cast<QAbstractButton *>(widget); button && hasCaption(name))
        button->setText(caption(name));
    if (auto *label = qobject_cast<QLabel *>(widget); label && hasHighlight(name)) {
        // Yellow while highlighted, the normal button-face colour after.
        label->setAutoFillBackground(true);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, isHighlighted(name) ? QColor(Qt::yellow)
                                                                : m_window.palette().color(QPalette::Button));
        label->setPalette(palette);
    }
    if (auto *label = qobject_cast<QLabel *>(widget); label && hasCaption(name)) {
        // A long path or answer is shortened in the middle, whole in the tooltip.
        const QString text = caption(name);
        const QString shown =
            label->wordWrap() ? text : label->fontMetrics().elidedText(text, Qt::ElideMiddle, label->width());
        label->setText(shown);
        label->setToolTip(shown == text ? QString() : text);
        label->setAccessibleName(text);
    }
}

void GuiFrontend::showMessage(const QString &text)
{
    QMessageBox::information(&m_window, applicationTitle(), text, QMessageBox::Ok);
}

void GuiFrontend::showMessageBox(const QString &text, const QString &caption)
{
    QMessageBox::information(&m_window, caption, text, QMessageBox::Ok);
}

bool GuiFrontend::askYesNo(const QString &text)
{
    return QMessageBox::warning(&m_window, applicationTitle(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
           == QMessageBox::Yes;
}

void GuiFrontend::askReadPassword(QByteArray &readPassword)
{
    if (m_passwordDialog)
        m_passwordDialog->askReadPassword(readPassword);
}

bool GuiFrontend::askOpenFile(OpenDialog &dialog)
{
    QFileDialog box(&m_window);
    box.setObjectName(QStringLiteral("OpenDialog"));
    box.setOption(QFileDialog::DontUseNativeDialog);
    box.setFileMode(QFileDialog::ExistingFile);
    box.setAcceptMode(QFileDialog::AcceptOpen);
    const QStringList filters = nameFilters(OpenDialog::Filter);
    box.setNameFilters(filters);
    box.selectNameFilter(filters.value(qBound(1, dialog.FilterIndex, int(filters.size())) - 1));
    if (!dialog.FileName.isEmpty())
        box.selectFile(dialog.FileName);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return false;
    dialog.FileName = box.selectedFiles().constFirst();
    dialog.FilterIndex = int(filters.indexOf(box.selectedNameFilter())) + 1;
    return true;
}

void GuiFrontend::setLinkColour(LinkColour colour)
{
    m_colour = colour;
    auto *bar = qobject_cast<QWidget *>(target(Control::StatusBar));
    if (!bar)
        return;
    QPalette palette = m_window.palette();
    if (colour == LinkColour::Connected)
        palette.setColor(QPalette::Window, QColor(80, 200, 80));
    else if (colour == LinkColour::Disconnected)
        palette.setColor(QPalette::Window, QColor(230, 70, 70));
    else
        palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    bar->setAutoFillBackground(true);
    bar->setPalette(palette);
}

void GuiFrontend::setBusyCursor(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}
