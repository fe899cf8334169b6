#pragma once
#include "link/modemreply.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class Frontend;
class Link;
class TCustomComPort;

// Dial-up through a Hayes modem on the serial port Comm1, and the carrier.
// The handlers of the window's modem panel are here too, so the CLI shares
// every rule; they report their tasks, and the window holds its buttons.
//
// The waits block in the event loop; bytes, the carrier event, Timer1 and a
// cancel wake them. A silent modem costs no CPU.
class Modem : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxTextLength = 31;  // number and initialisation string

    Modem(Link &link, Frontend &ui, TCustomComPort &port, QObject *parent = nullptr);
    ~Modem() override;

    bool Dialling = false;  // a dial runs: the initialisation stops it
    QByteArray PhoneNumber;
    // The modem waits' time-out: its tick sets LinkFailed.
    QTimer Timer1;

    // Why the window would not dial this number; empty when it would.
    static QString numberRefusal(const QString &number);
    // Why this initialisation string is not sent; empty when it is.
    static QString initRefusal(const QString &text);

    // The modem panel.
    void edRufChange(const QString &text);
    void btInitClick(const QString &initText);
    void btRufClick();
    // OnRLSDChange of the port.
    void Comm1RLSDChange();

    // The operations.
    void ModemInit(const QByteArray &text);
    // 1 when a reply line arrived (lbMoMeld shows it), 0 after the time-out ("Timeout!").
    int WaitModemReply(int timeoutMs);
    // 1 when the call is up.
    int DialDevice();
    // Ends a call and restores the line: even parity, no options, SavedBaudRate.
    void HangUp();

private:
    bool carrierPresent();

    Link &m_link;
    Frontend &m_ui;
    TCustomComPort &m_port;
    ModemReply m_reply;
};
