// The platform-independent part of the serial port: settings model, open and
// close, the error path and the event dispatch (transfers: comport_transfer.cpp). The device itself
// is reached through the platform interface (comport_platform.h).
#include "comport/comport.h"
#include "comport/comport_platform.h"
#include "comport/comthread.h"
#include "comport/eabort.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <utility>

namespace {
constexpr qint32 kSpeeds[] = {0,     50,    75,    110,   150,   300,   600,    1200,   1800,
                              2000,  2400,  3600,  4800,  7200,  9600,  10400,  14400,  15625,
                              19200, 28800, 38400, 56000, 57600, 115200, 128000, 256000, 0};
static_assert(std::size(kSpeeds) == brCustom + 1);

const char kClosedPort[] = "Can't perform this operation on a closed port";
const char kOpenPort[] = "Can't perform this operation on an open port";
const char kNoThread[] = "Can't create thread";
} // namespace

qint32 BaudRateValue(TBaudRate rate) { return rate <= brCustom ? kSpeeds[rate] : 0; }

std::optional<TBaudRate> baudRateOf(int bitsPerSecond)
{
    for (int r = br50; r < brCustom; ++r)
        if (BaudRateValue(TBaudRate(r)) == bitsPerSecond)
            return TBaudRate(r);
    return std::nullopt;
}

QStringList baudRates()
{
    QStringList rates;
    for (int r = br50; r < brCustom; ++r)
        rates << QString::number(BaudRateValue(TBaudRate(r)));
    return rates;
}

// ---- settings objects ------------------------------------------------------

void TFlowControl::SetDTR(TDTRControl value) { m_port.changeLine(m_dtr, value); }

void TFlowControl::SetRTS(TRTSControl value) { m_port.changeLine(m_rts, value); }

void TFlowControl::SetXOnXOff(TXOnXOffControl value) { m_port.changeLine(m_xonxoff, value); }

void TFlowControl::SetXOnLimit(quint16 value) { m_port.changeLine(m_xonLimit, value); }

void TFlowControl::SetXOffLimit(quint16 value) { m_port.changeLine(m_xoffLimit, value); }

void TCharacters::set(char &field, char value) { m_port.changeLine(field, value); }

void TBufferSizes::SetInput(qint32 value)
{
    if (value != m_input) {
        m_input = value;
        m_port.SetComBufferSizes();
    }
}

void TBufferSizes::SetOutput(qint32 value)
{
    if (value != m_output) {
        m_output = value;
        m_port.SetComBufferSizes();
    }
}

void TTimeouts::set(qint32 &field, qint32 value)
{
    if (value != field) {
        field = value;
        m_port.SetComTimeouts();
    }
}

// ---- construction, properties ------------------------------------------------

TCustomComPort::TCustomComPort(QObject *parent) : QObject(parent), m_device(ComDevice::create(*this))
{
    for (auto *slot : {&OnBreak, &OnCTSChange, &OnDSRChange, &OnEvent1, &OnEvent2, &OnPrinterError, &OnRing,
                       &OnRLSDChange, &OnRx80PercFull, &OnRxChar, &OnRxFlag, &OnTxEmpty})
        slot->notifyTo([this] { SetComEventMask(); });
    OnLineError.notifyTo([this] { SetComEventMask(); });
}

TCustomComPort::~TCustomComPort()
{
    // Closing runs BeforeClose and AfterClose, so whoever watches the port
    // sees it closed. A destructor cannot pass an error on: it is shown.
    try {
        Close();
    } catch (const std::exception &e) {
        showException(e);
    }
}

QString TCustomComPort::About() const { return QStringLiteral("TComPort 1.0"); }

qintptr TCustomComPort::Handle() const { return m_device->handle(); }

qintptr TCustomComPort::ArrivalDescriptor() const { return m_device->wakesOnArrival() ? -1 : Handle(); }

void TCustomComPort::SetBaudRate(TBaudRate value) { changeLine(m_baudRate, value); }

qint32 TCustomComPort::CustomBaudRate() const
{
    return m_baudRate == brCustom ? m_customBaudRate : BaudRateValue(m_baudRate);
}

void TCustomComPort::SetCustomBaudRate(qint32 value)
{
    if (value == m_customBaudRate)
        return;
    const auto old = std::pair(m_customBaudRate, m_baudRate);
    m_customBaudRate = value;
    m_baudRate = brCustom;
    try {
        SetComDCB();
    } catch (...) {
        std::tie(m_customBaudRate, m_baudRate) = old;
        throw;
    }
}

void TCustomComPort::SetDataBits(TDataBits value) { changeLine(m_dataBits, value); }

void TCustomComPort::SetParity(TParity value) { changeLine(m_parity, value); }

void TCustomComPort::SetStopBits(TStopBits value) { changeLine(m_stopBits, value); }

void TCustomComPort::SetOptions(TOptions value) { changeLine(m_options, value); }

void TCustomComPort::SetDeviceName(const QString &value)
{
    if (value != m_deviceName) {
        CheckInactive();
        m_deviceName = value;
    }
}

QString TCustomComPort::ShortDeviceName() const { return complatform::shortDeviceName(m_deviceName); }

QString TCustomComPort::DevicePath() const { return complatform::devicePath(m_deviceName); }

void TCustomComPort::SetPriorityClass(TPriorityClass value)
{
    if (value != m_priorityClass) {
        CheckInactive();
        m_priorityClass = value;
    }
}

void TCustomComPort::SetSynchronizeEvents(bool value)
{
    if (value != m_synchronizeEvents) {
        CheckInactive();
        m_synchronizeEvents = value;
    }
}

void TCustomComPort::SetThreadPriority(QThread::Priority value)
{
    m_threadPriority = value;
    if (m_thread)
        m_thread->setPriority(value);
}

// ---- open and close ------------------------------------------------------------

void TCustomComPort::SetActive(bool value)
{
    if (value)
        Open();
    else
        Close();
}

void TCustomComPort::Open()
{
    if (Active())
        return;
    BeforeOpen(this);
    CreateHandle();
    if (Active())
        AfterOpen(this);
}

void TCustomComPort::CreateHandle()
{
    FreeHandle();
    m_deviceLost = false;
    const QScopedValueRollback creating(m_creatingHandle, true);
    try {
        if (m_priorityClass != pcDefault)
            m_prioritySaved = complatform::raisePriority(m_priorityClass, m_savedPriority);
        m_device->open(DevicePath());
        PurgeInput();
        PurgeOutput();
        SetComBufferSizes();
        SetComDCB();
        SetComTimeouts();
        SetComEventMask();
    } catch (...) {
        FreeHandle();
        throw;
    }
}

void TCustomComPort::Close()
{
    if (m_thread && QThread::currentThread() == m_thread) {
        m_thread->runOnUiThread([this] { Close(); });
        return;
    }
    if (!Active())
        return;
    BeforeClose(this);
    FreeHandle();
    if (!Active())
        AfterClose(this);
}

void TCustomComPort::FreeHandle()
{
    DestroyThread();
    m_device->close();
    if (std::exchange(m_prioritySaved, false))
        complatform::restorePriority(m_savedPriority);
}

// ---- error path ------------------------------------------------------------------

void TCustomComPort::RaiseError(int code, const QString &message)
{
    EComError error(message, code);
    raise(error);
}

void TCustomComPort::raise(EComError &error)
{
    TComAction action = caFail;
    OnError(this, error, action);
    if (action == caAbort)
        throw EAbort();
    throw error;
}

void TCustomComPort::Check(bool ok) { check(ok, nullptr); }

void TCustomComPort::check(bool ok, const char *call)
{
    if (ok)
        return;
    const int error = complatform::lastError();
    if (error == 0)
        return;
    complatform::clearLastError();
    raiseSystemError(error, QString::fromLatin1(call));
}

void TCustomComPort::raiseSystemError(int error, const QString &call, const QString &text)
{
    EComError failure(text.isEmpty() ? complatform::errorText(error) : text, error, call);
    if (!complatform::isDeviceGone(error) || !Active() || m_creatingHandle)
        raise(failure);
    // The device will not come back on this handle. Stop the event thread
    // first, so the loss is reported once, and close the port once it has been.
    DestroyThread();
    try {
        raise(failure);
    } catch (...) {
        m_deviceLost = true;
        Close();
        throw;
    }
}

void TCustomComPort::CheckActive()
{
    if (!Active())
        RaiseError(0, QString::fromLatin1(kClosedPort));
}

void TCustomComPort::CheckInactive()
{
    if (Active())
        RaiseError(0, QString::fromLatin1(kOpenPort));
}

// ---- line control and status ----------------------------------------------------

void TCustomComPort::SetDTR()
{
    CheckActive();
    m_device->escape(ComDevice::Escape::SetDTR);
}

void TCustomComPort::ClearDTR()
{
    CheckActive();
    m_device->escape(ComDevice::Escape::ClearDTR);
}

void TCustomComPort::SetRTS()
{
    CheckActive();
    m_device->escape(ComDevice::Escape::SetRTS);
}

void TCustomComPort::ClearRTS()
{
    CheckActive();
    m_device->escape(ComDevice::Escape::ClearRTS);
}

void TCustomComPort::SetXOn()
{
    CheckActive();
    m_device->escape(ComDevice::Escape::SetXOn);
}

void TCustomComPort::SetXOff()
{
    CheckActive();
    m_device->escape(ComDevice::Escape::SetXOff);
}

void TCustomComPort::ResetDevice()
{
    CheckActive();
    m_device->escape(ComDevice::Escape::ResetDevice);
}

void TCustomComPort::SetBreak()
{
    CheckActive();
    m_device->escape(ComDevice::Escape::SetBreak);
}

void TCustomComPort::ClearBreak()
{
    CheckActive();
    m_device->escape(ComDevice::Escape::ClearBreak);
}

void TCustomComPort::TransmitChar(char value)
{
    CheckActive();
    m_device->transmitChar(value);
}

TModemStatus TCustomComPort::GetModemStatus()
{
    CheckActive();
    return m_device->modemStatus();
}

// ---- line settings --------------------------------------------------------------------

void TCustomComPort::SetComDCB()
{
    if (Active())
        m_device->applyLineSettings();
}

void TCustomComPort::SetComBufferSizes()
{
    if (Active())
        m_device->applyBufferSizes();
}

void TCustomComPort::SetComTimeouts()
{
    if (Active())
        m_device->applyTimeouts();
}

void TCustomComPort::CopyDCB(TComDCB &dcb, bool toDCB)
{
    if (toDCB) {
        if (m_baudRate != brDefault && CustomBaudRate() <= 0)
            RaiseError(0, QStringLiteral("Invalid line speed %1").arg(CustomBaudRate()));
        if (const QString refused = complatform::encodeLine(*this, dcb); !refused.isEmpty())
            RaiseError(0, refused);
        return;
    }
    const ComLineRecord line = complatform::decodeLine(dcb);
    SetCustomBaudRate(line.speed);
    m_dataBits = line.dataBits;
    m_parity = line.parity;
    m_stopBits = line.stopBits;
    const std::pair<const std::optional<char> &, void (TCharacters::*)(char)> characters[] = {
        {line.xon, &TCharacters::SetXOn},    {line.xoff, &TCharacters::SetXOff},
        {line.error, &TCharacters::SetError}, {line.eof, &TCharacters::SetEof},
        {line.event, &TCharacters::SetEvent}};
    for (const auto &[value, set] : characters)
        if (value)
            (m_characters.*set)(*value);
    if (line.dtr)
        m_flowControl.m_dtr = *line.dtr;
    m_flowControl.m_rts = line.rts;
    m_flowControl.m_xonxoff = line.xonXoff;
    if (line.xonLimit)
        m_flowControl.SetXOnLimit(*line.xonLimit);
    if (line.xoffLimit)
        m_flowControl.SetXOffLimit(*line.xoffLimit);
    for (int o = opCheckParity; o <= opAbortOnError; ++o) {
        const TOption option = TOption(o);
        if (line.knownOptions.contains(option))
            line.options.contains(option) ? m_options.include(option) : m_options.exclude(option);
    }
    SetComDCB();
}

bool TCustomComPort::ConfigDialog() { return false; }
bool TCustomComPort::DefaultConfigDialog() { return false; }

void TCustomComPort::EnumDevices(QStringList &list) { complatform::enumDevices(list); }

void TCustomComPort::EnumComDevices(QStringList &list, const QString &ttyClass)
{
    complatform::enumComDevices(list, ttyClass);
}

void TCustomComPort::EnumComDevicesFromRegistry(QStringList &list) { complatform::enumComDevicesFromRegistry(list); }

// ---- event mask and thread ---------------------------------------------------------

void TCustomComPort::SetComEventMask()
{
    if (!Active())
        return;
    const std::pair<const TEventSlot<TNotifyEvent> &, quint32> notify[] = {
        {OnBreak, evBreak}, {OnCTSChange, evCTS}, {OnDSRChange, evDSR}, {OnEvent1, evEvent1},
        {OnEvent2, evEvent2}, {OnPrinterError, evPrinterError}, {OnRing, evRing}, {OnRLSDChange, evRLSD},
        {OnRx80PercFull, evRx80Full}, {OnRxChar, evRxChar}, {OnRxFlag, evRxFlag}, {OnTxEmpty, evTxEmpty}};
    quint32 mask = OnLineError ? quint32(evError) : 0u;
    for (const auto &[slot, bit] : notify)
        if (slot)
            mask |= bit;
    m_eventMask = mask;
    m_device->applyEventMask(mask);
    if (mask == 0 && !m_device->wakesOnArrival()) {
        DestroyThread();
        return;
    }
    if (m_thread) {
        m_thread->setMask(mask);
        return;
    }
    auto *thread = new TComThread(*this, mask);
    if (!thread->isValid()) {
        delete thread;
        m_eventMask = 0;
        RaiseError(0, QString::fromLatin1(kNoThread));
    }
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    m_thread = thread;
    thread->start(m_threadPriority);
}

void TCustomComPort::DestroyThread()
{
    if (!m_thread)
        return;
    TComThread *thread = std::exchange(m_thread, nullptr);
    thread->requestStop();
    // The thread may be blocked handing us an event: serve those calls (they
    // see the stop request and do nothing) until it has ended. When we run on
    // behalf of the thread it cannot end now; it ends by itself afterwards.
    if (m_threadCallDepth == 0 && QThread::currentThread() != thread) {
        while (!thread->wait(QDeadlineTimer(10)))
            QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
}

void TCustomComPort::ThreadDoEvent(quint32 events)
{
    const std::pair<const TEventSlot<TNotifyEvent> *, quint32> order[] = {
        {&OnBreak, evBreak}, {&OnCTSChange, evCTS}, {&OnDSRChange, evDSR}, {nullptr, evError},
        {&OnEvent1, evEvent1}, {&OnEvent2, evEvent2}, {&OnPrinterError, evPrinterError}, {&OnRing, evRing},
        {&OnRLSDChange, evRLSD}, {&OnRx80PercFull, evRx80Full}, {&OnRxChar, evRxChar}, {&OnRxFlag, evRxFlag},
        {&OnTxEmpty, evTxEmpty}};
    try {
        for (const auto &[slot, bit] : order) {
            if (!(events & bit))
                continue;
            if (!slot)
                CheckLineErrors();
            else
                (*slot)(this);
        }
    } catch (const std::exception &e) {
        showException(e);
    }
}

void TCustomComPort::showException(const std::exception &e)
{
    if (dynamic_cast<const EAbort *>(&e))
        return;  // silent by definition
    const QString message = QString::fromUtf8(e.what());
    if (HandleException)
        HandleException(message);
    else
        qWarning("%s", qPrintable(message));
}

void TCustomComPort::RaiseThreadError(int error, const QString &call)
{
    // The thread ends after this; the port must not use it again.
    if (m_thread) {
        std::exchange(m_thread, nullptr)->requestStop();
        m_eventMask = 0;
    }
    try {
        EComError failure(complatform::errorText(error), error, call);
        raise(failure);
    } catch (const EComError &) {
        // OnError has seen it; the ended thread has nobody to pass it to.
    } catch (const std::exception &e) {
        showException(e);
    }
    if (complatform::isDeviceGone(error)) {
        m_deviceLost = true;
        try {
            Close();
        } catch (const std::exception &e) {
            showException(e);
        }
    }
}

// ---- the platform side's way back into the port ------------------------------------

void ComDevice::fail(int error, const char *call, const QString &text)
{
    m_port.raiseSystemError(error, QString::fromLatin1(call), text);
}

void ComDevice::check(bool ok, const char *call) { m_port.check(ok, call); }

int ComDevice::portQueuedOutput() { return m_port.queuedOutput(); }
