#pragma once
// The operating system's side of the serial port, behind one interface: the
// port (comport.cpp), its event thread and the port list reach the device,
// the system's errors and the system's ports only through this header.
// CMake compiles one implementation: the *_posix* files on Linux, the
// *_win32* files on Windows.
#include "comport/comport.h"
#include "comport/portlist.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// A line record read back into the settings model. What the platform's
// record does not hold stays unset and the port keeps its own value.
struct ComLineRecord {
    qint32 speed = 0;
    TDataBits dataBits = dbDefault;
    TParity parity = paDefault;
    TStopBits stopBits = sbDefault;
    std::optional<char> xon, xoff, error, eof, event;
    std::optional<TDTRControl> dtr;
    TRTSControl rts = rcDefault;
    TXOnXOffControl xonXoff = xcDefault;
    std::optional<quint16> xonLimit, xoffLimit;
    TOptions options;
    TOptions knownOptions;  // the options the record has a place for
};

namespace complatform {
// The calling thread's last system error; 0 when there is none or the call
// only goes on in the background (overlapped or non-blocking I/O).
int lastError();
void clearLastError();
// The system's own text for an error number, in the system's language.
QString errorText(int error);
// The error says the device has gone (unplugged, hung up, removed).
bool isDeviceGone(int error);

// The device file the port opens for a port name ("COM1", a path).
QString devicePath(const QString &deviceName);
// The name without the system's device folder.
QString shortDeviceName(const QString &deviceName);

// The process priority class while a port is open; false when the system
// keeps the old one. saved is the class to restore.
bool raisePriority(TPriorityClass priority, qint64 &saved);
void restorePriority(qint64 saved);

// The port's settings (a valid speed) into the platform's line record (as
// the DCB mapping does), the line's current values kept where a setting says
// ...Default. Empty, or why the line cannot take the settings (then dcb is
// unchanged).
QString encodeLine(TCustomComPort &port, TComDCB &dcb);
ComLineRecord decodeLine(const TComDCB &dcb);

void enumDevices(QStringList &list);
void enumComDevices(QStringList &list, const QString &ttyClass);
void enumComDevicesFromRegistry(QStringList &list);

// The serial ports present, in the order the port list shows them.
QList<SerialPortEntry> presentSerialPorts();
// Whether the port at the device file path could be taken now, and if not why.
// Asked without touching the line: its settings, modem lines and queues stay
// as they are (a built-in port may be the console).
PortStatus probePort(const QString &path);
// Whether the device file path is the system's main console (none on Windows).
bool isConsole(const QString &path);
} // namespace complatform

// A failed system call: its name and the system's error number.
struct ComFailure {
    int error = 0;
    const char *call = "";
};

// The event thread's wait for line events on an open device.
class ComEventWait {
public:
    virtual ~ComEventWait() = default;
    // False when the wait could not be prepared (no thread then).
    virtual bool isValid() const = 0;
    // Blocks until an event of mask happened (true, events set), wake() was
    // called (true, events 0) or the device failed (false, failure set).
    virtual bool wait(quint32 mask, quint32 &events, ComFailure &failure) = 0;
    // Ends the running wait early; callable from any thread.
    virtual void wake() = 0;
    // The port wrote: a transmit-empty event is due once the bytes left.
    virtual void noteWrite() = 0;
};

// One serial device, opened and closed for its port; lives as long as the
// port. Failures are raised through the port (EComError, OnError first).
class ComDevice {
public:
    static std::unique_ptr<ComDevice> create(TCustomComPort &port);
    virtual ~ComDevice() = default;
    ComDevice(const ComDevice &) = delete;
    ComDevice &operator=(const ComDevice &) = delete;

    // The open device, -1 while closed.
    virtual qintptr handle() const = 0;
    // Opens the device file for this port alone.
    virtual void open(const QString &path) = 0;
    // Pending transfers end with it; their buffers are no longer touched.
    virtual void close() = 0;

    // The port's settings to the driver.
    virtual void applyLineSettings() = 0;
    virtual void applyBufferSizes() = 0;
    virtual void applyTimeouts() = 0;
    virtual void applyEventMask(quint32 mask) = 0;
    // The event thread also runs without line-event handlers: arriving
    // bytes must wake the UI thread's waits, and only it sees them.
    virtual bool wakesOnArrival() const = 0;
    virtual std::unique_ptr<ComEventWait> eventWait() = 0;

    // Reads into buffer until count bytes are in or the port's time-outs end
    // it; what is not there yet comes in from the event loop.
    virtual void startRead(char *buffer, int count) = 0;
    virtual bool readPending() const = 0;
    // Blocks until the pending read has ended; true when it got every byte.
    virtual bool finishRead() = 0;
    // The pending read ends with what it has; its buffer is let go.
    virtual void abortRead() = 0;

    // Takes a copy of data and hands it to the driver; the rest goes from
    // the event loop.
    virtual void startWrite(const char *data, int count) = 0;
    virtual bool writePending() const = 0;
    // Blocks until the last write has left; false when the port's write
    // time-out ended it first (what has not left is dropped).
    virtual bool finishWrite() = 0;
    virtual void abortWrite() = 0;
    // Written bytes the port still holds, not yet given to the driver.
    virtual int unsentBytes() const = 0;

    virtual int inputCount() = 0;
    // Bytes in the driver's output queue, not yet on the line.
    virtual int outputQueue() = 0;
    virtual TLineErrors takeLineErrors() = 0;
    virtual void clearQueue(bool input) = 0;
    virtual void flush() = 0;

    enum class Escape { SetDTR, ClearDTR, SetRTS, ClearRTS, SetXOn, SetXOff, ResetDevice, SetBreak, ClearBreak };
    virtual void escape(Escape function) = 0;
    virtual void transmitChar(char value) = 0;
    virtual TModemStatus modemStatus() = 0;

protected:
    explicit ComDevice(TCustomComPort &port) : m_port(port) {}
    TCustomComPort &port() const { return m_port; }
    // Raises error as the failure of call, through the port (OnError first),
    // with the system's text unless text is given. A device that has gone
    // closes the port.
    [[noreturn]] void fail(int error, const char *call, const QString &text = QString());
    // Unless ok: fails with the system's last error, as the port's Check does
    // (pending I/O is no failure).
    void check(bool ok, const char *call);
    // The port's count of bytes in the driver's output queue (tests hold some).
    int portQueuedOutput();

private:
    TCustomComPort &m_port;
};
