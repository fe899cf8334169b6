#include "settings/userfolder.h"

#include <QStandardPaths>

QString userSettingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/quillon/quillon.INI");
}

QString userSettingsFileText()
{
    return QStringLiteral("$XDG_CONFIG_HOME/quillon/quillon.INI (~/.config/quillon/quillon.INI)");
}
