#include "link/tcptarget.h"

TcpTarget TcpTarget::fromText(const QString &text)
{
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
