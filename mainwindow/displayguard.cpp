#include "mainwindow/displayguard.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {
struct HeldMessage {
    QtMsgType type;
    const char *category;  // Qt's categories are static names
    QString text;
};
QList<HeldMessage> held;

void holdOrEnd(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtFatalMsg) {
        held.append({type, context.category, text});
        return;
    }
    std::fputs("quillon: Keine grafische Anzeige erreichbar: das Fenster braucht X11 oder Wayland "
               "(DISPLAY bzw. WAYLAND_DISPLAY nicht gesetzt oder nicht erreichbar).\n"
               "Ohne Anzeige arbeitet quillon-cli; Hilfe: quillon --help\n",
               stderr);
    std::fflush(stderr);
    std::_Exit(2);
}
}  // namespace

DisplayGuard::DisplayGuard() : m_previous(qInstallMessageHandler(holdOrEnd)) {}

DisplayGuard::~DisplayGuard()
{
    qInstallMessageHandler(m_previous);
    for (const HeldMessage &m : std::exchange(held, {})) {
        const QMessageLogContext context(nullptr, 0, nullptr, m.category);
        if (m_previous)
            m_previous(m.type, context, m.text);
        else
            qt_message_output(m.type, context, m.text);
    }
}
