#include "cli/portreport.h"

#include <QStringList>

QList<PortReport> reportPorts()
{
    QList<PortReport> reports;
    for (const SerialPortEntry &port : PresentSerialPorts())
        reports.append({port, portStatus(port.name)});
    return reports;
}

QStringList portRemarks(const SerialPortEntry &port)
{
    QStringList remarks;
    if (port.console.value_or(false))
        remarks << QStringLiteral("Systemkonsole");
    QString adapter = port.description();
    if (!port.serial.isEmpty())
        adapter += (adapter.isEmpty() ? QString() : QStringLiteral(", ")) + QStringLiteral("Seriennummer ") + port.serial;
    if (!adapter.isEmpty())
        remarks << adapter;
    if (!port.usbId.isEmpty())
        remarks << QStringLiteral("USB ") + port.usbId;
    remarks << port.byId.value_or(QStringList());
    return remarks;
}

QString presentPortsText()
{
    QStringList ports;
    for (const PortReport &r : reportPorts()) {
        QStringList facts;
        if (const QString com = comName(r.port); !com.isEmpty())
            facts << com;
        if (r.port.console.value_or(false))
            facts << QStringLiteral("Systemkonsole");
        if (const QString adapter = r.port.description(); !adapter.isEmpty())
            facts << adapter;
        facts << portStatusText(r.status);
        ports << QStringLiteral("%1 (%2)").arg(r.port.path, facts.join(QStringLiteral(", ")));
    }
    if (ports.isEmpty())
        return QStringLiteral("Es ist keine serielle Schnittstelle vorhanden.");
    return QStringLiteral("Vorhandene Schnittstellen: ") + ports.join(QStringLiteral("; "));
}
