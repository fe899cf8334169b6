#pragma once
// The parts of settings/regularfile.h each platform does its own way
// (regularfile_posix.cpp, regularfile_win32.cpp).
#include "settings/regularfile.h"

// Opens path, a file on disk, for reading when it is a regular file, without
// blocking. Empty on success, else why not.
QString openDiskFile(QFile &file, const QString &path);

// Writes bytes into a temporary file beside target and moves it to target
// as replace allows. A replaced file keeps its rights. Empty on success, else why not.
QString writeBeside(const QString &target, const QByteArray &bytes, Replace replace);

// True when both paths name one file on disk (links, other spellings).
bool sameDiskFile(const QString &a, const QString &b);

// Why reading the first byte of an opened file fails; empty when it does not.
QString firstReadProblem(QFile &file);
