#pragma once
// FIFOs, device nodes and symlinks to them in a test's folder, and what lies
// at a path: the files a program must never read as data nor replace.
#include <QFile>
#include <QString>
#include <QtGlobal>

#include <sys/stat.h>
#include <sys/sysmacros.h>

enum class NonRegular { Fifo, Device, LinkToFifo, LinkToDevice };

// Makes it at path; a link's target lies beside it as path + ".target". The
// device is a null device (nothing to read, everything written vanishes).
// False when this user cannot make it (device nodes need root).
inline bool makeNonRegular(NonRegular kind, const QString &path)
{
    const QString target = path + QStringLiteral(".target");
    switch (kind) {
    case NonRegular::Fifo:
        return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
    case NonRegular::Device:
        return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    case NonRegular::LinkToFifo:
        return makeNonRegular(NonRegular::Fifo, target) && QFile::link(target, path);
    case NonRegular::LinkToDevice:
        return makeNonRegular(NonRegular::Device, target) && QFile::link(target, path);
    }
    return false;
}

// What lies at path, a symlink not followed: 'f' regular file, 'p' FIFO,
// 'c' character device, 'd' folder, 'l' symlink, '-' nothing.
inline char typeAt(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return '-';
    if (S_ISREG(st.st_mode))
        return 'f';
    if (S_ISFIFO(st.st_mode))
        return 'p';
    if (S_ISCHR(st.st_mode))
        return 'c';
    if (S_ISDIR(st.st_mode))
        return 'd';
    return S_ISLNK(st.st_mode) ? 'l' : '?';
}
