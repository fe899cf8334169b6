#pragma once
#include <QString>

// Starts a saved installer. A program or script (ELF or "#!" at its start)
// gets its execute bit and runs directly; any other file goes to the
// desktop's handler for its type. False when nothing could be started.
bool startInstaller(const QString &path);
