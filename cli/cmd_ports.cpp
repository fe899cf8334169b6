// ports: the serial ports the window's list offers, with their state.
#include "cli/clisession.h"
#include "cli/jsonoutput.h"
#include "cli/portreport.h"

#include <algorithm>

namespace {
QString adapterText(const SerialPortEntry &port)
{
    QString text = port.description();
    if (!port.serial.isEmpty())
        text += QStringLiteral(", Seriennummer ") + port.serial;
    return text;
}

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
            .add("state", QString::fromLatin1(stateKey(r.state)))
            .add("advice", r.state == PortState::NoPermission ? QJsonValue(comPortProblem(r.port.name)) : QJsonValue());
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
                       + stateText(r.state);
        if (const QString adapter = adapterText(r.port); !adapter.isEmpty())
            line += QStringLiteral("  ") + adapter;
        s.out << line.trimmed() << "\n";
        if (r.state == PortState::NoPermission && advice.isEmpty())
            advice = comPortProblem(r.port.name);
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
                              "serielle Schnittstellen auflisten: Gerät, COM-Name, USB-Adapter, frei oder belegt", {},
                              false, &runPorts);
}  // namespace
