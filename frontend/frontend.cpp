#include "frontend/frontend.h"

namespace {
// Besides the upload and cancel controls, these start disabled; every other
// control starts enabled.
constexpr Control kModemCommands[] = {Control::btRuf, Control::btInit};
// Labels that show a dot until something is known.
constexpr Control kDotted[] = {
    Control::lbFileInfo, Control::lbConv, Control::lbDSfGFile, Control::lbVersion,
    Control::lbIntVersion, Control::lbDSfG, Control::lbMoMeld,
};

size_t index(Control control) { return static_cast<size_t>(control); }
}

Frontend::Frontend(OptionsModel &options) : m_options(options)
{
    for (std::span<const Control> group : {std::span<const Control>(UploadCommands), std::span<const Control>(CancelControls),
                                           std::span<const Control>(kModemCommands)}) {
        for (Control control : group)
            m_enabled[index(control)] = false;
    }
    m_captions[index(Control::lbFileName)] = QStringLiteral("Keine Datei geöffnet!");
    m_captions[index(Control::lbTime)] = QStringLiteral("...");
    for (Control control : kDotted)
        m_captions[index(control)] = QStringLiteral(".");
}

void Frontend::setStatus(int panel, const QString &text)
{
    Q_ASSERT(panel == 0 || panel == 1);
    m_status[panel & 1] = text;
    statusChanged(panel & 1);
}

QString Frontend::status(int panel) const { return m_status[panel & 1]; }

void Frontend::setCaption(Control control, const QString &text)
{
    m_captions[index(control)] = text;
    controlChanged(control);
}

void Frontend::setEnabled(Control control, bool enabled)
{
    m_enabled[index(control)] = enabled;
    controlChanged(control);
}

void Frontend::setEnabled(std::span<const Control> controls, bool enabled)
{
    for (Control control : controls)
        setEnabled(control, enabled);
}

void Frontend::setHighlighted(Control control, bool on)
{
    m_highlighted[index(control)] = on;
    controlChanged(control);
}

void Frontend::setActivity(Activity activity)
{
    const Activity before = m_activity;
    m_activity = activity;
    if (before != activity)
        activityChanged(before);
}
