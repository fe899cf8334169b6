#pragma once
#include <QByteArray>
#include <QString>

// On POSIX a file's name is bytes and need not be UTF-8 ("a\xff.hex"). Qt
// reads such a name with U+FFFD for each stray byte, and hands the system
// that readable name back as UTF-8: another name, the file is not found.
// The names on the command line are kept in their bytes, so the readable
// name still leads to the file, while messages show it readably. On Windows
// the names come wide and nothing needs keeping.

// Keeps the bytes of each part of the program's words (and of the working
// folder) that Qt cannot spell back.
void keepCommandLineSpellings(int argc, char *argv[]);

// POSIX: the name the system knows path by: each part kept above in its
// bytes, the rest as Qt encodes it. Two names that read alike lead to the
// first one kept.
QByteArray nativeName(const QString &path);
