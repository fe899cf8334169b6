// The serial port on Linux, its device and line settings: names, errors,
// open and close, termios2. The transfers, the line control, the event
// thread and the port list have POSIX files of their own beside this one.
#include "comport/comport_posix.h"
#include "settings/systemerror.h"

#include <QFile>
#include <QRegularExpression>
#include <QSocketNotifier>

#include <asm/termbits.h>  // termios2, BOTHER, CMSPAR: not in <termios.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

using posixport::notSupported;

namespace {
struct StandardSpeed {
    qint32 bitsPerSecond;
    unsigned code;
};
constexpr StandardSpeed kStandardSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {150, B150},         {300, B300},
    {600, B600},       {1200, B1200},     {1800, B1800},     {2400, B2400},       {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},     {115200, B115200},
    {230400, B230400}, {460800, B460800}, {500000, B500000}, {576000, B576000},   {921600, B921600},
    {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
};

const char *optionName(TOption option)
{
    static const char *const names[] = {"opCheckParity",       "opOutputCTSFlow", "opOutputDSRFlow",
                                        "opDSRSensitivity",    "opTXContinueOnXOff", "opUseErrorChar",
                                        "opDiscardNullBytes",  "opAbortOnError"};
    return names[option];
}
} // namespace

std::unique_ptr<ComDevice> ComDevice::create(TCustomComPort &port) { return std::make_unique<PosixComDevice>(port); }

QString posixport::notSupported(const QString &what) { return what + QStringLiteral(" is not supported by this platform"); }

// ---- names and errors ------------------------------------------------------------------

int complatform::lastError()
{
    const int error = errno;
    return error == EAGAIN || error == EINPROGRESS ? 0 : error;
}

void complatform::clearLastError() { errno = 0; }

QString complatform::errorText(int error) { return systemErrorText(error); }

QString comSystemName() { return QStringLiteral("Linux"); }

bool complatform::isDeviceGone(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV || error == EACCES;
}

QString complatform::devicePath(const QString &deviceName)
{
    if (deviceName.startsWith(QLatin1Char('/')))
        return deviceName;
    // The n-th serial port, as the stored default "COM1" means it.
    static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]*)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comName.match(deviceName);
    if (match.hasMatch())
        return QStringLiteral("/dev/ttyS%1").arg(match.captured(1).toInt() - 1);
    return QStringLiteral("/dev/") + deviceName;
}

QString complatform::shortDeviceName(const QString &deviceName)
{
    static const QString devDir = QStringLiteral("/dev/");
    return deviceName.startsWith(devDir) ? deviceName.mid(devDir.size()) : deviceName;
}

bool complatform::raisePriority(TPriorityClass priority, qint64 &saved)
{
    // The nearest to the priority classes are nice values; without the right
    // to raise them the port opens anyway.
    static const int niceValue[] = {0, 19, 0, -10, -20};
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, 0);
    if (errno != 0)
        return false;
    saved = current;
    ::setpriority(PRIO_PROCESS, 0, niceValue[priority]);
    return true;
}

void complatform::restorePriority(qint64 saved) { ::setpriority(PRIO_PROCESS, 0, int(saved)); }

// ---- open and close --------------------------------------------------------------------

PosixComDevice::~PosixComDevice() { close(); }

void PosixComDevice::open(const QString &devicePath)
{
    // A refused opener must not close through closeDevice: its TIOCNXCL
    // would clear the holder's exclusive flag.
    const posixport::SerialOpen opened = posixport::openSerialDevice(devicePath);
    if (opened.fd < 0)
        fail(opened.status.error, opened.call, portRefusalText(devicePath, opened.status));
    const int fd = opened.fd;
    m_fd = fd;
    m_rxTaken = 0;
    check(::ioctl(fd, TIOCEXCL) == 0, "ioctl(TIOCEXCL)");

    termios2 tio{};
    check(::ioctl(fd, TCGETS2, &tio) == 0, "ioctl(TCGETS2)");
    // Raw bytes both ways; the settings decide the rest.
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | IMAXBEL);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;  // so a read of 0 bytes means the line hung up
    tio.c_cc[VTIME] = 0;
    check(::ioctl(fd, TCSETS2, &tio) == 0, "ioctl(TCSETS2)");
    takeLineErrors();  // count errors from now on
}

void PosixComDevice::close()
{
    delete std::exchange(m_txNotifier, nullptr);
    delete std::exchange(m_rxNotifier, nullptr);
    m_txBuffer.clear();
    m_readBuffer = nullptr;
    m_readCount = m_readDone = 0;
    m_writeCount = 0;
    m_undrained = false;
    if (m_fd < 0)
        return;
    const int fd = std::exchange(m_fd, -1);
    ::ioctl(fd, TIOCNXCL);  // the exclusive flag outlives our descriptor otherwise
    ::close(fd);
    m_lineCountersValid = false;
}

// ---- line settings ------------------------------------------------------------------------

void PosixComDevice::applyLineSettings()
{
    termios2 tio{};
    check(::ioctl(m_fd, TCGETS2, &tio) == 0, "ioctl(TCGETS2)");
    port().CopyDCB(tio, true);
    check(::ioctl(m_fd, TCSETS2, &tio) == 0, "ioctl(TCSETS2)");
    TFlowControl &flow = port().FlowControl();
    if (flow.DTR() == dcEnable || flow.DTR() == dcDisable)
        setLine(TIOCM_DTR, flow.DTR() == dcEnable);
    if (flow.RTS() == rcEnable || flow.RTS() == rcDisable)
        setLine(TIOCM_RTS, flow.RTS() == rcEnable);
}

ComLineRecord complatform::decodeLine(const TComDCB &tio)
{
    ComLineRecord line;
    line.speed = qint32(tio.c_ospeed);
    static const TDataBits sizes[] = {db5, db6, db7, db8};
    line.dataBits = sizes[(tio.c_cflag & CSIZE) >> 4];
    if (!(tio.c_cflag & PARENB))
        line.parity = paNone;
    else if (tio.c_cflag & CMSPAR)
        line.parity = (tio.c_cflag & PARODD) ? paMark : paSpace;
    else
        line.parity = (tio.c_cflag & PARODD) ? paOdd : paEven;
    line.stopBits = (tio.c_cflag & CSTOPB) ? sb2 : sb1;
    line.xon = char(tio.c_cc[VSTART]);
    line.xoff = char(tio.c_cc[VSTOP]);
    line.rts = (tio.c_cflag & CRTSCTS) ? rcHandshake : rcDisable;
    static const TXOnXOffControl xon[] = {xcDisable, xcOutput, xcInput, xcInputOutput};
    line.xonXoff = xon[((tio.c_iflag & IXON) ? 1 : 0) | ((tio.c_iflag & IXOFF) ? 2 : 0)];
    line.knownOptions = {opCheckParity, opOutputCTSFlow};
    if (tio.c_iflag & INPCK)
        line.options.include(opCheckParity);
    if (tio.c_cflag & CRTSCTS)
        line.options.include(opOutputCTSFlow);
    return line;
}

QString complatform::encodeLine(TCustomComPort &port, TComDCB &tio)
{
    const TDataBits dataBits = port.DataBits();
    const TStopBits stopBits = port.StopBits();
    const TFlowControl &flow = port.FlowControl();
    const TOptions options = port.Options();
    // Refuse what the line cannot do before changing anything.
    if (dataBits == db4)
        return notSupported(QStringLiteral("4 data bits"));
    if (stopBits == sb1_5 && dataBits != db5)
        return QStringLiteral("1.5 stop bits are possible with 5 data bits only");
    if (flow.DTR() == dcHandshake)
        return notSupported(QStringLiteral("DTR handshake"));
    if (flow.RTS() == rcToggle)
        return notSupported(QStringLiteral("RTS toggle"));
    for (TOption option : {opOutputDSRFlow, opDSRSensitivity, opTXContinueOnXOff, opUseErrorChar,
                           opDiscardNullBytes, opAbortOnError})
        if (options.contains(option))
            return notSupported(QStringLiteral("The option %1").arg(QLatin1String(optionName(option))));
    if (port.BaudRate() != brDefault) {
        const qint32 speed = port.CustomBaudRate();
        unsigned code = BOTHER;  // any other rate goes by number
        for (const StandardSpeed &s : kStandardSpeeds)
            if (s.bitsPerSecond == speed)
                code = s.code;
        tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));  // input speed follows output
        tio.c_cflag |= code;
        tio.c_ispeed = tio.c_ospeed = speed_t(speed);
    }
    if (dataBits != dbDefault) {
        static const tcflag_t sizes[] = {0, 0, CS5, CS6, CS7, CS8};
        tio.c_cflag = (tio.c_cflag & ~CSIZE) | sizes[dataBits];
    }
    if (port.Parity() != paDefault) {
        static const tcflag_t parity[] = {0, 0, PARENB | PARODD, PARENB, PARENB | PARODD | CMSPAR, PARENB | CMSPAR};
        tio.c_cflag = (tio.c_cflag & ~(PARENB | PARODD | CMSPAR)) | parity[port.Parity()];
    }
    if (stopBits != sbDefault) {
        // With 5 data bits the line's second stop bit is one and a half.
        tio.c_cflag = stopBits == sb1 ? (tio.c_cflag & ~CSTOPB) : (tio.c_cflag | CSTOPB);
    }
    // Error, Eof and Event characters and the XON/XOFF limits have no
    // counterpart in the line discipline; they are kept in the settings only.
    tio.c_cc[VSTART] = cc_t(port.Characters().XOn());
    tio.c_cc[VSTOP] = cc_t(port.Characters().XOff());
    if (flow.XOnXOff() != xcDefault) {
        static const tcflag_t xon[] = {0, 0, IXOFF, IXON, IXON | IXOFF};
        tio.c_iflag = (tio.c_iflag & ~(IXON | IXOFF | IXANY)) | xon[flow.XOnXOff()];
    }
    // The line has one switch for both directions of the RTS/CTS handshake.
    const bool hardwareFlow = flow.RTS() == rcHandshake || options.contains(opOutputCTSFlow);
    tio.c_cflag = hardwareFlow ? (tio.c_cflag | CRTSCTS) : (tio.c_cflag & ~CRTSCTS);
    tio.c_iflag = options.contains(opCheckParity) ? (tio.c_iflag | INPCK) : (tio.c_iflag & ~INPCK);
    return {};
}
