#include "widgets/urlopen.h"

#include <QDesktopServices>
#include <QRegularExpression>

namespace {
bool hasScheme(const QString &address)
{
    // Only a leading "scheme://" or "mailto:" counts: "host:8080" is a host
    // with a port, and a "://" further on belongs to a path or query.
    static const QRegularExpression scheme(QStringLiteral("^(?:[A-Za-z][A-Za-z0-9+.-]*://|mailto:)"),
                                           QRegularExpression::CaseInsensitiveOption);
    return scheme.match(address).hasMatch();
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
