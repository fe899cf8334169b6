#include "orvabout/versinfo.h"

#include "settings/inifile.h"

#include <QFileInfo>

namespace {
const char *const StringKeys[] = {"CompanyName",      "FileDescription",  "FileVersion", "InternalName",
                                  "LegalCopyright",   "LegalTrademarks",  "OriginalFilename",
                                  "ProductName",      "ProductVersion",   "Comments"};
}

TVersInfo::TVersInfo(QObject *owner) : TVersInfo(QString::fromLatin1(DefaultSource), owner) {}

TVersInfo::TVersInfo(const QString &source, QObject *owner) : QObject(owner)
{
    read(source);
}

void TVersInfo::read(const QString &source)
{
    if (!QFileInfo::exists(source))
        return;
    const TIniFile data(source);
    // First translation entry: language in the low 16 bits, code page in the high ones.
    const int translation = data.ReadInteger(QStringLiteral("VarFileInfo"), QStringLiteral("Translation"), -1);
    if (translation == -1)
        return;
    const quint32 entry = quint32(translation);
    m_values[0] = QStringLiteral("%1%2")
                      .arg(entry & 0xFFFF, 4, 16, QLatin1Char('0'))
                      .arg(entry >> 16, 4, 16, QLatin1Char('0'))
                      .toUpper();
    const QString section = QStringLiteral("StringFileInfo\\") + m_values[0];
    for (int i = 0; i < 10; ++i) {
        const QString key = QLatin1String(StringKeys[i]);
        const QString value = data.ReadString(section, key, QString());
        m_values[i + 1] = value.isEmpty() ? QStringLiteral("No ") + key : value;
    }
}
