#include "settings/regularfile.h"

#include "settings/filetexts.h"
#include "settings/regularfile_platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace {
// Where a write to path lands: through a symlink onto the file it points at,
// so the link stays.
QString landingPath(const QString &path, Replace replace)
{
    const QFileInfo info(path);
    return replace == Replace::RegularFile && info.isSymbolicLink() && info.exists() ? info.canonicalFilePath() : path;
}
}  // namespace

QString kindProblem(FileKind kind)
{
    switch (kind) {
    case FileKind::Regular: return {};
    case FileKind::Directory: return systemErrorText(EISDIR);
    case FileKind::Fifo: return QStringLiteral("ist eine FIFO (benannte Pipe), keine normale Datei");
    case FileKind::Device: return QStringLiteral("ist eine Gerätedatei, keine normale Datei");
    case FileKind::Socket: return QStringLiteral("ist ein Socket, keine normale Datei");
    case FileKind::Other: break;
    }
    return QStringLiteral("ist keine normale Datei");
}

QString openRegularFile(QFile &file, const QString &path)
{
    // A resource compiled into the program is no file on disk and never blocks.
    if (path.startsWith(u':')) {
        file.setFileName(path);
        return file.open(QIODevice::ReadOnly) ? QString() : systemErrorText(ENOENT);
    }
    return openDiskFile(file, path);
}

QString writeFileAtomically(const QString &path, const QByteArray &bytes, Replace replace)
{
    const QString target = landingPath(path, replace);
    QString problem = writeTargetProblem(target, replace);
    if (problem.isEmpty())
        problem = writeBeside(target, bytes, replace);
    return problem.isEmpty() ? QString() : QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), problem);
}

QString readProblem(const QString &path)
{
    QFile file;
    if (const QString problem = openRegularFile(file, path); !problem.isEmpty())
        return problem;
    const QString problem = firstReadProblem(file);
    return problem.isEmpty() ? QStringLiteral("nicht lesbar") : problem;
}

bool sameFile(const QString &a, const QString &b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath() || sameDiskFile(a, b);
}
