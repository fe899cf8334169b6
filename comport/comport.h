#pragma once
#include "comport/comset.h"
#include "comport/comevent.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

class TCustomComPort;
class TComThread;
class ComDevice;

// The platform's line configuration record, filled by CopyDCB.
#ifdef Q_OS_WIN
struct _DCB;
using TComDCB = _DCB;
#else
struct termios2;
using TComDCB = termios2;
#endif

enum TBaudRate : quint8 {
    brDefault, br50, br75, br110, br150, br300, br600, br1200, br1800, br2000, br2400, br3600, br4800, br7200,
    br9600, br10400, br14400, br15625, br19200, br28800, br38400, br56000, br57600, br115200, br128000, br256000,
    brCustom
};
enum TDataBits : quint8 { dbDefault, db4, db5, db6, db7, db8 };
enum TParity : quint8 { paDefault, paNone, paOdd, paEven, paMark, paSpace };
enum TStopBits : quint8 { sbDefault, sb1, sb1_5, sb2 };
enum TDTRControl : quint8 { dcDefault, dcDisable, dcEnable, dcHandshake };
enum TRTSControl : quint8 { rcDefault, rcDisable, rcEnable, rcHandshake, rcToggle };
enum TXOnXOffControl : quint8 { xcDefault, xcDisable, xcInput, xcOutput, xcInputOutput };
enum TPriorityClass : quint8 { pcDefault, pcIdle, pcNormal, pcHigh, pcRealTime };
enum TOption : quint8 {
    opCheckParity, opOutputCTSFlow, opOutputDSRFlow, opDSRSensitivity, opTXContinueOnXOff, opUseErrorChar,
    opDiscardNullBytes, opAbortOnError
};
using TOptions = TSet<TOption>;
enum TModemStatusValue : quint8 { msCTS, msDSR, msRing, msRLSD };
using TModemStatus = TSet<TModemStatusValue>;
enum TLineError : quint8 {
    leBreak, leDeviceNotSelected, leFrame, leIO, leMode, leOutOfPaper, leOverrun, leDeviceTimeOut, leRxOverflow,
    leParity, leTxFull
};
using TLineErrors = TSet<TLineError>;
enum TComAction : quint8 { caFail, caAbort };

// Bits per second of each TBaudRate; 0 for brDefault and brCustom.
qint32 BaudRateValue(TBaudRate rate);
// The entry of the speed list for bitsPerSecond; none when the list does not hold it.
std::optional<TBaudRate> baudRateOf(int bitsPerSecond);

// The operating system's name, as the port's error messages give it.
QString comSystemName();
// The speeds of the list, slowest first.
QStringList baudRates();

// Line events, one bit each, as the event mask and the event thread use them.
enum TComEvent : quint32 {
    evRxChar = 0x0001, evRxFlag = 0x0002, evTxEmpty = 0x0004, evCTS = 0x0008, evDSR = 0x0010, evRLSD = 0x0020,
    evBreak = 0x0040, evError = 0x0080, evRing = 0x0100, evPrinterError = 0x0200, evRx80Full = 0x0400,
    evEvent1 = 0x0800, evEvent2 = 0x1000
};

// A failure of the serial port: the message, the system's error number
// (0 for the component's own messages) and the system call that failed.
class EComError : public std::runtime_error {
public:
    EComError(const QString &message, int errorCode, const QString &call = QString())
        : std::runtime_error(message.toStdString()), ErrorCode(errorCode), Call(call), m_message(message)
    {
    }
    QString message() const { return m_message; }
    int ErrorCode;
    // "open", "ioctl(TCSETS2)", "SetCommState"; empty for the component's own messages.
    QString Call;

private:
    QString m_message;
};

using TNotifyEvent = void(QObject *sender);
using TOpenCloseEvent = void(TCustomComPort *port);
using TReadWriteEvent = void(TCustomComPort *sender, const void *buffer, int length, bool waitOnCompletion);
using TComErrorEvent = void(TCustomComPort *port, EComError &error, TComAction &action);
using TLineErrorEvent = void(QObject *sender, TLineErrors errors);

class TFlowControl {
public:
    explicit TFlowControl(TCustomComPort &port) : m_port(port) {}
    TDTRControl DTR() const { return m_dtr; }
    TRTSControl RTS() const { return m_rts; }
    TXOnXOffControl XOnXOff() const { return m_xonxoff; }
    quint16 XOnLimit() const { return m_xonLimit; }
    quint16 XOffLimit() const { return m_xoffLimit; }
    void SetDTR(TDTRControl value);
    void SetRTS(TRTSControl value);
    void SetXOnXOff(TXOnXOffControl value);
    void SetXOnLimit(quint16 value);
    void SetXOffLimit(quint16 value);

private:
    friend class TCustomComPort;
    TCustomComPort &m_port;
    TDTRControl m_dtr = dcDefault;
    TRTSControl m_rts = rcDefault;
    TXOnXOffControl m_xonxoff = xcDefault;
    quint16 m_xonLimit = 0;
    quint16 m_xoffLimit = 0;
};

class TCharacters {
public:
    explicit TCharacters(TCustomComPort &port) : m_port(port) {}
    char XOn() const { return m_xon; }
    char XOff() const { return m_xoff; }
    char Error() const { return m_error; }
    char Eof() const { return m_eof; }
    char Event() const { return m_event; }
    void SetXOn(char value) { set(m_xon, value); }
    void SetXOff(char value) { set(m_xoff, value); }
    void SetError(char value) { set(m_error, value); }
    void SetEof(char value) { set(m_eof, value); }
    void SetEvent(char value) { set(m_event, value); }

private:
    void set(char &field, char value);
    TCustomComPort &m_port;
    char m_xon = 17;
    char m_xoff = 19;
    char m_error = 0;
    char m_eof = 0;
    char m_event = 0;
};

class TBufferSizes {
public:
    explicit TBufferSizes(TCustomComPort &port) : m_port(port) {}
    qint32 Input() const { return m_input; }
    qint32 Output() const { return m_output; }
    void SetInput(qint32 value);
    void SetOutput(qint32 value);

private:
    TCustomComPort &m_port;
    qint32 m_input = 4096;
    qint32 m_output = 2048;
};

// Milliseconds, as the five fields of a comm time-out record. All 0: reads
// finish when every requested byte has arrived, writes when all have left.
class TTimeouts {
public:
    explicit TTimeouts(TCustomComPort &port) : m_port(port) {}
    qint32 ReadInterval() const { return m_readInterval; }
    qint32 ReadMultiplier() const { return m_readMultiplier; }
    qint32 ReadConstant() const { return m_readConstant; }
    qint32 WriteMultiplier() const { return m_writeMultiplier; }
    qint32 WriteConstant() const { return m_writeConstant; }
    void SetReadInterval(qint32 value) { set(m_readInterval, value); }
    void SetReadMultiplier(qint32 value) { set(m_readMultiplier, value); }
    void SetReadConstant(qint32 value) { set(m_readConstant, value); }
    void SetWriteMultiplier(qint32 value) { set(m_writeMultiplier, value); }
    void SetWriteConstant(qint32 value) { set(m_writeConstant, value); }

private:
    void set(qint32 &field, qint32 value);
    TCustomComPort &m_port;
    qint32 m_readInterval = 0;
    qint32 m_readMultiplier = 0;
    qint32 m_readConstant = 0;
    qint32 m_writeMultiplier = 0;
    qint32 m_writeConstant = 0;
};

// The serial port. Settings follow the "applied at once" rule: a changed
// value reaches the open line immediately; the ...Default members keep the
// line's current value. Errors are EComError, passed through OnError first.
//
// The program uses only some of it. The rest is kept as the component's surface
// and works the same way: the line-control escapes (SetXOn, SetXOff,
// SetBreak, ClearBreak, ResetDevice, TransmitChar), ClearInput/ClearOutput,
// AbortInput/AbortOutput, ClearLineErrors, Check, CheckInactive, CreateHandle,
// the SetCom... re-applies, SetThreadPriority, the XON/XOFF limits, the error,
// end and event characters, the time-out multipliers, AfterRead/BeforeRead,
// the events OnBreak, OnCTSChange, OnDSRChange, OnRing, OnRxFlag,
// OnRx80PercFull, OnPrinterError, OnEvent1 and OnEvent2, the device lists
// and the two dialogs.
class TCustomComPort : public QObject {
    Q_OBJECT
public:
    explicit TCustomComPort(QObject *parent = nullptr);
    ~TCustomComPort() override;

    // Open and close.
    bool Active() const { return Handle() >= 0; }
    // The port closed itself because its device went away (unplugged, hung
    // up) and that error has been reported; cleared by the next open.
    bool DeviceLost() const { return m_deviceLost; }
    void SetActive(bool value);
    void Open();
    void Close();
    virtual void CreateHandle();
    qintptr Handle() const;
    // A descriptor that becomes readable when bytes arrive, for a caller's
    // event loop to watch; -1 while closed, and where the port's event
    // thread wakes the event loop itself (there is nothing to watch).
    qintptr ArrivalDescriptor() const;

    // Settings.
    QString About() const;
    TBaudRate BaudRate() const { return m_baudRate; }
    void SetBaudRate(TBaudRate value);
    qint32 CustomBaudRate() const;
    void SetCustomBaudRate(qint32 value);
    TDataBits DataBits() const { return m_dataBits; }
    void SetDataBits(TDataBits value);
    TParity Parity() const { return m_parity; }
    void SetParity(TParity value);
    TStopBits StopBits() const { return m_stopBits; }
    void SetStopBits(TStopBits value);
    TOptions Options() const { return m_options; }
    void SetOptions(TOptions value);
    // The stored set itself; changes reach the line with the next DCB update.
    TOptions &StoredOptions() { return m_options; }
    // "COM1", "ttyUSB0" or a full path; "COMn" stands for the n-th serial port.
    QString DeviceName() const { return m_deviceName; }
    void SetDeviceName(const QString &value);
    QString ShortDeviceName() const;
    // The device file opened for DeviceName.
    QString DevicePath() const;
    TPriorityClass PriorityClass() const { return m_priorityClass; }
    void SetPriorityClass(TPriorityClass value);
    bool SynchronizeEvents() const { return m_synchronizeEvents; }
    void SetSynchronizeEvents(bool value);
    QThread::Priority ThreadPriority() const { return m_threadPriority; }
    void SetThreadPriority(QThread::Priority value);
    TFlowControl &FlowControl() { return m_flowControl; }
    TCharacters &Characters() { return m_characters; }
    TBufferSizes &BufferSizes() { return m_bufferSizes; }
    TTimeouts &Timeouts() { return m_timeouts; }

    // Re-apply one group of settings to the open line; nothing while closed.
    void SetComDCB();
    void SetComBufferSizes();
    void SetComTimeouts();
    void SetComEventMask();
    // Settings into the line record (toDCB) or back from it.
    void CopyDCB(TComDCB &dcb, bool toDCB);
    // The mask given to the event thread (0: no thread).
    quint32 EventMask() const { return m_eventMask; }

    // Transfers.
    void Read(void *buffer, int count, bool waitOnCompletion);
    void Write(const void *buffer, int count, bool waitOnCompletion);
    char ReadChar();
    quint8 ReadByte();
    quint16 ReadWord();
    quint32 ReadDWord();
    void WriteChar(char value);
    void WriteByte(quint8 value);
    void WriteWord(quint16 value);
    void WriteDWord(quint32 value);
    void WriteString(const QByteArray &text);
    QByteArray ReadString();
    QByteArray ReadUntil(char stop);
    QByteArray ReadLine();
    bool ReadPending() const;
    bool WritePending() const;
    void WaitForReadCompletion();
    void WaitForWriteCompletion();

    // Queues, line errors, purging.
    int InputCount();
    int OutputCount();
    void CheckLineErrors();
    void ClearLineErrors();
    void PurgeInput();
    void PurgeOutput();
    void ClearInput();
    void ClearOutput();
    void AbortInput();
    void AbortOutput();
    void Flush();

    // Line control and status.
    void SetDTR();
    void ClearDTR();
    void SetRTS();
    void ClearRTS();
    void SetXOn();
    void SetXOff();
    void ResetDevice();
    void SetBreak();
    void ClearBreak();
    void TransmitChar(char value);
    TModemStatus GetModemStatus();
    TModemStatus ModemStatus() { return GetModemStatus(); }

    // Error path.
    [[noreturn]] void RaiseError(int code, const QString &message);
    // Raises the system's last error when ok is false.
    void Check(bool ok);
    void CheckActive();
    void CheckInactive();

    // The port configuration dialogs are not offered: both report a cancel.
    bool ConfigDialog();
    bool DefaultConfigDialog();
    static void EnumDevices(QStringList &list);
    // The serial lines' device names (Linux: of the tty class folder, another
    // folder for tests, as /dev paths).
    static void EnumComDevices(QStringList &list, const QString &ttyClass = QStringLiteral("/sys/class/tty"));
    static void EnumComDevicesFromRegistry(QStringList &list);

    // An exception thrown by a line-event handler ends that dispatch and is
    // shown here (the application's standard display); default: a warning.
    static inline std::function<void(const QString &message)> HandleException;

    // Hooks (no effect on the event mask).
    TEventSlot<TOpenCloseEvent> AfterClose, AfterOpen, BeforeClose, BeforeOpen;
    TEventSlot<TReadWriteEvent> AfterRead, AfterWrite, BeforeRead, BeforeWrite;
    TEventSlot<TComErrorEvent> OnError;
    // Line events: assigning one updates the event mask at once.
    TEventSlot<TNotifyEvent> OnBreak, OnCTSChange, OnDSRChange, OnEvent1, OnEvent2, OnPrinterError, OnRing,
        OnRLSDChange, OnRx80PercFull, OnRxChar, OnRxFlag, OnTxEmpty;
    TEventSlot<TLineErrorEvent> OnLineError;

protected:
    // Written bytes the driver still holds, not yet on the line. A line that
    // holds them (flow control) cannot be made on a pseudo-terminal, so tests
    // stand in for it here.
    virtual int queuedOutput();

private:
    friend class TComThread;
    friend class TFlowControl;
    friend class TCharacters;
    friend class TBufferSizes;
    friend class TTimeouts;
    friend class ComDevice;

    // Raises the system's error as the failure of call, with the system's
    // text unless text is given; a device that has gone also closes the port.
    [[noreturn]] void raiseSystemError(int error, const QString &call, const QString &text = QString());
    // Check for the failure of call (nullptr: not known).
    void check(bool ok, const char *call);
    // Passes error through OnError and raises it (or the silent abort).
    [[noreturn]] void raise(EComError &error);

    // Store a line setting and apply it; a value the line refuses is not kept.
    template <typename T>
    void changeLine(T &field, T value)
    {
        if (value == field)
            return;
        const T old = std::exchange(field, value);
        try {
            SetComDCB();
        } catch (...) {
            field = old;
            throw;
        }
    }

    // Takes the driver's new line errors and hands them to OnLineError.
    void reportLineErrors();
    void FreeHandle();
    void DestroyThread();
    void ThreadDoEvent(quint32 events);
    void RaiseThreadError(int error, const QString &call);
    static void showException(const std::exception &e);

    // The operating system's side (comport_platform.h).
    std::unique_ptr<ComDevice> m_device;
    bool m_deviceLost = false;
    bool m_creatingHandle = false;
    TComThread *m_thread = nullptr;
    int m_threadCallDepth = 0;  // > 0 while the UI thread runs a call for the event thread
    quint32 m_eventMask = 0;
    qint64 m_savedPriority = 0;
    bool m_prioritySaved = false;

    QThread::Priority m_threadPriority = QThread::TimeCriticalPriority;
    qint32 m_customBaudRate = 0;
    TBaudRate m_baudRate = brDefault;
    TBufferSizes m_bufferSizes{*this};
    TCharacters m_characters{*this};
    TDataBits m_dataBits = dbDefault;
    QString m_deviceName = QStringLiteral("COM1");
    TFlowControl m_flowControl{*this};
    TParity m_parity = paDefault;
    TPriorityClass m_priorityClass = pcDefault;
    TOptions m_options;
    TStopBits m_stopBits = sbDefault;
    bool m_synchronizeEvents = true;
    TTimeouts m_timeouts{*this};
};

// The component as placed in a window; all behaviour is in TCustomComPort.
class TComPort : public TCustomComPort {
    Q_OBJECT
public:
    using TCustomComPort::TCustomComPort;
};
