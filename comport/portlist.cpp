#include "comport/portlist.h"
#include "comport/comport_platform.h"

#include <QRegularExpression>

QString SerialPortEntry::description() const
{
    return maker.isEmpty() ? product : maker + QLatin1Char(' ') + product;
}

ComPortCheck CheckComPort(const QString &name)
{
    switch (portState(name)) {
    case PortState::Free: return ComPortCheck::Free;
    case PortState::Missing:
    case PortState::NotSerial:
    case PortState::Folder: return ComPortCheck::Unknown;
    case PortState::Busy:
    case PortState::NoPermission:
    case PortState::Failed: break;
    }
    return ComPortCheck::Busy;
}

PortStatus portStatus(const QString &name) { return complatform::probePort(complatform::devicePath(name)); }

QString portStatusText(const PortStatus &status)
{
    switch (status.state) {
    case PortState::Free: return QStringLiteral("frei");
    case PortState::Missing: return QStringLiteral("nicht vorhanden");
    case PortState::Busy: return QStringLiteral("von einem anderen Programm belegt");
    case PortState::NoPermission:
        if (status.adminOnly)
            return QStringLiteral("keine Berechtigung – nur für den Administrator");
        if (!status.group.isEmpty())
            return QStringLiteral("keine Berechtigung – Gruppe \"%1\"").arg(status.group);
        return QStringLiteral("keine Berechtigung");
    case PortState::NotSerial: return QStringLiteral("keine serielle Schnittstelle");
    case PortState::Folder: return QStringLiteral("ein Verzeichnis, keine serielle Schnittstelle");
    case PortState::Failed: break;
    }
    return complatform::errorText(status.error);
}

const char *portStatusKey(PortState state)
{
    switch (state) {
    case PortState::Free: return "free";
    case PortState::Missing: return "missing";
    case PortState::Busy: return "busy";
    case PortState::NoPermission: return "no-permission";
    case PortState::NotSerial: return "not-a-serial-port";
    case PortState::Folder: return "folder";
    case PortState::Failed: break;
    }
    return "failed";
}

int CountComPorts(int limit)
{
    static const QRegularExpression comName(QStringLiteral("^COM[0-9]+$"));
    int count = 0;
    for (const SerialPortEntry &port : PresentSerialPorts())
        if (comName.match(port.name).hasMatch() && ++count == limit)
            break;
    return count;
}

QList<SerialPortEntry> PresentSerialPorts() { return complatform::presentSerialPorts(); }

QString portAdvice(const QString &name, const PortStatus &status)
{
    if (status.state != PortState::NoPermission)
        return {};
    if (status.adminOnly)
        return QStringLiteral("%1 darf nur der Administrator öffnen; keine Gruppe, in die Sie Ihr Benutzerkonto "
                              "aufnehmen könnten, hat Zugriff darauf.")
            .arg(name);
    if (status.group.isEmpty())
        return {};
    return QStringLiteral("Sie haben keine Berechtigung für %1. Nehmen Sie Ihr Benutzerkonto in die Gruppe "
                          "\"%2\" auf (sudo usermod -aG %2 $USER) und melden Sie sich danach neu an.")
        .arg(name, status.group);
}

QString comPortProblem(const QString &name)
{
    return portAdvice(name, portStatus(name));
}

QString portRefusalText(const QString &name, const PortStatus &status)
{
    const QString text = QStringLiteral("%1: %2").arg(name, portStatusText(status));
    const QString advice = portAdvice(name, status);
    return advice.isEmpty() ? text : text + QStringLiteral(". ") + advice;
}

bool isSystemConsole(const QString &name) { return complatform::isConsole(complatform::devicePath(name)); }

QString systemConsoleWarning(const QString &name)
{
    return QStringLiteral("Achtung: %1 ist die Systemkonsole dieses Rechners. Meldungen des Systems und eine "
                          "Anmeldung auf ihr können die Verbindung zum Gerät stören.")
        .arg(name);
}
