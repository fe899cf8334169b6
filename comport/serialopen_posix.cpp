// Opening a device file as a serial port, and naming why it cannot be one:
// the port's open and the port list's probe go through here alike.
#include "comport/comport_posix.h"

#include <QFile>

#include <array>
#include <asm/termbits.h>  // termios2: not in <termios.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
PortState stateOfError(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
    case ENXIO: return PortState::Missing;
    case EACCES:
    case EPERM: return PortState::NoPermission;
    case EBUSY: return PortState::Busy;
    case EISDIR: return PortState::Folder;
    default: return PortState::Failed;
    }
}

// What the kind of file alone says: a folder, or something that is no
// character device (a regular file, a FIFO, a socket) is no serial port.
PortStatus statusOfKind(mode_t mode)
{
    if (S_ISDIR(mode))
        return {PortState::Folder, EISDIR};
    if (!S_ISCHR(mode))
        return {PortState::NotSerial, ENOTTY};
    return {};
}

// A user can be given the right to a device whose group may read and write
// it, unless that group is root's; otherwise only the administrator opens it
// (a console: root, group tty, mode 0620).
bool groupCanBeJoined(const struct stat &st) { return st.st_gid != 0 && (st.st_mode & S_IRGRP) && (st.st_mode & S_IWGRP); }

QString groupName(gid_t gid)
{
    group entry {};
    group *found = nullptr;
    std::array<char, 4096> buffer{};
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return QString::fromLocal8Bit(found->gr_name);
    return QString::number(gid);
}

posixport::SerialOpen refused(int fd, PortStatus status, const char *call)
{
    if (fd >= 0)
        ::close(fd);
    return {-1, status, call};
}
}  // namespace

posixport::SerialOpen posixport::openSerialDevice(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    // Without blocking: a FIFO or a modem line without carrier cannot hold the open.
    const int fd = ::open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        PortStatus status{stateOfError(errno), errno};
        // The kind of file says more than a refusal of a file that could never be a port.
        if (::stat(name.constData(), &st) == 0) {
            if (const PortStatus kind = statusOfKind(st.st_mode); kind.state != PortState::Free)
                status = kind;
            else if (status.state == PortState::NoPermission && groupCanBeJoined(st))
                status.group = groupName(st.st_gid);
            else if (status.state == PortState::NoPermission)
                status.adminOnly = true;
        }
        return refused(-1, status, "open");
    }
    if (::fstat(fd, &st) != 0)
        return refused(fd, {PortState::Failed, errno}, "fstat");
    if (const PortStatus kind = statusOfKind(st.st_mode); kind.state != PortState::Free)
        return refused(fd, kind, "fstat");
    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) != 0) {
        const int error = errno;
        // /dev/null and other character devices that are no terminal.
        return refused(fd, {noSuchLine(error) ? PortState::NotSerial : PortState::Failed, error}, "ioctl(TCGETS2)");
    }
    // TIOCEXCL does not stop a privileged second opener; the lock does.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return refused(fd, {PortState::Busy, EBUSY}, "flock");
    return {fd, {}, ""};
}
