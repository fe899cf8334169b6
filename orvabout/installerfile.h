#pragma once
#include <QString>

// The installer's file name as the version file proposes it, reduced to its
// last path component so it cannot point outside the chosen folder. Empty
// when nothing usable is left ("", ".", "..").
QString safeInstallerName(const QString &proposed);

// True when the file's SHA-256 is the hexadecimal digest given (any case).
bool installerMatches(const QString &path, const QString &sha256Hex);
