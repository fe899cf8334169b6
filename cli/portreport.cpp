#include "cli/portreport.h"

#include <QStringList>

QList<PortReport> reportPorts()
{
    QList<PortReport> reports;
    for (const SerialPortEntry &port : PresentSerialPorts())
        reports.append({port, portState(port.name)});
    return reports;
}

QString stateText(PortState state)
{
    switch (state) {
    case PortState::Free: return QStringLiteral("frei");
    case PortState::Missing: return QStringLiteral("nicht vorhanden");
    case PortState::Busy: return QStringLiteral("von einem anderen Programm belegt");
    case PortState::NoPermission: return QStringLiteral("keine Berechtigung – Gruppe \"dialout\"");
    }
    return {};
}

const char *stateKey(PortState state)
{
    switch (state) {
    case PortState::Free: return "free";
    case PortState::Missing: return "missing";
    case PortState::Busy: return "busy";
    case PortState::NoPermission: return "no-permission";
    }
    return "";
}

QString presentPortsText()
{
    QStringList ports;
    for (const PortReport &r : reportPorts()) {
        QStringList facts;
        if (const QString com = comName(r.port); !com.isEmpty())
            facts << com;
        if (const QString adapter = r.port.description(); !adapter.isEmpty())
            facts << adapter;
        facts << stateText(r.state);
        ports << QStringLiteral("%1 (%2)").arg(r.port.path, facts.join(QStringLiteral(", ")));
    }
    if (ports.isEmpty())
        return QStringLiteral("Es ist keine serielle Schnittstelle vorhanden.");
    return QStringLiteral("Vorhandene Schnittstellen: ") + ports.join(QStringLiteral("; "));
}
