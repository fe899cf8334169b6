#include "cli/imagefile.h"

#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "image/fileload.h"
#include "image/firmwareimage.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString errnoText(int error)
{
    switch (error) {
    case ENOENT: return QStringLiteral("Datei nicht gefunden");
    case EACCES:
    case EPERM: return QStringLiteral("Zugriff verweigert");
    case EISDIR: return QStringLiteral("ist ein Verzeichnis");
    case ENOTDIR: return QStringLiteral("ein Teil des Pfads ist kein Verzeichnis");
    case ENAMETOOLONG: return QStringLiteral("Name zu lang");
    case ELOOP: return QStringLiteral("zu viele symbolische Verweise");
    case EIO: return QStringLiteral("Ein-/Ausgabefehler");
    case ENOSPC: return QStringLiteral("kein Platz mehr auf dem Datenträger");
    case EROFS: return QStringLiteral("Dateisystem nur lesbar");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

bool hexName(const QString &path) { return path.endsWith(QLatin1String(".hex"), Qt::CaseInsensitive); }
}

QString readProblem(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errnoText(errno);
    struct stat st {};
    char byte;
    int error = 0;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
        error = EISDIR;
    else if (::read(fd, &byte, 1) < 0)
        error = errno;
    ::close(fd);
    return error ? errnoText(error) : QStringLiteral("nicht lesbar");
}

QString writeProblem(const QString &path)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (file.isDir())
        return errnoText(EISDIR);
    if (!folder.isDir())
        return QStringLiteral("Verzeichnis %1 gibt es nicht").arg(folder.filePath());
    if (!folder.isWritable() || (file.exists() && !file.isWritable()))
        return errnoText(EACCES);
    return QStringLiteral("Schreibfehler");
}

bool looksLikeIntelHex(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A record: colon, byte count, address, type, data, checksum, in hex digits.
    static const QRegularExpression record(QStringLiteral("^:([0-9A-Fa-f]{2}){5,}\\r?\\n"));
    return record.match(QString::fromLatin1(file.read(600))).hasMatch();
}

bool sameFile(const QString &a, const QString &b)
{
    if (QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath())
        return true;
    struct stat sa {}, sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0
           && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int loadImageFile(CliSession &s, const char *command, const QString &path)
{
    if (!hexName(path) && looksLikeIntelHex(path))
        s.err << command << ": Hinweis: " << path << " sieht nach Intel-HEX aus, wird ohne die Endung .hex aber als Binärdatei geladen"
              << Qt::endl;
    switch (loadFirmwareFile(s.ui, s.ctx.image, path)) {
    case LoadResult::Loaded:
        return ExitOk;
    case LoadResult::ConversionFailed:
        s.err << command << ": " << path << ": " << s.ui.caption(Control::lbConv) << ' ' << s.ui.status(1) << Qt::endl;
        break;
    case LoadResult::TooLarge:
        s.err << command << ": " << path << ": " << QFileInfo(path).size() << " Bytes, erlaubt sind weniger als "
              << FirmwareImage::BufferSize << Qt::endl;
        break;
    case LoadResult::ReadFailed:
        s.err << command << ": " << path << ": " << readProblem(path) << Qt::endl;
        break;
    }
    return ExitUsage;
}
