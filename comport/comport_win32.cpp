// The serial port on Windows, its device and line settings: names, errors,
// open and close, the DCB, queue sizes and time-outs. The transfers, the
// line control, the event thread and the port list have Win32 files of
// their own beside this one.
#include "comport/comport_win32.h"

std::unique_ptr<ComDevice> ComDevice::create(TCustomComPort &port) { return std::make_unique<Win32ComDevice>(port); }

// ---- names and errors ------------------------------------------------------------------

int complatform::lastError()
{
    const DWORD error = GetLastError();
    return error == ERROR_IO_PENDING ? 0 : int(error);
}

void complatform::clearLastError() { SetLastError(ERROR_SUCCESS); }

QString comSystemName() { return QStringLiteral("Windows"); }

QString complatform::errorText(int error)
{
    wchar_t text[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, DWORD(error), 0,
                                  text, DWORD(std::size(text)), nullptr);
    if (length == 0)
        return QStringLiteral("Systemfehler %1").arg(error);
    return QString::fromWCharArray(text, int(length)).trimmed();
}

bool complatform::isDeviceGone(int error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:  // the handle lost its device
    case ERROR_NOT_READY:      // Wine: the line hung up
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_OPERATION_ABORTED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
        return true;
    default:
        return false;
    }
}

namespace {
const QString kDevicePrefix = QStringLiteral("\\\\.\\");
}

QString complatform::devicePath(const QString &deviceName)
{
    return deviceName.startsWith(kDevicePrefix) ? deviceName : kDevicePrefix + deviceName;
}

QString complatform::shortDeviceName(const QString &deviceName)
{
    return deviceName.startsWith(kDevicePrefix) ? deviceName.mid(kDevicePrefix.size()) : deviceName;
}

bool complatform::raisePriority(TPriorityClass priority, qint64 &saved)
{
    static const DWORD classes[] = {0, IDLE_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS, HIGH_PRIORITY_CLASS,
                                    REALTIME_PRIORITY_CLASS};
    const DWORD current = GetPriorityClass(GetCurrentProcess());
    if (current == 0)
        return false;
    saved = current;
    // Without the right for real time the system gives the high class; the
    // port opens either way.
    SetPriorityClass(GetCurrentProcess(), classes[priority]);
    return true;
}

void complatform::restorePriority(qint64 saved) { SetPriorityClass(GetCurrentProcess(), DWORD(saved)); }

// ---- the device control block ----------------------------------------------------------

QString complatform::encodeLine(TCustomComPort &port, TComDCB &dcb)
{
    if (port.BaudRate() != brDefault)
        dcb.BaudRate = DWORD(port.CustomBaudRate());
    if (port.DataBits() != dbDefault)
        dcb.ByteSize = BYTE(port.DataBits() + 3);  // db4 .. db8
    if (port.Parity() != paDefault)
        dcb.Parity = BYTE(port.Parity() - paNone);  // NOPARITY .. SPACEPARITY
    if (port.StopBits() != sbDefault)
        dcb.StopBits = BYTE(port.StopBits() - sb1);  // ONESTOPBIT .. TWOSTOPBITS
    const TCharacters &characters = port.Characters();
    dcb.XonChar = characters.XOn();
    dcb.XoffChar = characters.XOff();
    dcb.ErrorChar = characters.Error();
    dcb.EofChar = characters.Eof();
    dcb.EvtChar = characters.Event();
    const TFlowControl &flow = port.FlowControl();
    if (flow.DTR() != dcDefault)
        dcb.fDtrControl = flow.DTR() - dcDisable;  // DTR_CONTROL_DISABLE .. _HANDSHAKE
    if (flow.RTS() != rcDefault)
        dcb.fRtsControl = flow.RTS() - rcDisable;  // RTS_CONTROL_DISABLE .. _TOGGLE
    if (flow.XOnXOff() != xcDefault) {
        dcb.fInX = flow.XOnXOff() == xcInput || flow.XOnXOff() == xcInputOutput;
        dcb.fOutX = flow.XOnXOff() == xcOutput || flow.XOnXOff() == xcInputOutput;
    }
    dcb.XonLim = flow.XOnLimit();
    dcb.XoffLim = flow.XOffLimit();
    const TOptions options = port.Options();
    dcb.fParity = options.contains(opCheckParity);
    dcb.fOutxCtsFlow = options.contains(opOutputCTSFlow);
    dcb.fOutxDsrFlow = options.contains(opOutputDSRFlow);
    dcb.fDsrSensitivity = options.contains(opDSRSensitivity);
    dcb.fTXContinueOnXoff = options.contains(opTXContinueOnXOff);
    dcb.fErrorChar = options.contains(opUseErrorChar);
    dcb.fNull = options.contains(opDiscardNullBytes);
    dcb.fAbortOnError = options.contains(opAbortOnError);
    return {};
}

ComLineRecord complatform::decodeLine(const TComDCB &dcb)
{
    ComLineRecord line;
    line.speed = qint32(dcb.BaudRate);
    if (dcb.ByteSize >= 4 && dcb.ByteSize <= 8)
        line.dataBits = TDataBits(dcb.ByteSize - 3);
    if (dcb.Parity <= SPACEPARITY)
        line.parity = TParity(paNone + dcb.Parity);
    if (dcb.StopBits <= TWOSTOPBITS)
        line.stopBits = TStopBits(sb1 + dcb.StopBits);
    line.xon = dcb.XonChar;
    line.xoff = dcb.XoffChar;
    line.error = dcb.ErrorChar;
    line.eof = dcb.EofChar;
    line.event = dcb.EvtChar;
    line.dtr = TDTRControl(dcDisable + qMin<unsigned>(dcb.fDtrControl, DTR_CONTROL_HANDSHAKE));
    line.rts = TRTSControl(rcDisable + dcb.fRtsControl);
    static const TXOnXOffControl xon[] = {xcDisable, xcOutput, xcInput, xcInputOutput};
    line.xonXoff = xon[(dcb.fOutX ? 1 : 0) | (dcb.fInX ? 2 : 0)];
    line.xonLimit = dcb.XonLim;
    line.xoffLimit = dcb.XoffLim;
    const std::pair<bool, TOption> flags[] = {
        {dcb.fParity, opCheckParity},         {dcb.fOutxCtsFlow, opOutputCTSFlow},
        {dcb.fOutxDsrFlow, opOutputDSRFlow},  {dcb.fDsrSensitivity, opDSRSensitivity},
        {dcb.fTXContinueOnXoff, opTXContinueOnXOff}, {dcb.fErrorChar, opUseErrorChar},
        {dcb.fNull, opDiscardNullBytes},      {dcb.fAbortOnError, opAbortOnError}};
    for (const auto &[set, option] : flags) {
        line.knownOptions.include(option);
        if (set)
            line.options.include(option);
    }
    return line;
}

// ---- open and close --------------------------------------------------------------------

Win32ComDevice::Win32ComDevice(TCustomComPort &port) : ComDevice(port)
{
    m_read.onTaken = [this](DWORD moved) { m_rxTaken += moved; };
    // The driver is done with the bytes.
    m_write.onTaken = [this](DWORD) { m_txBuffer.clear(); };
}

Win32ComDevice::~Win32ComDevice() { close(); }

void Win32ComDevice::open(const QString &path)
{
    check(m_read.create(), "CreateEvent");
    check(m_write.create(), "CreateEvent");
    const HANDLE device = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    check(device != INVALID_HANDLE_VALUE, "CreateFile");
    m_handle = device;
    m_lineErrors = 0;
    m_rxTaken = 0;
}

void Win32ComDevice::close()
{
    if (m_handle != INVALID_HANDLE_VALUE) {
        release(m_read);
        release(m_write);
        CloseHandle(std::exchange(m_handle, INVALID_HANDLE_VALUE));
    }
    m_read.destroy();
    m_write.destroy();
    m_txBuffer.clear();
}

// ---- settings to the driver ------------------------------------------------------------

void Win32ComDevice::applyLineSettings()
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    check(GetCommState(m_handle, &dcb), "GetCommState");
    port().CopyDCB(dcb, true);
    if (SetCommState(m_handle, &dcb))
        return;
    // A line without a parity bit refuses one (Wine's pseudo-terminals
    // do): it runs without, as a pseudo-terminal on Linux drops the bit.
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_PARAMETER && dcb.Parity != NOPARITY) {
        dcb.Parity = NOPARITY;
        if (SetCommState(m_handle, &dcb))
            return;
    }
    fail(int(error), "SetCommState");
}

void Win32ComDevice::applyBufferSizes()
{
    const TBufferSizes &sizes = port().BufferSizes();
    check(SetupComm(m_handle, DWORD(sizes.Input()), DWORD(sizes.Output())), "SetupComm");
}

void Win32ComDevice::applyTimeouts()
{
    COMMTIMEOUTS timeouts{};
    check(GetCommTimeouts(m_handle, &timeouts), "GetCommTimeouts");
    const TTimeouts &t = port().Timeouts();
    timeouts.ReadIntervalTimeout = DWORD(t.ReadInterval());
    timeouts.ReadTotalTimeoutMultiplier = DWORD(t.ReadMultiplier());
    timeouts.ReadTotalTimeoutConstant = DWORD(t.ReadConstant());
    timeouts.WriteTotalTimeoutMultiplier = DWORD(t.WriteMultiplier());
    timeouts.WriteTotalTimeoutConstant = DWORD(t.WriteConstant());
    check(SetCommTimeouts(m_handle, &timeouts), "SetCommTimeouts");
}

// Arriving characters are always watched: they wake the UI thread's waits.
void Win32ComDevice::applyEventMask(quint32 mask)
{
    check(SetCommMask(m_handle, mask | EV_RXCHAR), "SetCommMask");
}
