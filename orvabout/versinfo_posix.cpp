#include "orvabout/versinfo_platform.h"

#include "settings/inifile.h"

#include <QFileInfo>

// No version resources here: a host program carries its data as this
// resource (orvabout_host in CMake), an INI text with the translation under
// [VarFileInfo] and the texts under [StringFileInfo\<LangCharset>].
QString runningProgramVersionSource() { return QStringLiteral(":/versinfo/versinfo.ini"); }

bool readVersionData(const QString &source, QString &langCharset, const QStringList &keys, QStringList &texts)
{
    if (!QFileInfo::exists(source))
        return false;
    const TIniFile data(source);
    const int translation = data.ReadInteger(QStringLiteral("VarFileInfo"), QStringLiteral("Translation"), -1);
    if (translation == -1)
        return false;
    langCharset = langCharsetOf(quint32(translation));
    const QString section = QStringLiteral("StringFileInfo\\") + langCharset;
    for (const QString &key : keys)
        texts << data.ReadString(section, key, QString());
    return true;
}
