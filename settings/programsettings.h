#pragma once
#include <QString>

class TIniFile;

// The values the program keeps in its settings file between runs.
struct ProgramSettings {
    // A private-network address: the program's default target, never one a test dials.
    static inline const QString DefaultIp = QStringLiteral("192.168.0.100");

    QString Baujahr;  // written at exit, never read back
    QString FabNr;    // written at exit, never read back
    int FW = 0;       // selected index of cbF4, -1 when nothing is selected
    int Filter = 0;   // filter index of the file-open dialog
    QString Name;     // last firmware file chosen
    QString COM = QStringLiteral("COM1");
    int Ethernet = 0;  // non-zero: the device is reached over TCP
    QString Port = QStringLiteral("8000");
    QString IP = DefaultIp;
    // [Protokoll]: the folder that takes one upload record per run; empty:
    // none. Only read: the program never writes it.
    QString Ordner;

    bool operator==(const ProgramSettings &) const = default;

    static ProgramSettings load(const TIniFile &ini);
    void save(TIniFile &ini) const;
};

// Where the settings file lives: explicitPath when given; else beside the
// program under its name with the extension ".INI" when that file exists;
// else in the user's own folder (userSettingsFile()).
QString settingsFilePath(const QString &explicitPath, const QString &programPath);
