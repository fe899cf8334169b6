#include "settings/filetexts.h"
#include "settings/regularfile_platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {
std::wstring nativePath(const QString &path) { return QDir::toNativeSeparators(path).toStdWString(); }

// The system's error in the words the other platform uses where there are
// such words, else the system's own text.
QString windowsErrorText(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return systemErrorText(ENOENT);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return systemErrorText(EEXIST);
    case ERROR_ACCESS_DENIED: return systemErrorText(EACCES);
    case ERROR_DIRECTORY: return systemErrorText(ENOTDIR);
    case ERROR_FILENAME_EXCED_RANGE: return systemErrorText(ENAMETOOLONG);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return systemErrorText(ENOSPC);
    case ERROR_WRITE_PROTECT: return systemErrorText(EROFS);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return systemErrorText(EBUSY);
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT: return systemErrorText(EIO);
    default: break;
    }
    wchar_t *text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString message = n > 0 ? QString::fromWCharArray(text, n).trimmed() : QStringLiteral("Systemfehler %1").arg(error);
    LocalFree(text);
    return message;
}

QString lastErrorText() { return windowsErrorText(GetLastError()); }

// A name the system takes for a device (COM1, NUL, \\.\PIPE\...), whatever
// folder it seems to lie in: opening it can already act on the device.
bool isDeviceName(const std::wstring &path)
{
    wchar_t full[MAX_PATH * 4];
    const DWORD n = GetFullPathNameW(path.c_str(), DWORD(std::size(full)), full, nullptr);
    return n > 0 && n < std::size(full) && std::wstring_view(full, n).starts_with(L"\\\\.\\");
}

// What an open handle is: a file on disk, a folder, a pipe, a console or port.
FileKind kindOf(HANDLE handle)
{
    switch (GetFileType(handle)) {
    case FILE_TYPE_PIPE: return FileKind::Fifo;
    case FILE_TYPE_CHAR: return FileKind::Device;
    case FILE_TYPE_DISK: break;
    default: return FileKind::Other;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(handle, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return FileKind::Directory;
    return FileKind::Regular;
}

// Why nothing can be written to path as a regular file; empty when nothing
// or a regular file is there (or the write will say why not). A read-only
// file is not replaced, as the system refuses to write into it.
QString existingProblem(const std::wstring &path)
{
    if (isDeviceName(path))
        return kindProblem(FileKind::Device);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {};
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return kindProblem(FileKind::Directory);
    return attributes & FILE_ATTRIBUTE_READONLY ? systemErrorText(EACCES) : QString();
}

bool writeAll(HANDLE handle, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        DWORD n = 0;
        const DWORD chunk = DWORD(qMin<qsizetype>(bytes.size() - done, 1 << 30));
        if (!WriteFile(handle, bytes.constData() + done, chunk, &n, nullptr))
            return false;
        if (n == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += n;
    }
    return true;
}

// A new file beside target under a name of its own, not yet taken.
HANDLE createTemporary(const QString &target, std::wstring &name)
{
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString suffix = QString::number(QRandomGenerator::global()->generate(), 36);
        name = nativePath(info.absolutePath() + QStringLiteral("/~") + info.fileName() + u'.' + suffix);
        const HANDLE handle = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return handle;
    }
    return INVALID_HANDLE_VALUE;
}

// Moves the complete temporary file to target. A file replaced leaves its
// attributes (ReplaceFileW also its access rights) to the new one; "replace
// nothing" takes only a free name.
bool moveIntoPlace(const std::wstring &temporary, const std::wstring &target, Replace replace)
{
    if (replace == Replace::Nothing)
        return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    const DWORD replaced = GetFileAttributesW(target.c_str());
    if (replaced != INVALID_FILE_ATTRIBUTES) {
        constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        SetFileAttributesW(temporary.c_str(), replaced & kept ? replaced & kept : FILE_ATTRIBUTE_NORMAL);
        if (ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
            return true;
    }
    // Nothing to replace (or it went meanwhile), or a file system that cannot.
    return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
}  // namespace

QString writeBeside(const QString &target, const QByteArray &bytes, Replace replace)
{
    std::wstring temporary;
    const HANDLE handle = createTemporary(target, temporary);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const QString folder = QFileInfo(target).absolutePath();
        if (error == ERROR_PATH_NOT_FOUND && !QFileInfo(folder).isDir())
            return QStringLiteral("Verzeichnis %1 gibt es nicht").arg(QDir::toNativeSeparators(folder));
        return windowsErrorText(error);
    }
    bool ok = writeAll(handle, bytes) && FlushFileBuffers(handle);
    DWORD error = GetLastError();
    CloseHandle(handle);
    // What lies at target may have changed while the file was written.
    QString problem = ok ? writeTargetProblem(target, replace) : QString();
    if (ok && problem.isEmpty()) {
        ok = moveIntoPlace(temporary, nativePath(target), replace);
        error = GetLastError();
    }
    if (ok && problem.isEmpty())
        return {};
    DeleteFileW(temporary.c_str());
    return problem.isEmpty() ? windowsErrorText(error) : problem;
}

QString openDiskFile(QFile &file, const QString &path)
{
    const std::wstring name = nativePath(path);
    // Judged before the open: opening a port or a pipe can already act on it.
    if (isDeviceName(name))
        return kindProblem(FileKind::Device);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return lastErrorText();
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return kindProblem(FileKind::Directory);
    const HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastErrorText();
    QString problem = kindProblem(kindOf(handle));
    const int fd = problem.isEmpty() ? _open_osfhandle(intptr_t(handle), _O_RDONLY | _O_BINARY) : -1;
    if (problem.isEmpty() && fd < 0)
        problem = systemErrorText(errno);
    if (fd < 0) {
        CloseHandle(handle);
        return problem;
    }
    // From here the descriptor owns the handle.
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        return file.errorString();
    }
    return {};
}

QString firstReadProblem(QFile &file)
{
    char byte;
    DWORD n = 0;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    return ReadFile(handle, &byte, 1, &n, nullptr) ? QString() : lastErrorText();
}

bool sameDiskFile(const QString &a, const QString &b)
{
    // The volume and the file's index on it name a file, whatever the path.
    const auto identity = [](const QString &path, BY_HANDLE_FILE_INFORMATION &info) {
        const HANDLE handle = CreateFileW(nativePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        const bool ok = GetFileInformationByHandle(handle, &info);
        CloseHandle(handle);
        return ok;
    };
    if (isDeviceName(nativePath(a)) || isDeviceName(nativePath(b)))
        return false;
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    return identity(a, ia) && identity(b, ib) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber
           && ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

QString writeTargetProblem(const QString &path, Replace replace)
{
    const std::wstring name = nativePath(path);
    if (replace == Replace::Nothing)
        return isDeviceName(name) || GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES ? systemErrorText(EEXIST) : QString();
    return existingProblem(name);
}

bool existsOnDisk(const QString &path) { return QFileInfo::exists(path); }

bool isWriteProtected(const QString &path)
{
    const std::wstring name = nativePath(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || isDeviceName(name))
        return false;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return true;
    // The file's access rights: an open for writing changes nothing yet.
    const HANDLE handle = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_ACCESS_DENIED;
    CloseHandle(handle);
    return false;
}
