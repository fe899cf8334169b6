#include "cli/interrupts.h"

#include <QObject>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_signalPipe[2] = {-1, -1};

constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};

void onInterruptSignal(int signal)
{
    const char c = char(signal);
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

QString reasonOf(int signal)
{
    switch (signal) {
    case SIGTERM: return QStringLiteral("Abbruch durch das Signal SIGTERM");
    case SIGHUP: return QStringLiteral("Abbruch: das Terminal wurde geschlossen (SIGHUP)");
    default: return QStringLiteral("Abbruch mit Strg-C");
    }
}
}  // namespace

void routeInterrupts(QObject *context, std::function<void(const QString &reason)> onInterrupt)
{
    // A signal handler may only write: the pipe wakes the event loop.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, context);
        QObject::connect(notifier, &QSocketNotifier::activated, context, [onInterrupt] {
            char c = 0;
            if (::read(g_signalPipe[0], &c, 1) == 1)
                onInterrupt(reasonOf(c));
        });
        for (int signal : kInterruptSignals)
            std::signal(signal, onInterruptSignal);
    }
    // A reader that went away must not end a run before its record is written.
    std::signal(SIGPIPE, SIG_IGN);
}
