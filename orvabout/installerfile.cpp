#include "orvabout/installerfile.h"

#include <algorithm>

QString safeInstallerName(const QString &proposed)
{
    // Both separators count: the version file is written for several platforms.
    const qsizetype cut = qMax(proposed.lastIndexOf(QLatin1Char('/')), proposed.lastIndexOf(QLatin1Char('\\')));
    const QString name = proposed.mid(cut + 1).trimmed();
    // A hidden name (".bashrc", ".profile") would replace a file the user
    // never sees; control characters have no place in a file name.
    const bool control = std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')) || control)
        return {};
    return name;
}
