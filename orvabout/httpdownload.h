#pragma once
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkReply;

// A blocking HTTP(S) download into a file. It waits in a local event loop, so
// windows, timers and a cancel button stay alive meanwhile. A transfer that
// moves no data for stallTimeoutMs ends as failed; a dead server cannot hang it.
class HttpDownload
{
public:
    // Bytes so far and the total (0 while unknown); false aborts the transfer.
    using Progress = std::function<bool(qint64 received, qint64 total)>;

    static constexpr int DefaultStallTimeoutMs = 30000;
    int stallTimeoutMs = DefaultStallTimeoutMs;

    // Only http and https. On failure or abort the file at path is removed.
    bool run(const QUrl &url, const QString &path, const Progress &progress = {});
    // Ends a running transfer at once, as a false from the progress hook does.
    void abort();
    QString errorString() const { return m_error; }

private:
    QNetworkReply *m_reply = nullptr;
    bool m_aborted = false;
    QString m_error;
};
