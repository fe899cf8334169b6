#pragma once
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

class DeviceSim;

// A Hayes-style modem in front of the simulated device. In command mode
// "at..." CR is answered with CR LF "OK" CR LF, and "atd<number>" CR, after a
// short delay, with the chosen answer. Once connected, bytes pass through to
// the device and back until the call ends.
class HayesModem : public QObject {
    Q_OBJECT
public:
    enum class Answer { Connect, NoCarrier, Busy, Ring, Silent };
    // "connect", "nocarrier", "busy", "ring", "silent".
    static std::optional<Answer> answerNamed(const QString &name);

    explicit HayesModem(DeviceSim &device, QObject *parent = nullptr);

    Answer answer = Answer::Connect;
    int answerDelayMs = 200;
    // The last KeptCommands command lines received, without their CR.
    static constexpr qsizetype KeptCommands = 64;
    QList<QByteArray> commands;

    bool inCall() const { return m_inCall; }
    // Bytes from the program's side of the line.
    void receive(const QByteArray &bytes);
    // The call ends: the carrier goes, the modem takes commands again.
    void hangUp();

signals:
    // Bytes to the program's side of the line.
    void send(const QByteArray &bytes);
    void carrierChanged(bool present);

private:
    void command(const QByteArray &line);
    void answerDial();
    void connectCall(const QByteArray &words);

    DeviceSim &m_device;
    QByteArray m_line;
    bool m_inCall = false;
    QTimer m_dialTimer;
};
