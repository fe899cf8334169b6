#include "link/comportlink.h"
#include "comport/eabort.h"
#include "link/eventloopwait.h"
#include "frontend/frontend.h"

#include <QDeadlineTimer>
#include <algorithm>

ComPortLink::ComPortLink(Frontend &ui) : m_ui(ui)
{
    // Comm1 as the main window stores it.
    Comm1.SetBaudRate(br9600);
    Comm1.BufferSizes().SetInput(128);
    Comm1.BufferSizes().SetOutput(1024);
    Comm1.SetDataBits(db8);
    Comm1.FlowControl().SetRTS(rcEnable);
    Comm1.FlowControl().SetXOnXOff(xcDisable);
    Comm1.SetParity(paEven);
    Comm1.SetPriorityClass(pcRealTime);
    Comm1.SetStopBits(sb1);
    Comm1.OnError = [this](TCustomComPort *port, EComError &error, TComAction &action) {
        Comm1Error(port, error, action);
    };
    Comm1.OnLineError = [this](QObject *sender, TLineErrors errors) { Comm1LineError(sender, errors); };
}

void ComPortLink::requireOpen()
{
    // A device that went away closed the port and its error has been shown:
    // the operation ends without a second message. Any other closed port
    // raises its own error through Comm1Error.
    if (!Comm1.Active() && Comm1.DeviceLost())
        throw EAbort();
    Comm1.CheckActive();
}

bool ComPortLink::SendBytes(const char *data, int count, int holdLimitMs, const std::function<bool()> &stop)
{
    requireOpen();
    const QDeadlineTimer deadline(qint64(count + 1) * lineBitsPerCharacter() * 1000 / lineSpeed() + holdLimitMs,
                                  Qt::PreciseTimer);
    // A byte sent without waiting (SendByte) may still be queued, and the
    // write would wait for it without a limit.
    if (!waitUntilSent(deadline, stop))
        return false;
    Comm1.Write(data, count, false);
    if (!waitUntilSent(deadline, stop))
        return false;
    // Handed to the line, the last bytes out of the chip too.
    Comm1.WaitForWriteCompletion();
    return true;
}

bool ComPortLink::waitUntilSent(const QDeadlineTimer &deadline, const std::function<bool()> &stop)
{
    // A record takes about 140 ms on the line at 19200 bit/s: wait for it in
    // the event loop, so the window repaints and the cancel controls work,
    // and wake when the bytes should have left. Bytes held back by flow
    // control do not move: wake less and less often, up to 50 ms.
    qint64 lastQueued = -1;
    qint64 heldMs = 0;
    for (;;) {
        requireOpen();
        const qint64 queued = Comm1.OutputCount() + (Comm1.WritePending() ? 1 : 0);
        if (queued == 0)
            break;
        const bool held = queued == lastQueued;
        if (deadline.hasExpired() || (held && stop && stop())) {
            // A line held by CTS (modem off, three-wire cable) may never
            // take them, and every later write would wait behind them.
            Comm1.PurgeOutput();
            return false;
        }
        heldMs = held ? qMin<qint64>(qMax<qint64>(2 * heldMs, 2), 50) : 0;
        lastQueued = queued;
        const qint64 lineMs = queued * lineBitsPerCharacter() * 1000 / lineSpeed();
        sleepInEventLoop(QDeadlineTimer(std::min(std::max<qint64>({1, lineMs, heldMs}), deadline.remainingTime() + 1)));
    }
    return true;
}

int ComPortLink::lineSpeed() const { return qMax(1, int(Comm1.CustomBaudRate())); }

int ComPortLink::lineBitsPerCharacter() const
{
    const int dataBits = Comm1.DataBits() == dbDefault ? 8 : Comm1.DataBits() + 3;
    const int parity = Comm1.Parity() == paNone || Comm1.Parity() == paDefault ? 0 : 1;
    const int stop = Comm1.StopBits() == sb2 || Comm1.StopBits() == sb1_5 ? 2 : 1;
    return 1 + dataBits + parity + stop;
}

void ComPortLink::SendByte(quint8 byte)
{
    requireOpen();
    Comm1.WriteByte(byte);
}

int ComPortLink::PollByte(quint8 &byte)
{
    requireOpen();
    if (Comm1.InputCount() == 0)
        return 0;
    byte = Comm1.ReadByte();
    return 1;
}

void ComPortLink::PurgeInput() { Comm1.PurgeInput(); }

void ComPortLink::SetBaudRate(TBaudRate rate) { Comm1.SetBaudRate(rate); }

int ComPortLink::readableHandle() const { return int(Comm1.ArrivalDescriptor()); }

void ComPortLink::Comm1Error(TCustomComPort *, EComError &error, TComAction &action)
{
    m_ui.showMessage(QStringLiteral("Programm muß beendet werden!! Fehler von %1: ").arg(comSystemName()) + error.message());
    action = caAbort;
}

void ComPortLink::Comm1LineError(QObject *, TLineErrors errors)
{
    if (!LineErrorMessages)
        return;
    static const char *const texts[] = {"Break detected", "Device not selected", "Frame error", "IO error",
                                        "Mode error",     "Out of paper",        "Overrun error", "Device timeout",
                                        "Receiver overflow", "Parity error",     "Transmitter full"};
    for (int e = leBreak; e <= leTxFull; ++e)
        if (errors.contains(TLineError(e)))
            m_ui.showMessage(QString::fromLatin1(texts[e]));
}
