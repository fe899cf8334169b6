#include "settings/programsettings.h"

#include "settings/inifile.h"
#include "settings/userfolder.h"

#include <QFileInfo>

namespace {
const QString Code = QStringLiteral("Code");
const QString File = QStringLiteral("File");
const QString Connection = QStringLiteral("Connection");
const QString Protokoll = QStringLiteral("Protokoll");
}  // namespace

ProgramSettings ProgramSettings::load(const TIniFile &ini)
{
    ProgramSettings s;
    s.FW = ini.ReadInteger(Code, QStringLiteral("FW"), s.FW);
    s.Filter = ini.ReadInteger(File, QStringLiteral("Filter"), s.Filter);
    s.Name = ini.ReadString(File, QStringLiteral("Name"), s.Name);
    s.COM = ini.ReadString(Connection, QStringLiteral("COM"), s.COM);
    s.Port = ini.ReadString(Connection, QStringLiteral("Port"), s.Port);
    s.Ethernet = ini.ReadInteger(Connection, QStringLiteral("Ethernet"), s.Ethernet);
    s.IP = ini.ReadString(Connection, QStringLiteral("IP"), s.IP);
    s.Ordner = ini.ReadString(Protokoll, QStringLiteral("Ordner"), s.Ordner).trimmed();
    return s;
}

void ProgramSettings::save(TIniFile &ini) const
{
    ini.WriteString(Code, QStringLiteral("Baujahr"), Baujahr);
    ini.WriteString(Code, QStringLiteral("FabNr"), FabNr);
    ini.WriteInteger(Code, QStringLiteral("FW"), FW);
    ini.WriteInteger(File, QStringLiteral("Filter"), Filter);
    ini.WriteString(File, QStringLiteral("Name"), Name);
    ini.WriteString(Connection, QStringLiteral("COM"), COM);
    ini.WriteInteger(Connection, QStringLiteral("Ethernet"), Ethernet);
    ini.WriteString(Connection, QStringLiteral("Port"), Port);
    ini.WriteString(Connection, QStringLiteral("IP"), IP);
}

QString settingsFilePath(const QString &explicitPath, const QString &programPath)
{
    if (!explicitPath.isEmpty())
        return explicitPath;
    // A portable copy brings its file along; none is ever made there, since
    // the program's folder belongs to the package manager.
    if (!programPath.isEmpty()) {
        const QFileInfo program(programPath);
        const QString beside = program.absolutePath() + u'/' + program.completeBaseName() + QStringLiteral(".INI");
        if (QFileInfo(beside).isFile())
            return beside;
    }
    return userSettingsFile();
}
