#include "orvabout/httpdownload.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

bool HttpDownload::run(const QUrl &url, const QString &path, const Progress &progress)
{
    m_error.clear();
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        m_error = QStringLiteral("not an http(s) address: ") + url.toString();
        QFile::remove(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }

    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    // Always ask the server, never a cache on the way.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setTransferTimeout(stallTimeoutMs);
    QNetworkReply *reply = manager.get(request);
    m_reply = reply;
    m_aborted = false;

    bool writeFailed = false;
    qint64 received = 0;
    QEventLoop loop;
    // Reported per arrival of data: QNetworkReply's own progress signal is
    // throttled and can stay silent while a transfer stalls.
    const auto take = [&] {
        const QByteArray bytes = reply->readAll();
        if (bytes.isEmpty() || writeFailed || m_aborted)
            return;
        if (file.write(bytes) != bytes.size()) {
            writeFailed = true;
            m_error = path + QStringLiteral(": ") + file.errorString();
            reply->abort();
            return;
        }
        received += bytes.size();
        const qint64 total = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (progress && !progress(received, qMax<qint64>(total, 0)))
            abort();
    };
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, take);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    if (reply->isOpen())
        take();  // what arrived with the end
    m_reply = nullptr;

    writeFailed = writeFailed || !file.flush();
    const bool ok = !m_aborted && !writeFailed && reply->error() == QNetworkReply::NoError;
    if (!ok && m_error.isEmpty())
        m_error = m_aborted ? QStringLiteral("cancelled") : writeFailed ? file.errorString() : reply->errorString();
    file.close();
    if (!ok)
        file.remove();
    return ok;
}

void HttpDownload::abort()
{
    if (!m_reply || m_aborted)
        return;
    m_aborted = true;
    m_reply->abort();
}
