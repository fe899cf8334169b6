#include "orvabout/httpdownload.h"

#include "orvabout/updatetexts.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>

namespace {
// Bytes held between two reads of the reply.
constexpr qint64 ReadBufferSize = 64 * 1024;

// The network's failure in the user's words; Qt's own texts are English.
QString networkErrorText(const QNetworkReply &reply, int stallTimeoutMs)
{
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400)
        return QStringLiteral("Der Server antwortet mit HTTP-Status %1.").arg(status);
    switch (reply.error()) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Der Server %1 nimmt keine Verbindung an.").arg(reply.url().host());
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Den Server %1 gibt es nicht.").arg(reply.url().host());
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("Der Server hat die Verbindung vorzeitig beendet.");
    case QNetworkReply::TimeoutError:
        return QStringLiteral("Der Server antwortet nicht.");
    case QNetworkReply::OperationCanceledError:  // the transfer time-out, nobody else cancels
        return QStringLiteral("Der Server hat %1 s lang nichts gesendet.").arg(stallTimeoutMs / 1000.0);
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("Die sichere Verbindung zum Server ist gescheitert.");
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("Der Server leitet unzulässig weiter.");
    default:
        return QStringLiteral("Netzwerkfehler %1.").arg(int(reply.error()));
    }
}
}

bool HttpDownload::acceptsUrl(const QUrl &url)
{
    m_error.clear();
    const QString scheme = url.scheme().toLower();
    if (url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")))
        return true;
    m_error = QStringLiteral("Keine http- oder https-Adresse: ") + url.toString();
    return false;
}

bool HttpDownload::transfer(const QUrl &url, const Limits &limits, const Progress &progress, const Sink &sink)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    // Always ask the server, never a cache on the way.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setTransferTimeout(stallTimeoutMs);
    QNetworkReply *reply = manager.get(request);
    reply->setReadBufferSize(ReadBufferSize);
    m_reply = reply;
    m_aborted = false;

    QString failure;  // why this side ended the transfer
    const auto stop = [&](const QString &why) {
        if (failure.isEmpty())
            failure = why;
        reply->abort();
    };
    const QString tooLarge = QStringLiteral("Die Datei ist größer als %1 Bytes.").arg(limits.maxBytes);
    const auto total = [reply] { return qMax<qint64>(reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(), 0); };
    qint64 received = 0;
    // Reported per arrival of data: QNetworkReply's own progress signal is
    // throttled and can stay silent while a transfer stalls.
    const auto take = [&] {
        while (failure.isEmpty() && !m_aborted && reply->bytesAvailable() > 0) {
            const QByteArray bytes = reply->read(ReadBufferSize);
            if (received + bytes.size() > limits.maxBytes)
                return stop(tooLarge);
            if (!sink(bytes))
                return stop(QStringLiteral("Die Datei kann nicht geschrieben werden."));
            received += bytes.size();
            if (progress && !progress(received, total()))
                abort();
        }
    };
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
        stop(QStringLiteral("Der Download hat länger als %1 s gedauert.").arg(limits.totalMs / 1000.0));
    });
    // A declared size above the limit ends the transfer before the body.
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        if (total() > limits.maxBytes)
            stop(tooLarge);
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, take);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    limit.start(limits.totalMs);
    if (!reply->isFinished())
        loop.exec();
    take();  // what arrived with the end
    m_reply = nullptr;

    if (m_aborted)
        m_error = QStringLiteral("Der Download wurde abgebrochen.");
    else if (!failure.isEmpty())
        m_error = failure;
    else if (reply->error() != QNetworkReply::NoError)
        m_error = networkErrorText(*reply, stallTimeoutMs);
    return m_error.isEmpty();
}

bool HttpDownload::run(const QUrl &url, const QString &path, const Limits &limits, const Progress &progress,
                       const QString &sha256Hex)
{
    if (!acceptsUrl(url))
        return false;
    // Unnamed until the commit where the platform allows it; without a
    // commit the temporary copy goes and the old file stays.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = path + QStringLiteral(": Die Datei kann nicht angelegt werden.");
        return false;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const auto write = [&](const QByteArray &bytes) {
        hash.addData(bytes);
        return file.write(bytes) == bytes.size();
    };
    if (!transfer(url, limits, progress, write))
        return false;
    if (!sha256Hex.isEmpty() && hash.result().toHex() != sha256Hex.trimmed().toLatin1().toLower()) {
        m_error = updateText(UpdateText::ChecksumMismatch, 0);
        return false;
    }
    if (!file.commit()) {
        m_error = path + QStringLiteral(": Die Datei kann nicht gespeichert werden.");
        return false;
    }
    return true;
}

std::optional<QByteArray> HttpDownload::fetch(const QUrl &url, const Limits &limits, const Progress &progress)
{
    if (!acceptsUrl(url))
        return std::nullopt;
    QByteArray body;
    if (!transfer(url, limits, progress, [&body](const QByteArray &bytes) {
            body += bytes;
            return true;
        }))
        return std::nullopt;
    return body;
}

void HttpDownload::abort()
{
    if (!m_reply || m_aborted)
        return;
    m_aborted = true;
    m_reply->abort();
}
