#pragma once
#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QNetworkReply;

// A blocking HTTP(S) download into a file or into memory. It waits in a local
// event loop, so windows, timers, a cancel button and Ctrl-C stay alive
// meanwhile. Every transfer is bounded: a server that sends nothing for
// stallTimeoutMs, a transfer that takes longer than its time limit (a server
// that trickles a byte now and then) and a body larger than its size limit
// all end it as failed. Error texts are German.
class HttpDownload
{
public:
    // Bytes so far and the total (0 while unknown); false aborts the transfer.
    using Progress = std::function<bool(qint64 received, qint64 total)>;

    struct Limits {
        qint64 maxBytes;
        int totalMs;
    };
    // An installer: far above any real one, and a slow line still gets it.
    static constexpr Limits InstallerLimits{256 << 20, 30 * 60 * 1000};
    // The update server's version file: a few lines of text.
    static constexpr Limits VersionFileLimits{64 << 10, 20000};

    static constexpr int DefaultStallTimeoutMs = 30000;
    int stallTimeoutMs = DefaultStallTimeoutMs;

    // Only http and https. The body goes to a temporary file beside path,
    // which becomes path only when the transfer is complete and its SHA-256
    // is sha256Hex (when given): a failed or aborted download leaves an
    // existing file at path as it was.
    bool run(const QUrl &url, const QString &path, const Limits &limits, const Progress &progress = {},
             const QString &sha256Hex = {});
    // The body in memory; nothing on failure.
    std::optional<QByteArray> fetch(const QUrl &url, const Limits &limits, const Progress &progress = {});
    // Ends a running transfer at once, as a false from the progress hook does.
    void abort();
    bool aborted() const { return m_aborted; }
    QString errorString() const { return m_error; }

private:
    using Sink = std::function<bool(const QByteArray &bytes)>;
    bool acceptsUrl(const QUrl &url);
    bool transfer(const QUrl &url, const Limits &limits, const Progress &progress, const Sink &sink);

    QNetworkReply *m_reply = nullptr;
    bool m_aborted = false;
    QString m_error;
};
