#include "settings/filespelling.h"
#include "settings/filetexts.h"
#include "settings/regularfile_platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Why a file of this type is not a regular file; empty for a regular file.
QString typeProblem(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return kindProblem(FileKind::Directory);
    if (S_ISFIFO(mode))
        return kindProblem(FileKind::Fifo);
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return kindProblem(FileKind::Device);
    if (S_ISSOCK(mode))
        return kindProblem(FileKind::Socket);
    return kindProblem(FileKind::Other);
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

// Fails with EEXIST when anything took the name meanwhile.
bool renameToNewName(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the flag: a hard link, too, takes only a free name.
    if (::link(from.constData(), to.constData()) != 0)
        return false;
    ::unlink(from.constData());
    return true;
}

// The new file takes the replaced one's owner, then its mode (a change of
// owner clears the set-id bits).
bool takeOver(int fd, const struct stat &replaced)
{
    struct stat now {};
    if (::fstat(fd, &now) != 0)
        return false;
    if ((now.st_uid != replaced.st_uid || now.st_gid != replaced.st_gid) && ::fchown(fd, replaced.st_uid, replaced.st_gid) != 0)
        return false;
    return ::fchmod(fd, replaced.st_mode & 07777) == 0;
}

// Another user's file this process may write through its group: only a
// write into the file itself leaves it theirs.
QString rewriteInPlace(const QString &target, const QByteArray &bytes)
{
    const int fd = ::open(nativeName(target).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return systemErrorText(errno);
    struct stat st {};
    QString problem = ::fstat(fd, &st) == 0 ? typeProblem(st.st_mode) : systemErrorText(errno);
    if (problem.isEmpty() && (::ftruncate(fd, 0) != 0 || !writeAll(fd, bytes)))
        problem = systemErrorText(errno);
    if (::close(fd) != 0 && problem.isEmpty())
        problem = systemErrorText(errno);
    return problem;
}
}  // namespace

// Where the new file cannot take the owner on (another user's file, written
// through the group), the file is rewritten in place instead.
QString writeBeside(const QString &target, const QByteArray &bytes, Replace replace)
{
    const QFileInfo info(target);
    QByteArray temporary = nativeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT && !QFileInfo(info.absolutePath()).isDir())
            return QStringLiteral("Verzeichnis %1 gibt es nicht").arg(QDir::toNativeSeparators(info.absolutePath()));
        return systemErrorText(errno);
    }
    // The rights of the file replaced, else those of any new file (not the
    // temporary file's private ones).
    struct stat replaced {};
    const bool replaces = replace == Replace::RegularFile && ::stat(nativeName(target).constData(), &replaced) == 0;
    if (replaces && !takeOver(fd, replaced)) {
        ::close(fd);
        ::unlink(temporary.constData());
        return rewriteInPlace(target, bytes);
    }
    bool ok = (replaces || ::fchmod(fd, 0666 & ~currentUmask()) == 0) && writeAll(fd, bytes) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    // What lies at target may have changed while the file was written.
    QString problem = ok ? writeTargetProblem(target, replace) : QString();
    if (ok && problem.isEmpty()) {
        const QByteArray name = nativeName(target);
        ok = replace == Replace::Nothing ? renameToNewName(temporary, name) : ::rename(temporary.constData(), name.constData()) == 0;
        error = errno;
    }
    if (ok && problem.isEmpty())
        return {};
    ::unlink(temporary.constData());
    return problem.isEmpty() ? systemErrorText(error) : problem;
}

QString openDiskFile(QFile &file, const QString &path)
{
    const QByteArray name = nativeName(path);
    struct stat st {};
    // Judged before the open: opening a device node can already act on the device.
    if (::stat(name.constData(), &st) != 0)
        return systemErrorText(errno);
    if (const QString problem = typeProblem(st.st_mode); !problem.isEmpty())
        return problem;
    // Without blocking, so a FIFO put in its place since cannot hold the open.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return systemErrorText(errno);
    QString problem = ::fstat(fd, &st) == 0 ? typeProblem(st.st_mode) : systemErrorText(errno);
    if (problem.isEmpty() && !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        problem = file.errorString();
    if (!problem.isEmpty())
        ::close(fd);
    return problem;
}

QString firstReadProblem(QFile &file)
{
    char byte;
    return ::read(file.handle(), &byte, 1) < 0 ? systemErrorText(errno) : QString();
}

bool sameDiskFile(const QString &a, const QString &b)
{
    struct stat sa {}, sb {};
    return ::stat(nativeName(a).constData(), &sa) == 0 && ::stat(nativeName(b).constData(), &sb) == 0
           && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

QString writeTargetProblem(const QString &path, Replace replace)
{
    const QByteArray name = nativeName(path);
    struct stat st {};
    if (replace == Replace::Nothing)
        return ::lstat(name.constData(), &st) == 0 ? systemErrorText(EEXIST) : QString();
    // Nothing there yet, or nothing reachable: then the write says why.
    if (::stat(name.constData(), &st) != 0)
        return {};
    return typeProblem(st.st_mode);
}

bool existsOnDisk(const QString &path)
{
    struct stat st {};
    return ::stat(nativeName(path).constData(), &st) == 0;
}

bool isWriteProtected(const QString &path)
{
    const QByteArray name = nativeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return false;
    // Root passes every permission check: the mode bits decide for it, so a
    // file the user set read-only stays so.
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(name.constData(), W_OK) != 0;
}
