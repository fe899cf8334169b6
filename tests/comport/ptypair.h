#pragma once
#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <cstdlib>
#include <unistd.h>

// A pseudo-terminal for a port under test: the port opens slavePath, the
// test plays the device on the master side.
struct PtyPair {
    int master = -1;
    QString slavePath;

    PtyPair()
    {
        // Not openpty(): <pty.h> brings <termios.h>, which the tests that
        // read termios2 cannot have.
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
            closeMaster();
            return;
        }
        slavePath = QString::fromLocal8Bit(::ptsname(master));
    }
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return master >= 0; }

    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }

    bool send(const QByteArray &bytes) const
    {
        return ::write(master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // Whatever arrives within ms, up to count bytes.
    QByteArray receive(int count, int ms = 2000) const
    {
        QByteArray got;
        QDeadlineTimer deadline(ms);
        while (got.size() < count && !deadline.hasExpired()) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
                break;
            char buffer[4096];
            const ssize_t n = ::read(master, buffer, sizeof buffer < size_t(count - got.size()) ? sizeof buffer : size_t(count - got.size()));
            if (n <= 0)
                break;
            got.append(buffer, n);
        }
        return got;
    }
};
