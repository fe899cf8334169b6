#include "settings/userfolder.h"

#include <QDir>
#include <shlobj.h>
#include <windows.h>

QString userSettingsFile()
{
    // The roaming application data follow the user from one PC to the next.
    wchar_t *folder = nullptr;
    QString path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &folder)))
        path = QDir::fromNativeSeparators(QString::fromWCharArray(folder));
    CoTaskMemFree(folder);
    if (path.isEmpty())
        path = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
    return path + QStringLiteral("/Quillon/quillon.INI");
}

QString userSettingsFileText() { return QStringLiteral("%APPDATA%\\Quillon\\quillon.INI"); }
