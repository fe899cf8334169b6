#include "settings/filereplacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// QSaveFile (Qt 6.4) takes a short write at commit for success and renames the
// cut file into place; unbuffered, a short write shows here, and the next write
// fails with the system's reason (disk full, file too large).
bool writeAll(QFileDevice &file, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// The new file takes the old one's owner, then its mode (a change of owner
// clears the set-id bits). QSaveFile copies the mode as this process may use
// the file, which for root adds the owner's write bit.
bool takeOver(int fd, const struct stat &old)
{
    struct stat now;
    if (::fstat(fd, &now) != 0)
        return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

enum class Replaced { Yes, Failed, CannotKeepOwner };

Replaced replaceWhole(const QString &path, const QByteArray &bytes, const struct stat *old, QString &error)
{
    QSaveFile file(path);
    // Without a commit the save file drops its temporary copy: the old file stays.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = file.errorString();
        return Replaced::Failed;
    }
    if (old && !takeOver(file.handle(), *old))
        return Replaced::CannotKeepOwner;
    if (!writeAll(file, bytes) || !file.commit()) {
        error = file.errorString();
        return Replaced::Failed;
    }
    return Replaced::Yes;
}

bool rewriteInPlace(const QString &path, const QByteArray &bytes, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) || !writeAll(file, bytes)) {
        error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace

bool isWriteProtected(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0)
        return false;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(name.constData(), W_OK) != 0;
}

bool replaceFileContent(const QString &path, const QByteArray &bytes, QString &error)
{
    struct stat old;
    const bool exists = ::stat(QFile::encodeName(path).constData(), &old) == 0;
    // A missing folder is made here; if that fails, the open says why.
    if (!exists)
        QDir().mkpath(QFileInfo(path).absolutePath());
    switch (replaceWhole(path, bytes, exists ? &old : nullptr, error)) {
    case Replaced::Yes:
        return true;
    case Replaced::Failed:
        return false;
    case Replaced::CannotKeepOwner:
        break;
    }
    // Another user's file this process may write (through its group):
    // only a write into the file itself leaves it theirs.
    return rewriteInPlace(path, bytes, error);
}
