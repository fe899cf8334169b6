#pragma once
#include "comport/comport.h"
#include "link/frameresult.h"
#include "link/tcptarget.h"
#include "link/timelimits.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <functional>

class Frontend;
class SerialLink;

// What the TCP client is doing; the one-second tick acts on Reconnect.
enum class TcpState {
    Idle = 0,        // no connection wanted now
    Connected = 1,   // by the last connect attempt
    Connecting = 2,  // a connect attempt is running
    Reconnect = 10,  // the next tick, or a send before it, starts a connect attempt
};

// The byte channel to the device over the serial port or a TCP client, with
// the command frames on top. Owns the program-wide link flags.
//
// Every wait dispatches the application's events, so timers, the cancel
// controls and socket events run inside it; but it blocks in the event loop
// until bytes, a timer or the deadline wake it: a silent device costs no CPU.
class Link : public QObject {
    Q_OBJECT
public:
    static constexpr quint8 STX = 0x02;
    static constexpr quint8 ETX = 0x03;
    static constexpr int AnswerBufferSize = 256;  // what every caller supplies
    static constexpr int TcpRxBufferSize = 9000;
    static constexpr int TcpPendingSize = 1024;

    explicit Link(Frontend &ui, QObject *parent = nullptr);
    ~Link() override;

    // Link flags, one instance for the program. Everyone reads them; they
    // change only through the link's operations below.
    const quint8 &TcpMode = m_tcpMode;                // 1: the TCP client is the link
    const bool &CancelRequested = m_cancelRequested;  // a running operation must stop at its next check
    const bool &LinkFailed = m_linkFailed;            // the last wait ended by time-out
    bool UseCrc = false;           // frames carry a CRC (decided by the wake-up)
    QByteArray ReadPassword;       // inserted into every command frame while not empty
    bool ModemConnected = false;   // a modem call is up
    bool CarrierLost = false;      // the call's carrier went away; cleared by the next dial
    TBaudRate SavedBaudRate = br9600;  // restored after an upload
    TimeLimits limits;             // every operation's waits

    // TCP client state.
    const bool &TcpConnected = m_tcpConnected;
    const TcpState &TcpLinkState = m_tcpLinkState;
    const int &TcpConnectCountdown = m_tcpConnectCountdown;
    QByteArray TcpPending;
    QTcpSocket Client;

    // The TCP client becomes the link, not connected yet; connectSoon()
    // lets the next tick (or send) connect.
    void useTcp();
    // The serial port becomes the link; a TCP connection is dropped.
    void useSerialPort();
    // No TCP connection and none wanted until connectSoon().
    void disconnectTcp();
    void connectSoon() { m_tcpLinkState = TcpState::Reconnect; }

    // A running operation stops at its next check.
    void cancel() { m_cancelRequested = true; }
    // The cancel has been acted on; the next operation runs.
    void clearCancel() { m_cancelRequested = false; }
    // Whether the conversation failed: set by a wait that ran out and by an
    // operation that got no or a wrong answer; cleared by the next attempt.
    void setFailed(bool failed) { m_linkFailed = failed; }
    // A device conversation starts: no cancel pending, no failure.
    void beginConversation()
    {
        m_cancelRequested = false;
        m_linkFailed = false;
    }

    // The client's target: a numeric address or a host name (TcpTarget), and the port.
    void setTcpTarget(const QString &text, quint16 port);
    void setTcpTarget(const TcpTarget &target) { m_target = target; }
    void setTcpPort(quint16 port) { m_port = port; }
    const TcpTarget &tcpTarget() const { return m_target; }
    quint16 tcpPort() const { return m_port; }

    // The serial side used while TcpMode is 0; may be null (no port open).
    void setSerialLink(SerialLink *serial) { m_serial = serial; }
    SerialLink *serialLink() const { return m_serial; }

    // Command frames.
    void SendCommand(const QByteArray &command, bool crc);
    // buffer holds the frame and, in CRC mode, the four CRC characters behind it.
    FrameResult ReceiveFrame(QByteArray &buffer, bool crc, int timeoutMs, int capacity = AnswerBufferSize);

    // Byte channel.
    // Waits until the bytes have left, at most holdLimitMs longer than the
    // line needs for them (flow control can hold them for good; default
    // limits.sendHoldLimitMs); while they are held, stop() ends the wait too
    // (default: CancelRequested). False when they did not all leave; the rest
    // is discarded, and the caller's receive then runs out of time.
    bool SendBytes(const QByteArray &data);
    bool SendBytes(const QByteArray &data, int holdLimitMs, const std::function<bool()> &stop = {});
    void SendByte(quint8 byte);
    int PollByte(quint8 &byte);
    quint8 WaitByte(int timeoutMs);
    void PumpWait(int ms);
    void ConnectTcp();
    // Discard received bytes of the serial port; nothing on the TCP link.
    void PurgeInput();
    // Line speed of the serial port (ordinal); nothing on the TCP link.
    void SetBaudRate(TBaudRate rate);

    // The one-second tick's TCP duty (Timer3).
    void Timer3Tick();
    QTimer Timer3;

    // Every byte sent (true) and received (false), for --trace.
    std::function<void(bool sent, const QByteArray &bytes)> trace;

    // Block in the event loop until an event arrives (bytes included) or the
    // deadline passes. Used by every wait for bytes; returns at once after the deadline.
    void waitForEvents(const QDeadlineTimer &deadline);

private:
    // Runs the event loop while the running attempt neither connected nor
    // ran out of ticks; a cancel or a switch to the serial port ends it.
    void awaitConnectAttempt();
    // Connected for a send: a due reconnect is made at once, a running
    // attempt waited for. False when no connection came.
    bool tcpLinkForSending();
    void onConnected();
    void onDisconnected();
    void onReadyRead();
    void onError(QAbstractSocket::SocketError error);
    void pullSocket();

    quint8 m_tcpMode = 0;
    bool m_cancelRequested = false;
    bool m_linkFailed = false;
    bool m_tcpConnected = false;
    TcpState m_tcpLinkState = TcpState::Idle;
    int m_tcpConnectCountdown = 0;
    Frontend &m_ui;
    SerialLink *m_serial = nullptr;
    TcpTarget m_target;
    quint16 m_port = 0;
    QByteArray m_rx;  // unread bytes from the socket, in arrival order
    int m_rxIndex = 0;
};

// CRC-16/KERMIT as the device computes it; 0 for count <= 0.
quint16 Crc16(const char *bytes, int count);
inline quint16 Crc16(const QByteArray &bytes) { return Crc16(bytes.constData(), int(bytes.size())); }
