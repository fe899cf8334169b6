#pragma once
#include <QString>
#include <QStringList>

// The desktop program's command line, read before the window system is
// asked for anything, so --help and --version work without a display.
struct StartOptions {
    enum class Want { Run, Help, Version, Error };
    Want want = Want::Run;
    QString settingsPath;  // --settings; empty: the usual place
    QString file;          // a firmware file to load at start; empty: none
    QString error;         // with Error: what is wrong, in German
};

// words[0] is the program. Qt's own options (-platform NAME, -style NAME,
// -reverse, ...) are passed over: the application object takes them.
StartOptions parseStartOptions(const QStringList &words);

// What --help prints.
QString startHelpText();
