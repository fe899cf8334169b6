#pragma once
#include <QString>

// Starts a saved installer. On Windows the shell "open"s it (an installer
// .exe runs, asking for the rights it needs). Elsewhere a program or script
// (ELF or "#!" at its start) gets its execute bit and runs directly; any
// other file goes to the desktop's handler for its type. False when nothing
// could be started.
bool startInstaller(const QString &path);
