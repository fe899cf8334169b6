#include "link/tcptarget.h"

#include <QHostAddress>

namespace {
bool isIpv6(const QString &text)
{
    return QHostAddress(text).protocol() == QAbstractSocket::IPv6Protocol;
}

// "[ADDRESS]" around an IPv6 address: the address, else nothing.
std::optional<QString> bracketedIpv6(const QString &text)
{
    if (!text.startsWith(QLatin1Char('[')) || !text.endsWith(QLatin1Char(']')))
        return std::nullopt;
    const QString inner = text.mid(1, text.size() - 2);
    return isIpv6(inner) ? std::optional(inner) : std::nullopt;
}

std::optional<quint16> portNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > 5)
        return std::nullopt;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    const uint value = text.toUInt();
    if (value == 0 || value > 65535)
        return std::nullopt;
    return quint16(value);
}
}

TcpTarget TcpTarget::fromText(const QString &text)
{
    if (const auto address = bracketedIpv6(text))
        return {QString(), *address};
    // The scan stops at the first character that cannot belong to a dotted
    // address; what it passed decides, not what follows.
    int digits = 0;
    int dots = 0;
    int passed = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('.')) {
            if (digits == 0)
                break;
            ++dots;
            digits = 0;
        } else if (c.isDigit() && c.unicode() < 0x80) {
            if (++digits > 3)
                break;
        } else {
            break;
        }
        ++passed;
    }
    if (dots == 3 && passed <= 15)
        return {text, QString()};
    return {QString(), text};
}

std::optional<TcpEndpoint> TcpEndpoint::fromText(const QString &text)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return std::nullopt;
    const auto port = portNumber(text.mid(colon + 1));
    if (!port)
        return std::nullopt;
    const QString host = text.left(colon);
    if (const auto address = bracketedIpv6(host))
        return TcpEndpoint{*address, *port};
    // A colon in the host is a bare IPv6 address: its last group and a port
    // cannot be told apart.
    for (const QChar c : host)
        if (c == QLatin1Char(':') || c == QLatin1Char('[') || c == QLatin1Char(']') || c.isSpace())
            return std::nullopt;
    return TcpEndpoint{host, *port};
}

QString TcpEndpoint::text() const
{
    const QString shown = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return shown + QLatin1Char(':') + QString::number(port);
}
