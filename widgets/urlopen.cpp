#include "widgets/urlopen.h"

#include <QDesktopServices>

namespace {
bool hasScheme(const QString &address)
{
    // Only "scheme://" and "mailto:" count: "host:8080" is a host with a
    // port, not a scheme named after the host.
    return address.contains(QLatin1String("://"))
           || address.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive);
}

bool isMailAddress(const QString &address)
{
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    const qsizetype slash = address.indexOf(QLatin1Char('/'));
    return at > 0 && (slash < 0 || at < slash);
}
}  // namespace

QUrl desktopUrl(const QString &address)
{
    const QString text = address.trimmed();
    if (text.isEmpty())
        return {};
    if (hasScheme(text))
        return QUrl(text);
    if (isMailAddress(text))
        return QUrl(QLatin1String("mailto:") + text);
    return QUrl(QLatin1String("http://") + text);
}

void openDesktopUrl(const QString &address)
{
    const QUrl url = desktopUrl(address);
    if (url.isValid())
        QDesktopServices::openUrl(url);
}
