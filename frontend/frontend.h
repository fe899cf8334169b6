#pragma once
#include <QHash>
#include <QString>

class OptionsModel;
struct OpenDialog;

// Colour of the status bar: shows the TCP link.
enum class LinkColour { Normal, Connected, Disconnected };

// Everything an operation needs of the window, and nothing more. The GUI shows
// it with widgets, the CLI on the terminal, tests with a scripted fake.
//
// The state part (status panels, captions and enabled flags of the window's
// controls by their names) is kept here so every front end reads the same
// values; changed() tells a front end what to mirror.
class Frontend {
public:
    explicit Frontend(OptionsModel &options);
    virtual ~Frontend() = default;

    // Status line: panel 0 names the operation, panel 1 holds the details.
    void setStatus(int panel, const QString &text);
    QString status(int panel) const;

    // Caption of a label outside the options panel ("lbVersion", "lbTime", ...).
    void setCaption(const QString &control, const QString &text);
    QString caption(const QString &control) const;
    bool hasCaption(const QString &control) const { return m_captions.contains(control); }

    // Enabled state of a control outside the options panel by its name
    // ("pnFile", "btUpdate", "sbAbbruch", "smUpdate", ...).
    void setEnabled(const QString &control, bool enabled);
    bool isEnabled(const QString &control) const;
    // The flag was set: the control's enabled state is kept here.
    bool hasEnabled(const QString &control) const { return m_enabled.contains(control); }

    // A label's signal background ("lbMoMeld" is yellow while the carrier is
    // present); off: the normal button-face colour.
    void setHighlighted(const QString &control, bool on);
    bool isHighlighted(const QString &control) const { return m_highlighted.value(control, false); }
    // The highlight was set or cleared: the label's background is kept here.
    bool hasHighlight(const QString &control) const { return m_highlighted.contains(control); }

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
    // A status panel, caption or enabled flag changed: mirror it.
    virtual void changed(const QString &name) { Q_UNUSED(name); }

private:
    OptionsModel &m_options;
    QString m_status[2];
    QHash<QString, QString> m_captions;
    QHash<QString, bool> m_enabled;
    QHash<QString, bool> m_highlighted;
};
