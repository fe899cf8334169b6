#pragma once
#include "comport/comport.h"
#include "link/seriallink.h"

#include <QDeadlineTimer>

class Frontend;

// The byte channel's serial side over the program's port Comm1, with the
// port's two error handlers. The port is read by polling; its event thread
// is not used for receiving.
class ComPortLink : public SerialLink {
public:
    // Comm1 gets the program's stored settings (9600 8E1, RTS on, ...), closed.
    explicit ComPortLink(Frontend &ui);

    bool SendBytes(const char *data, int count, int holdLimitMs, const std::function<bool()> &stop) override;
    void SendByte(quint8 byte) override;
    int PollByte(quint8 &byte) override;
    void PurgeInput() override;
    void SetBaudRate(TBaudRate rate) override;
    int readableHandle() const override;
    bool isOpen() const override { return Comm1.Active(); }

    // Shows "Programm muß beendet werden!! Fehler von <system>: ..." and turns the error into a silent abort.
    void Comm1Error(TCustomComPort *port, EComError &error, TComAction &action);
    // One message per line error, only while LineErrorMessages is on.
    void Comm1LineError(QObject *sender, TLineErrors errors);

    TComPort Comm1;
    bool LineErrorMessages = false;  // nothing in the program turns it on

private:
    void requireOpen();
    // Until the port's output queue is empty; false, with the queue
    // discarded, once the deadline passes or stop() says so while it is held.
    bool waitUntilSent(const QDeadlineTimer &deadline, const std::function<bool()> &stop);
    // Bits per second and bits per character on the line, for the time a
    // write takes.
    int lineSpeed() const;
    int lineBitsPerCharacter() const;

    Frontend &m_ui;
};
