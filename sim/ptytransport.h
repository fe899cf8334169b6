#pragma once
#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

class DeviceSim;
class QSocketNotifier;

// Serves the simulated device on a pseudo-terminal. The program opens the
// slave end (slavePath()); the simulator speaks on the master end.
//
// The transport models the serial line: a byte the program wrote reaches the
// device only after the time it would take on the wire at the device's line
// speed, so the device never answers earlier than a real one could. With a
// slow line the device's own bytes are paced the same way.
class PtyTransport : public QObject {
    Q_OBJECT
public:
    // 8E1: start bit, 8 data bits, parity, stop bit.
    static constexpr int BitsPerCharacter = 11;

    explicit PtyTransport(DeviceSim &device, QObject *parent = nullptr);
    ~PtyTransport() override;

    // False with errorString() on failure.
    bool open();
    QString errorString() const { return m_error; }
    QString slavePath() const { return m_slavePath; }
    void setSlowLine(bool on) { m_slowLine = on; }
    int lineSpeed() const { return m_bitsPerSecond; }
    // The device is unplugged: the program's port sees the line hang up.
    void hangUp();

signals:
    void hungUp();

private:
    qint64 characterNs() const;
    void onReadable();
    void deliverArrived();
    void paceOutput();
    void writeOut();
    void scheduleTimers();

    DeviceSim &m_device;
    int m_master = -1;
    int m_slave = -1;  // held open so the line does not hang up between the program's opens
    QString m_slavePath;
    QString m_error;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    int m_bitsPerSecond = 9600;
    bool m_slowLine = false;
    QElapsedTimer m_clock;

    struct InFlight {
        qint64 arrivesNs;
        QByteArray bytes;
    };
    QList<InFlight> m_inbound;  // from the program, still on the wire
    qint64 m_inboundLineFreeNs = 0;
    QByteArray m_paced;         // from the device, not yet on the wire (slow line)
    qint64 m_nextOutNs = 0;
    QByteArray m_outbound;      // on the wire, not yet taken by the pty
    QTimer m_timer;
};
