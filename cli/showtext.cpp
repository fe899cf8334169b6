#include "cli/showtext.h"

QString printable(const QByteArray &bytes)
{
    QString text;
    for (char c : bytes)
        text += (c >= 0x20 && c < 0x7F) ? QChar::fromLatin1(c) : QChar(u'.');
    return text;
}
