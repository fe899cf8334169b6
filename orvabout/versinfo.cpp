#include "orvabout/versinfo.h"

#include "orvabout/versinfo_platform.h"

namespace {
const QStringList StringKeys = {QStringLiteral("CompanyName"),      QStringLiteral("FileDescription"),
                                QStringLiteral("FileVersion"),      QStringLiteral("InternalName"),
                                QStringLiteral("LegalCopyright"),   QStringLiteral("LegalTrademarks"),
                                QStringLiteral("OriginalFilename"), QStringLiteral("ProductName"),
                                QStringLiteral("ProductVersion"),   QStringLiteral("Comments")};
}

TVersInfo::TVersInfo(QObject *owner) : TVersInfo(runningProgramVersionSource(), owner) {}

TVersInfo::TVersInfo(const QString &source, QObject *owner) : QObject(owner)
{
    read(source);
}

void TVersInfo::read(const QString &source)
{
    QStringList texts;
    if (!readVersionData(source, m_values[0], StringKeys, texts))
        return;
    for (int i = 0; i < 10; ++i)
        m_values[i + 1] = texts.value(i).isEmpty() ? QStringLiteral("No ") + StringKeys[i] : texts[i];
}

QString langCharsetOf(quint32 translation)
{
    return QStringLiteral("%1%2")
        .arg(translation & 0xFFFF, 4, 16, QLatin1Char('0'))
        .arg(translation >> 16, 4, 16, QLatin1Char('0'))
        .toUpper();
}
