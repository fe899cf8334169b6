#pragma once
#include <QByteArray>
#include <QString>

class QFile;

// Files a user names (firmware, settings, password, records, converted
// images) are read and written only as regular files: opening a FIFO for
// reading waits for a writer that may never come, and renaming a new file
// over a device node or a FIFO replaces it; on Windows a device name (COM1,
// NUL) is refused before anything opens it. Symlinks are judged by what they
// point at. Reasons are German.

// Opens path for reading, without blocking, when it is a regular file.
// Empty on success, else why not.
QString openRegularFile(QFile &file, const QString &path);

// What may already lie at the path a file is written to.
enum class Replace {
    RegularFile,  // nothing, or a regular file, which the new one replaces
    Nothing,      // nothing at all: the file must be new
};

// Why a file cannot be written to path as replace allows; empty when it can.
QString writeTargetProblem(const QString &path, Replace replace);

// Writes bytes to path atomically: into a temporary file in the same folder,
// renamed to path once complete, so a reader never sees half a file and two
// writers never write into one. A file replaced keeps its mode and owner;
// where the new file cannot take the owner on (another user's file, written
// through the group), the file is rewritten in place instead. On Windows it
// keeps its attributes and access rights, and a read-only file is not
// replaced. Empty on success, else the path and why not.
QString writeFileAtomically(const QString &path, const QByteArray &bytes, Replace replace);

// True when an existing file's mode grants no writing to anyone (on Windows:
// its read-only attribute), or the system refuses this process writing it.
// A missing file is not protected.
bool isWriteProtected(const QString &path);

// True when anything is at path (a symlink: at what it points to).
bool existsOnDisk(const QString &path);

// Why the file at path cannot be read, in German; "nicht lesbar" when the
// system names no reason.
QString readProblem(const QString &path);

// True when both paths name the same file, however they are spelt.
bool sameFile(const QString &a, const QString &b);
