#include "sim/hayesmodem.h"

#include "sim/devicesim.h"
#include "sim/keptlist.h"

namespace {
QByteArray resultLine(const char *words) { return QByteArray("\r\n") + words + "\r\n"; }
}

std::optional<HayesModem::Answer> HayesModem::answerNamed(const QString &name)
{
    static const struct {
        const char *name;
        Answer answer;
    } names[] = {{"connect", Answer::Connect}, {"nocarrier", Answer::NoCarrier}, {"busy", Answer::Busy},
                 {"ring", Answer::Ring},       {"silent", Answer::Silent}};
    for (const auto &n : names)
        if (name == QLatin1String(n.name))
            return n.answer;
    return std::nullopt;
}

HayesModem::HayesModem(DeviceSim &device, QObject *parent) : QObject(parent), m_device(device)
{
    m_dialTimer.setSingleShot(true);
    connect(&m_dialTimer, &QTimer::timeout, this, &HayesModem::answerDial);
    connect(&m_device, &DeviceSim::send, this, [this](const QByteArray &bytes) {
        if (m_inCall)
            emit send(bytes);
    });
}

void HayesModem::receive(const QByteArray &bytes)
{
    if (m_inCall) {
        m_device.receive(bytes);
        return;
    }
    for (char c : bytes) {
        if (c == '\r') {
            command(std::exchange(m_line, {}));
        } else if (c != '\n') {
            m_line.append(c);
        }
    }
}

void HayesModem::command(const QByteArray &line)
{
    if (m_dialTimer.isActive() || !line.toLower().startsWith("at"))
        return;  // a dial in progress takes no commands; anything else is no command
    appendKept(commands, line, KeptCommands);
    if (line.toLower().startsWith("atd"))
        m_dialTimer.start(answerDelayMs);
    else
        emit send(resultLine("OK"));
}

void HayesModem::answerDial()
{
    switch (answer) {
    case Answer::Connect:
        connectCall(resultLine("CONNECT 9600"));
        break;
    case Answer::Ring:
        connectCall(resultLine("RING") + resultLine("CONNECT"));
        break;
    case Answer::NoCarrier:
        emit send(resultLine("NO CARRIER"));
        break;
    case Answer::Busy:
        emit send(resultLine("BUSY"));
        break;
    case Answer::Silent:
        break;
    }
}

void HayesModem::connectCall(const QByteArray &words)
{
    m_inCall = true;
    emit carrierChanged(true);  // the carrier is up before the modem says so
    emit send(words);
}

void HayesModem::hangUp()
{
    m_dialTimer.stop();
    m_line.clear();
    if (!std::exchange(m_inCall, false))
        return;
    emit carrierChanged(false);
}
