#pragma once
#include <QString>

// What lies at a path, as far as reading and writing it matters.
enum class FileKind { Regular, Directory, Fifo, Device, Socket, Other };

// Why a file of this kind is not a regular file, in German; empty for a regular file.
QString kindProblem(FileKind kind);

// What a system error number (errno) means for a file, in German.
QString fileErrorText(int error);
