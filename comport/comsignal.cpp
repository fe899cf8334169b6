#include "comport/comsignal.h"

// The handler installed in the port's slots. Its owner identifies it, so a
// detach can tell its own handler from one installed later by someone else.
struct TComSignal::Hook {
    enum Slot { AfterOpen, AfterClose, BeforeWrite, AfterWrite, Event };
    TComSignal *owner;
    Slot slot;

    void operator()(TCustomComPort *port) const
    {
        owner->recompute();
        const auto &saved = slot == AfterOpen ? owner->m_savedAfterOpen : owner->m_savedAfterClose;
        if (saved)
            saved(port);
    }
    void operator()(QObject *sender) const
    {
        switch (owner->m_attached) {
        case siCTS:
        case siDSR:
        case siRing:
        case siRLSD:
            owner->recompute();
            break;
        default:
            owner->momentary();
        }
        if (owner->m_savedNotify)
            owner->m_savedNotify(sender);
    }
    void operator()(QObject *sender, TLineErrors errors) const
    {
        owner->momentary();
        if (owner->m_savedLineError)
            owner->m_savedLineError(sender, errors);
    }
    void operator()(TCustomComPort *port, const void *buffer, int length, bool wait) const
    {
        if (slot == BeforeWrite) {
            owner->m_writing = true;
            owner->momentary();
            if (owner->m_savedBeforeWrite)
                owner->m_savedBeforeWrite(port, buffer, length, wait);
        } else {
            owner->m_writing = false;
            if (owner->m_savedAfterWrite)
                owner->m_savedAfterWrite(port, buffer, length, wait);
        }
    }
};

namespace {
// The port's event behind a signal shown through a plain notify handler.
TEventSlot<TNotifyEvent> *notifySlot(TCustomComPort &port, TSignal signal)
{
    switch (signal) {
    case siBreak: return &port.OnBreak;
    case siRxChar: return &port.OnRxChar;
    case siCTS: return &port.OnCTSChange;
    case siDSR: return &port.OnDSRChange;
    case siEvent1: return &port.OnEvent1;
    case siEvent2: return &port.OnEvent2;
    case siPrinterError: return &port.OnPrinterError;
    case siRing: return &port.OnRing;
    case siRLSD: return &port.OnRLSDChange;
    case siRx80PercFull: return &port.OnRx80PercFull;
    case siRxFlag: return &port.OnRxFlag;
    case siTxEmpty: return &port.OnTxEmpty;
    default: return nullptr;
    }
}
} // namespace

TComSignal::TComSignal(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, &TComSignal::timerTick);
    m_timer.start();  // the first tick finds no signal and stops it
}

TComSignal::~TComSignal() { detach(); }

QString TComSignal::About() const { return QStringLiteral("TComSignal 1.0"); }

void TComSignal::SetColorOff(TColor value)
{
    m_colorOff = value;
    recolour();
}

void TComSignal::SetControl(Control control)
{
    m_control = std::move(control);
    recolour();
}

void TComSignal::SetComPort(TCustomComPort *port)
{
    m_timer.stop();
    detach();
    m_port = port;
    attach();
    recompute();
}

void TComSignal::attach()
{
    if (!m_port)
        return;
    TCustomComPort &port = *m_port;
    m_attached = m_signal;
    m_savedAfterOpen = port.AfterOpen.get();
    port.AfterOpen = Hook{this, Hook::AfterOpen};
    m_savedAfterClose = port.AfterClose.get();
    port.AfterClose = Hook{this, Hook::AfterClose};
    if (TEventSlot<TNotifyEvent> *slot = notifySlot(port, m_attached)) {
        m_savedNotify = slot->get();
        *slot = Hook{this, Hook::Event};  // through the port: the event mask follows
    } else if (m_attached == siLineError) {
        m_savedLineError = port.OnLineError.get();
        port.OnLineError = Hook{this, Hook::Event};
    } else if (m_attached == siTxChar) {
        m_savedBeforeWrite = port.BeforeWrite.get();
        port.BeforeWrite = Hook{this, Hook::BeforeWrite};
        m_savedAfterWrite = port.AfterWrite.get();
        port.AfterWrite = Hook{this, Hook::AfterWrite};
    }
}

template <typename Sig>
void TComSignal::restore(TEventSlot<Sig> &slot, std::function<Sig> &saved)
{
    const Hook *hook = slot.get().template target<Hook>();
    if (hook && hook->owner == this)
        slot = std::move(saved);
    saved = nullptr;
}

void TComSignal::detach()
{
    if (!m_port)
        return;
    TCustomComPort &port = *m_port;
    restore(port.AfterOpen, m_savedAfterOpen);
    restore(port.AfterClose, m_savedAfterClose);
    if (TEventSlot<TNotifyEvent> *slot = notifySlot(port, m_attached))
        restore(*slot, m_savedNotify);
    else if (m_attached == siLineError)
        restore(port.OnLineError, m_savedLineError);
    else if (m_attached == siTxChar) {
        restore(port.BeforeWrite, m_savedBeforeWrite);
        restore(port.AfterWrite, m_savedAfterWrite);
    }
    m_writing = false;
}

void TComSignal::momentary()
{
    setSignalValue(true);
    m_timer.start();
}

void TComSignal::timerTick()
{
    if (m_attached == siTxChar && m_writing)
        return;
    m_timer.stop();
    setSignalValue(false);
}

void TComSignal::recompute()
{
    bool value = false;
    if (m_port && m_port->Active()) {
        static const std::pair<TSignal, TModemStatusValue> lines[] = {
            {siCTS, msCTS}, {siDSR, msDSR}, {siRing, msRing}, {siRLSD, msRLSD}};
        for (const auto &[signal, line] : lines)
            if (m_signal == signal)
                value = m_port->ModemStatus().contains(line);
    }
    setSignalValue(value);
}

void TComSignal::setSignalValue(bool value)
{
    if (value == m_value)
        return;
    m_value = value;
    recolour();
    if (OnSignal)
        OnSignal(this);
}

void TComSignal::recolour()
{
    if (m_control)
        m_control(m_value ? m_colorOn : m_colorOff);
}
