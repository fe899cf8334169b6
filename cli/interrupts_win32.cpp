#include "cli/interrupts.h"

#include <QMetaObject>
#include <QObject>
#include <windows.h>

namespace {
QObject *g_context = nullptr;
std::function<void(const QString &)> g_onInterrupt;

QString reasonOf(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT: return QStringLiteral("Abbruch mit Strg-C");
    case CTRL_BREAK_EVENT: return QStringLiteral("Abbruch mit Strg-Pause");
    case CTRL_CLOSE_EVENT: return QStringLiteral("Abbruch: das Konsolenfenster wurde geschlossen");
    default: return QStringLiteral("Abbruch: Abmeldung oder Herunterfahren");
    }
}

// Runs on a thread of its own that the system starts for each event.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    const QString reason = reasonOf(event);
    QMetaObject::invokeMethod(g_context, [reason] { g_onInterrupt(reason); }, Qt::QueuedConnection);
    // After a close, logoff or shutdown the system ends the process as soon
    // as this returns: wait for the program to end by itself meanwhile.
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        Sleep(INFINITE);
    return TRUE;
}
}  // namespace

void routeInterrupts(QObject *context, std::function<void(const QString &reason)> onInterrupt)
{
    g_context = context;
    g_onInterrupt = std::move(onInterrupt);
    // A parent may have started the program with Ctrl-C switched off.
    SetConsoleCtrlHandler(nullptr, FALSE);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}
