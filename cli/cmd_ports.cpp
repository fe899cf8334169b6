// ports: the serial ports the window's list offers, with their state.
#include "cli/clisession.h"
#include "cli/jsonoutput.h"
#include "cli/portreport.h"

#include <QJsonArray>

#include <algorithm>

namespace {
// Null where the system keeps no such facts.
QJsonValue namesOrNull(const std::optional<QStringList> &names) { return names ? QJsonArray::fromStringList(*names) : QJsonValue(); }
QJsonValue flagOrNull(std::optional<bool> flag) { return flag ? QJsonValue(*flag) : QJsonValue(); }

void printJson(CliSession &s, const QList<PortReport> &reports)
{
    QList<OrderedJson> ports;
    for (const PortReport &r : reports) {
        OrderedJson o;
        o.add("path", r.port.path)
            .add("com", textOrNull(comName(r.port)))
            .add("maker", textOrNull(r.port.maker))
            .add("product", textOrNull(r.port.product))
            .add("serial", textOrNull(r.port.serial))
            .add("usbId", textOrNull(r.port.usbId))
            .add("byId", namesOrNull(r.port.byId))
            .add("console", flagOrNull(r.port.console))
            .add("state", QString::fromLatin1(portStatusKey(r.status.state)))
            .add("stateText", portStatusText(r.status))
            .add("advice", textOrNull(portAdvice(r.port.name, r.status)));
        ports.append(o);
    }
    OrderedJson o = jsonOutput();
    o.add("ports", ports);
    s.out << jsonLine(o, {}, ExitOk);
}

void printTable(CliSession &s, const QList<PortReport> &reports)
{
    qsizetype pathWidth = 0;
    for (const PortReport &r : reports)
        pathWidth = std::max(pathWidth, r.port.path.size());
    QString advice;
    for (const PortReport &r : reports) {
        QString line = r.port.path.leftJustified(pathWidth) + QStringLiteral("  ") + comName(r.port).leftJustified(6)
                       + portStatusText(r.status);
        if (const QStringList remarks = portRemarks(r.port); !remarks.isEmpty())
            line += QStringLiteral("  ") + remarks.join(QStringLiteral(", "));
        s.out << line.trimmed() << "\n";
        if (advice.isEmpty())
            advice = portAdvice(r.port.name, r.status);
    }
    if (reports.isEmpty())
        s.out << "Keine serielle Schnittstelle gefunden.\n";
    if (!advice.isEmpty())
        s.err << advice << "\n";
}

int runPorts(CliSession &s, const QStringList &args)
{
    if (!args.isEmpty()) {
        s.err << "ports: nimmt keine Argumente" << Qt::endl;
        return ExitUsage;
    }
    const QList<PortReport> reports = reportPorts();
    if (s.json)
        printJson(s, reports);
    else
        printTable(s, reports);
    s.out.flush();
    s.err.flush();
    return ExitOk;
}

const CliCommand registration("ports", "",
                              "serielle Schnittstellen auflisten: Gerät, COM-Name, frei oder warum nicht, Systemkonsole, USB-Adapter und -Kennung, by-id-Namen", {},
                              false, &runPorts);
}  // namespace
