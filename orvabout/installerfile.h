#pragma once
#include <QString>

// The installer's file name as the version file proposes it, reduced to its
// last path component so it cannot point outside the chosen folder. Empty
// when nothing usable is left: no name, a hidden one (".", "..", ".bashrc"),
// control characters.
QString safeInstallerName(const QString &proposed);
