#include "frontend/frontend.h"

namespace {
// Controls that start disabled; every other control starts enabled.
const char *const kDisabledAtStart[] = {
    "btUpdate", "sbUpdate", "mmUpdate", "btAbbruch", "sbAbbruch", "smAbbruch", "btRuf", "btInit",
};
}

Frontend::Frontend(OptionsModel &options) : m_options(options)
{
    for (const char *name : kDisabledAtStart)
        m_enabled.insert(QString::fromLatin1(name), false);
    m_captions.insert(QStringLiteral("lbFileName"), QStringLiteral("Keine Datei geöffnet!"));
    m_captions.insert(QStringLiteral("lbTime"), QStringLiteral("..."));
    for (const char *name : {"lbFileInfo", "lbConv", "lbDSfGFile", "lbVersion", "lbIntVersion", "lbDSfG", "lbMoMeld"})
        m_captions.insert(QString::fromLatin1(name), QStringLiteral("."));
}

void Frontend::setStatus(int panel, const QString &text)
{
    Q_ASSERT(panel == 0 || panel == 1);
    m_status[panel & 1] = text;
    changed(panel == 0 ? QStringLiteral("StatusBar.0") : QStringLiteral("StatusBar.1"));
}

QString Frontend::status(int panel) const { return m_status[panel & 1]; }

void Frontend::setCaption(const QString &control, const QString &text)
{
    m_captions.insert(control, text);
    changed(control);
}

QString Frontend::caption(const QString &control) const { return m_captions.value(control); }

void Frontend::setEnabled(const QString &control, bool enabled)
{
    m_enabled.insert(control, enabled);
    changed(control);
}

bool Frontend::isEnabled(const QString &control) const { return m_enabled.value(control, true); }

void Frontend::setHighlighted(const QString &control, bool on)
{
    m_highlighted.insert(control, on);
    changed(control);
}
