#include "orvabout/installerfile.h"

#include <QCryptographicHash>
#include <QFile>

QString safeInstallerName(const QString &proposed)
{
    // Both separators count: the version file is written for several platforms.
    const qsizetype cut = qMax(proposed.lastIndexOf(QLatin1Char('/')), proposed.lastIndexOf(QLatin1Char('\\')));
    const QString name = proposed.mid(cut + 1).trimmed();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QChar(0)))
        return {};
    return name;
}

bool installerMatches(const QString &path, const QString &sha256Hex)
{
    const QByteArray expected = QByteArray::fromHex(sha256Hex.trimmed().toLatin1());
    if (expected.size() != 32 || sha256Hex.trimmed().size() != 64)
        return false;
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return false;
    return hash.result() == expected;
}
