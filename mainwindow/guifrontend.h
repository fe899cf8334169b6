#pragma once
#include "frontend/frontend.h"

#include <array>

class QLabel;
class QObject;
class QWidget;
class TPwForm;

// The window as the operations see it: status panels, captions and enabled
// flags go to the widgets, menu entries and actions of the same name; messages
// and questions are modal boxes over the window.
class GuiFrontend : public Frontend {
public:
    GuiFrontend(OptionsModel &options, QWidget &window);

    // Finds every control of the shared table in the window (and in its
    // menus) and shows the state kept so far. Called once the window is built.
    void attach(QLabel *statusPanel0, QLabel *statusPanel1);
    void setPasswordDialog(TPwForm *dialog) { m_passwordDialog = dialog; }

    void showMessage(const QString &text) override;
    void showMessageBox(const QString &text, const QString &caption) override;
    bool askYesNo(const QString &text) override;
    void askReadPassword(QByteArray &readPassword) override;
    bool askOpenFile(OpenDialog &dialog) override;
    void setLinkColour(LinkColour colour) override;
    void setBusyCursor(bool busy) override;
    void modemTask(ModemTask task, bool running) override;

    LinkColour linkColour() const { return m_colour; }

    // Status panel 0's width while panel 1's text leaves room for it.
    static constexpr int StatusPanel0Width = 250;

    // The window's widget, menu or action of a control; null before attach().
    QObject *target(Control control) const { return m_controls[static_cast<size_t>(control)]; }

protected:
    void statusChanged(int panel) override;
    void controlChanged(Control control) override;
    void activityChanged(Activity before) override;

private:
    void mirror(Control control);
    void fitStatusPanels();

    QWidget &m_window;
    std::array<QObject *, ControlCount> m_controls{};
    QLabel *m_panels[2] = {nullptr, nullptr};
    TPwForm *m_passwordDialog = nullptr;
    LinkColour m_colour = LinkColour::Normal;
    // The locked commands' and the cancel controls' states before the
    // operation, given back when it ends.
    std::array<bool, ControlCount> m_enabledWhenIdle{};
    bool m_updateBeforeDial = false;
    bool m_busy = false;
};
