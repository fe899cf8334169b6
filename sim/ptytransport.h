#pragma once
#include "sim/serialwire.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class DeviceSim;
class HayesModem;
class QSocketNotifier;

// Serves the simulated device on a pseudo-terminal. The program opens the
// slave end (slavePath()); the simulator speaks on the master end.
//
// The transport models the serial line: a byte the program wrote reaches the
// device only after the time it would take on the wire at the device's line
// speed, so the device never answers earlier than a real one could. With a
// slow line the device's own bytes are paced the same way. Bytes sent while
// the program's port and the device disagree on the speed arrive as noise,
// as they would on a real line.
class PtyTransport : public QObject {
    Q_OBJECT
public:
    // 8E1: start bit, 8 data bits, parity, stop bit.
    static constexpr int BitsPerCharacter = 11;
    // What a receiver makes of a character sent at another speed.
    static constexpr char Noise = char(0xFF);

    explicit PtyTransport(DeviceSim &device, QObject *parent = nullptr);
    ~PtyTransport() override;

    // False with errorString() on failure.
    bool open();
    QString errorString() const { return m_error; }
    QString slavePath() const { return m_slavePath; }
    void setSlowLine(bool on) { m_slowLine = on; }
    // The wire runs factor times faster than the line speed says, so tests of
    // long transfers need not wait out the real line time. 1 is real time.
    void setTimeCompression(int factor) { m_compression = qMax(1, factor); }
    int lineSpeed() const { return m_bitsPerSecond; }
    // The speed the program's port is set to; 0 when it is not a standard one.
    int programSpeed() const { return terminalSpeed(m_slave); }
    // Bits per second a terminal is set to; 0 when it is not a standard speed.
    static int terminalSpeed(int fd);
    // The device is unplugged: the program's port sees the line hang up.
    void hangUp();
    // Puts a modem between the line and the device.
    void setModem(HayesModem *modem);
    // The program's port runs with CTS output flow control.
    bool programFlowControl() const;

signals:
    void hungUp();

private:
    qint64 characterNs() const;
    qint64 now() const { return m_clock.nsecsElapsed(); }
    QByteArray asHeard(const QByteArray &bytes, int sentAt, int heardAt) const;
    void onReadable();
    void fromDevice(const QByteArray &bytes);
    void toDevice(const QByteArray &bytes);
    void watchDtr();
    void onTimer();
    void writeOut();
    void scheduleTimer();

    DeviceSim &m_device;
    HayesModem *m_modem = nullptr;
    int m_master = -1;
    int m_slave = -1;  // held open so the line does not hang up between the program's opens
    QString m_slavePath;
    QString m_error;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    int m_bitsPerSecond = 9600;
    bool m_slowLine = false;
    int m_compression = 1;
    QElapsedTimer m_clock;
    SerialWire m_toDevice;
    SerialWire m_toProgram;  // slow line only
    QByteArray m_outbound;   // arrived at the program's end, not yet taken by the pty
    QTimer m_timer;
    QTimer m_dtrWatch;
};
