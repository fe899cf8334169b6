#pragma once
#include "frontend/control.h"

#include <QString>
#include <array>
#include <optional>
#include <span>

class OptionsModel;
struct OpenDialog;

// Colour of the status bar: shows the TCP link.
enum class LinkColour { Normal, Connected, Disconnected };

// What a running device operation allows. The window locks its commands
// while one runs and offers the cancel while it can stop; the CLI shows nothing.
enum class Activity {
    Idle,         // no operation runs
    Busy,         // one runs and cannot be stopped now
    Cancellable,  // one runs and stops at the cancel
};

// What the modem does; the window's modem panel holds its buttons meanwhile.
enum class ModemTask { Initialise, Dial, HangUp };

// Everything an operation needs of the window, and nothing more. The GUI shows
// it with widgets, the CLI on the terminal, tests with a scripted fake.
//
// The state part (status panels, captions and enabled flags of the window's
// controls) is kept here so every front end reads the same values;
// statusChanged() and controlChanged() tell a front end what to mirror.
class Frontend {
public:
    explicit Frontend(OptionsModel &options);
    virtual ~Frontend() = default;

    // Status line: panel 0 names the operation, panel 1 holds the details.
    void setStatus(int panel, const QString &text);
    QString status(int panel) const;

    // Caption of a label or button outside the options panel (lbVersion, lbTime, btRuf, ...).
    void setCaption(Control control, const QString &text);
    QString caption(Control control) const { return at(m_captions, control).value_or(QString()); }
    bool hasCaption(Control control) const { return at(m_captions, control).has_value(); }

    // Enabled state of a control outside the options panel (pnFile,
    // btUpdate, sbAbbruch, smUpdate, ...).
    void setEnabled(Control control, bool enabled);
    void setEnabled(std::span<const Control> controls, bool enabled);
    bool isEnabled(Control control) const { return at(m_enabled, control).value_or(true); }
    // The flag was set: the control's enabled state is kept here.
    bool hasEnabled(Control control) const { return at(m_enabled, control).has_value(); }

    // A label's signal background (lbMoMeld is yellow while the carrier is
    // present); off: the normal button-face colour.
    void setHighlighted(Control control, bool on);
    bool isHighlighted(Control control) const { return at(m_highlighted, control).value_or(false); }
    // The highlight was set or cleared: the label's background is kept here.
    bool hasHighlight(Control control) const { return at(m_highlighted, control).has_value(); }

    // The running operation's state.
    void setActivity(Activity activity);
    Activity activity() const { return m_activity; }

    // The modem starts (running) or ends a task.
    virtual void modemTask(ModemTask task, bool running) { Q_UNUSED(task); Q_UNUSED(running); }

    // The user asked to end the program. A device operation that fails from
    // now on was ended by that request: it says nothing about the device, and
    // the exit would wait on a box.
    void setExitRequested() { m_exitRequested = true; }
    bool exitRequested() const { return m_exitRequested; }

    OptionsModel &options() { return m_options; }
    const OptionsModel &options() const { return m_options; }

    // Plain message box with OK (ShowMessage).
    virtual void showMessage(const QString &text) = 0;
    // Message box with a caption and OK (the application's MessageBox).
    virtual void showMessageBox(const QString &text, const QString &caption) = 0;
    // Modal warning with Yes and No; true for Yes.
    virtual bool askYesNo(const QString &text) = 0;
    // The read-password dialog. Leaves readPassword as the dialog leaves it:
    // the typed text (confirm), empty (give up), unchanged (close box).
    virtual void askReadPassword(QByteArray &readPassword) = 0;

    // The file-open dialog, preset from and written back to dialog; false
    // when it was cancelled. Front ends without one cancel.
    virtual bool askOpenFile(OpenDialog &dialog) { Q_UNUSED(dialog); return false; }

    virtual void setLinkColour(LinkColour) {}
    virtual void setBusyCursor(bool) {}

protected:
    // A status panel's text changed: mirror it.
    virtual void statusChanged(int panel) { Q_UNUSED(panel); }
    // A control's caption, enabled flag or highlight changed: mirror it.
    virtual void controlChanged(Control control) { Q_UNUSED(control); }
    // The operation's state changed from before to activity().
    virtual void activityChanged(Activity before) { Q_UNUSED(before); }

private:
    template <typename T>
    using PerControl = std::array<std::optional<T>, ControlCount>;
    template <typename T>
    static const std::optional<T> &at(const PerControl<T> &values, Control control)
    {
        return values[static_cast<size_t>(control)];
    }

    OptionsModel &m_options;
    QString m_status[2];
    PerControl<QString> m_captions;
    PerControl<bool> m_enabled;
    PerControl<bool> m_highlighted;
    bool m_exitRequested = false;
    Activity m_activity = Activity::Idle;
};

// An operation's state for its lifetime. One that runs inside another (the
// readout of an upload) leaves the outer one's state as it is.
class ActivityScope {
public:
    ActivityScope(Frontend &ui, Activity activity) : m_ui(ui), m_outermost(ui.activity() == Activity::Idle)
    {
        if (m_outermost)
            ui.setActivity(activity);
    }
    ~ActivityScope()
    {
        if (m_outermost)
            m_ui.setActivity(Activity::Idle);
    }
    ActivityScope(const ActivityScope &) = delete;
    ActivityScope &operator=(const ActivityScope &) = delete;

private:
    Frontend &m_ui;
    bool m_outermost;
};
