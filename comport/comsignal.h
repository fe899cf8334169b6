#pragma once
#include "comport/comport.h"

#include <QPointer>
#include <QTimer>
#include <functional>

enum TSignal : quint8 {
    siNone, siBreak, siRxChar, siTxChar, siCTS, siDSR, siEvent1, siEvent2, siLineError, siPrinterError, siRing,
    siRLSD, siRx80PercFull, siRxFlag, siTxEmpty
};

// A colour as 0xRRGGBB.
using TColor = quint32;

// Shows one line signal of a port by colouring a control. It takes over the
// port's handler slot for that signal and calls the handler it displaced, so
// it can watch a port whose events are already in use.
class TComSignal : public QObject {
    Q_OBJECT
public:
    explicit TComSignal(QObject *parent = nullptr);
    ~TComSignal() override;

    QString About() const;
    TColor ColorOff() const { return m_colorOff; }
    void SetColorOff(TColor value);
    TColor ColorOn() const { return m_colorOn; }
    void SetColorOn(TColor value) { m_colorOn = value; }
    TCustomComPort *ComPort() const { return m_port; }
    void SetComPort(TCustomComPort *port);
    // The control coloured: anything that takes a colour (a lamp, a panel).
    using Control = std::function<void(TColor)>;
    void SetControl(Control control);
    int Delay() const { return m_timer.interval(); }
    void SetDelay(int ms) { m_timer.setInterval(ms); }
    TSignal Signal() const { return m_signal; }
    // Takes effect at the next attach (setting ComPort).
    void SetSignal(TSignal value) { m_signal = value; }
    bool SignalValue() const { return m_value; }

    std::function<void(QObject *sender)> OnSignal;

private:
    struct Hook;

    void attach();
    void detach();
    template <typename Sig>
    void restore(TEventSlot<Sig> &slot, std::function<Sig> &saved);
    void momentary();
    void recompute();
    void setSignalValue(bool value);
    void recolour();
    void timerTick();

    QPointer<TCustomComPort> m_port;
    Control m_control;
    TColor m_colorOff = 0x008000;
    TColor m_colorOn = 0x00FF00;
    TSignal m_signal = siNone;
    TSignal m_attached = siNone;
    bool m_value = false;
    bool m_writing = false;
    QTimer m_timer;

    // The port's handlers this component displaced.
    std::function<TOpenCloseEvent> m_savedAfterOpen, m_savedAfterClose;
    std::function<TReadWriteEvent> m_savedBeforeWrite, m_savedAfterWrite;
    std::function<TNotifyEvent> m_savedNotify;
    std::function<TLineErrorEvent> m_savedLineError;
};
