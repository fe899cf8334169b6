#pragma once
#include <QString>
#include <functional>

class QObject;

// Hands the ways a run is ended from outside to onInterrupt, called on
// context's thread with the reason in German ("Abbruch mit Strg-C"): Ctrl-C
// everywhere; SIGTERM (a job's time limit) and SIGHUP (a closed terminal)
// on POSIX; Ctrl-Break, a closed console window, logoff and shutdown on
// Windows. Each ends the run the same orderly way: the operation stops at
// its next wait and the program writes what it must before it ends.
void routeInterrupts(QObject *context, std::function<void(const QString &reason)> onInterrupt);
