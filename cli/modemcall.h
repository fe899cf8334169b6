#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

class Frontend;
class Link;
class Modem;

// The modem call a command runs through (--dial, --modem-init).
struct ModemCall {
    QString reply;  // the modem's words as lbMoMeld shows them
    bool connected = false;
};

// Sends the initialisation when there is one, then dials number as the
// window's "Verbinden" does.
ModemCall dialThroughModem(Modem &modem, Frontend &ui, const Link &link, const QString &number,
                           const std::optional<QString> &init);

// Why the call did not come up, for the terminal and the JSON "error".
QString callFailure(const ModemCall &call);

// A command's JSON object with "modem": {"reply", "connected"} added at its end.
QByteArray withModemJson(const QByteArray &object, const ModemCall &call);
