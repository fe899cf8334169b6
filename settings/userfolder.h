#pragma once
#include <QString>

// The settings file in the user's own folder, used unless a file lies
// beside the program: on Windows %APPDATA%\Quillon\quillon.INI, elsewhere
// $XDG_CONFIG_HOME/quillon/quillon.INI. The folder is made when the file is
// first written.
QString userSettingsFile();

// The same place as the help texts name it for the user.
QString userSettingsFileText();
