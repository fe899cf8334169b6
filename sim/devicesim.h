#pragma once
#include "sim/deviceprofile.h"
#include "sim/flashside.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <functional>

// The device side of the command protocol, independent of the transport:
// bytes from the program go into receive(), the device's bytes come out of
// send(). Transports (TCP, pseudo-terminal) only move bytes.
class DeviceSim : public QObject {
    Q_OBJECT
public:
    explicit DeviceSim(DeviceProfile profile, QObject *parent = nullptr);

    void receive(const QByteArray &bytes);

    DeviceProfile profile;

    // Faults of the command protocol.
    struct Faults {
        bool silent = false;          // answer nothing
        QByteArray noiseBefore;       // sent in front of every answer
        int splitAt = 0;              // send an answer in two parts, the second 30 ms later
        int dropLinkAfterFrames = -1; // ask the transport to drop the link after n frames
    } faults;

    // Restarting after programming: the device answers nothing.
    bool starting = false;

    // The flash-update mode after "1FLASH", with its own faults.
    FlashSide flash{*this};

    // The last KeptFrames command frames received, as they came (STX..ETX
    // plus any CRC text).
    static constexpr qsizetype KeptFrames = 512;
    QList<QByteArray> frames;

    // While set, received bytes bypass the frame parser (the flash mode).
    using RawHandler = std::function<void(const QByteArray &)>;
    void setRawHandler(RawHandler handler) { m_raw = std::move(handler); }

    // Send an answer frame STX body ETX (+ CRC when the profile uses CRC).
    void answer(const QByteArray &body);

    static quint16 crc16(const QByteArray &bytes);

signals:
    void send(const QByteArray &bytes);
    void dropLink();
    // The device restarts: a TCP line to it closes, a serial line stays.
    void restarting();
    void lineSpeedChanged(int bitsPerSecond);
    // "1FLASH" arrived; the flash side takes over the byte stream.
    void flashRequested();

private:
    void parse(quint8 byte);
    void frameComplete(bool hasCrc);
    void command(const QByteArray &body);
    void emitAnswer(const QByteArray &bytes);

    RawHandler m_raw;
    QByteArray m_frame;
    enum class State { Idle, Body, Crc } m_state = State::Idle;
    int m_crcChars = 0;
    bool m_crcTimerArmed = false;
    quint64 m_frameSerial = 0;
    qint64 m_framesReceived = 0;  // all of them, for the faults that count frames
};
