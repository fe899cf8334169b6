#pragma once
#include "settings/systemerror.h"

#include <QString>

// What lies at a path, as far as reading and writing it matters.
enum class FileKind { Regular, Directory, Fifo, Device, Socket, Other };

// Why a file of this kind is not a regular file, in German; empty for a regular file.
QString kindProblem(FileKind kind);
