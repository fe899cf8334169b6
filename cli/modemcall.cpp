#include "cli/modemcall.h"

#include "cli/orderedjson.h"
#include "frontend/frontend.h"
#include "link/link.h"
#include "link/modem.h"


ModemCall dialThroughModem(Modem &modem, Frontend &ui, const Link &link, const QString &number,
                           const std::optional<QString> &init)
{
    if (init)
        modem.btInitClick(*init);
    modem.edRufChange(number);
    modem.btRufClick();
    return {ui.caption(Control::lbMoMeld), link.ModemConnected};
}

QString callFailure(const ModemCall &call)
{
    const QString text = QStringLiteral("Keine Verbindung über das Modem");
    return call.reply.isEmpty() ? text : text + QStringLiteral(": ") + call.reply;
}

QByteArray withModemJson(const QByteArray &object, const ModemCall &call)
{
    const QByteArray modem = OrderedJson().add("reply", call.reply).add("connected", call.connected).text();
    const qsizetype end = object.lastIndexOf('}');
    if (end < 0)
        return "{\"modem\":" + modem + "}\n";
    const bool empty = object.left(end).trimmed().endsWith('{');
    return object.left(end) + (empty ? "" : ",") + "\"modem\":" + modem + object.mid(end);
}
