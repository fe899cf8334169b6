#pragma once
#include <QtGlobal>
#include <functional>

enum TBaudRate : quint8;  // comport/comport.h

// The byte channel's serial side: what the channel needs of the serial port
// Comm1 while TcpMode is 0. Implemented over TComPort; an interface so the
// channel does not depend on the port's construction.
class SerialLink {
public:
    virtual ~SerialLink() = default;

    // Send a block and return when it has left (Write with wait-on-completion),
    // or give up when bytes held back by flow control have not left
    // holdLimitMs after the line would have carried them, or when stop()
    // says so while they are held. Given up, the unsent rest is discarded, so
    // no later write waits behind it. True when everything left.
    virtual bool SendBytes(const char *data, int count, int holdLimitMs, const std::function<bool()> &stop) = 0;
    // Send one byte without waiting for completion (WriteByte).
    virtual void SendByte(quint8 byte) = 0;
    // 1 and the byte when one was waiting, else 0; never waits.
    virtual int PollByte(quint8 &byte) = 0;
    // Discard received bytes; does nothing when the port is closed.
    virtual void PurgeInput() = 0;
    // Reprogram the line speed.
    virtual void SetBaudRate(TBaudRate rate) = 0;
    // File descriptor that becomes readable when bytes arrive, -1 when closed
    // or where the port wakes the event loop itself. The channel's waits
    // block on it instead of polling.
    virtual int readableHandle() const = 0;
    virtual bool isOpen() const = 0;
};
