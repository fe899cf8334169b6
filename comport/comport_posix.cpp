// The serial port on Linux, its device and line settings: names, errors,
// open and close, termios2. The transfers, the line control, the event
// thread and the port list have POSIX files of their own beside this one.
#include "comport/comport.h"
#include "comport/comport_posix.h"

#include <QFile>
#include <QRegularExpression>

#include <asm/termbits.h>  // termios2, BOTHER, CMSPAR: not in <termios.h>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
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

QString posixport::notSupported(const QString &what) { return what + QStringLiteral(" is not supported by this platform"); }

// ---- names and errors ------------------------------------------------------------------

QString TCustomComPort::DevicePath() const
{
    if (m_deviceName.startsWith(QLatin1Char('/')))
        return m_deviceName;
    // The n-th serial port, as the stored default "COM1" means it.
    static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]*)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comName.match(m_deviceName);
    if (match.hasMatch())
        return QStringLiteral("/dev/ttyS%1").arg(match.captured(1).toInt() - 1);
    return QStringLiteral("/dev/") + m_deviceName;
}

QString TCustomComPort::systemMessage(int error) { return QString::fromLocal8Bit(strerror(error)); }

bool TCustomComPort::isDeviceGone(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV || error == EACCES;
}

void TCustomComPort::Check(bool ok)
{
    if (ok)
        return;
    const int error = errno;
    if (error == 0 || error == EAGAIN || error == EINPROGRESS)
        return;
    errno = 0;
    raiseSystemError(error);
}

// ---- open and close --------------------------------------------------------------------

void TCustomComPort::openDevice()
{
    const QByteArray path = QFile::encodeName(DevicePath());
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == EACCES)
            RaiseError(error, QStringLiteral("%1 (%2). Serielle Schnittstellen dürfen nur Mitglieder der Gruppe "
                                             "\"dialout\" benutzen: sudo usermod -aG dialout $USER, dann neu anmelden.")
                                  .arg(systemMessage(error), QString::fromLocal8Bit(path)));
        RaiseError(error, systemMessage(error));
    }
    // TIOCEXCL does not stop a privileged second opener; the lock does. A
    // refused opener must not close through closeDevice: its TIOCNXCL would
    // clear the holder's exclusive flag.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        RaiseError(EBUSY, systemMessage(EBUSY));
    }
    m_handle = fd;
    m_rxTaken = 0;
    Check(::ioctl(fd, TIOCEXCL) == 0);

    termios2 tio{};
    Check(::ioctl(fd, TCGETS2, &tio) == 0);
    // Raw bytes both ways; the settings decide the rest.
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | IMAXBEL);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;  // so a read of 0 bytes means the line hung up
    tio.c_cc[VTIME] = 0;
    Check(::ioctl(fd, TCSETS2, &tio) == 0);
    takeLineErrors();  // count errors from now on
}

void TCustomComPort::closeDevice()
{
    if (m_handle < 0)
        return;
    const int fd = int(std::exchange(m_handle, -1));
    ::ioctl(fd, TIOCNXCL);  // the exclusive flag outlives our descriptor otherwise
    ::close(fd);
    m_lineCountersValid = false;
}

void TCustomComPort::raisePriority()
{
    // The nearest to the priority classes are nice values; without the right
    // to raise them the port opens anyway.
    static const int niceValue[] = {0, 19, 0, -10, -20};
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, 0);
    if (errno != 0)
        return;
    m_savedPriority = current;
    m_prioritySaved = true;
    ::setpriority(PRIO_PROCESS, 0, niceValue[m_priorityClass]);
}

void TCustomComPort::restorePriority()
{
    ::setpriority(PRIO_PROCESS, 0, m_savedPriority);
    m_prioritySaved = false;
}

// ---- line settings ------------------------------------------------------------------------

void TCustomComPort::SetComDCB()
{
    if (!Active())
        return;
    const int fd = int(m_handle);
    termios2 tio{};
    Check(::ioctl(fd, TCGETS2, &tio) == 0);
    CopyDCB(tio, true);
    Check(::ioctl(fd, TCSETS2, &tio) == 0);
    if (m_flowControl.DTR() == dcEnable || m_flowControl.DTR() == dcDisable)
        setLine(Line::DTR, m_flowControl.DTR() == dcEnable);
    if (m_flowControl.RTS() == rcEnable || m_flowControl.RTS() == rcDisable)
        setLine(Line::RTS, m_flowControl.RTS() == rcEnable);
}

void TCustomComPort::CopyDCB(TComDCB &tio, bool toDCB)
{
    if (!toDCB) {
        SetCustomBaudRate(qint32(tio.c_ospeed));
        static const TDataBits sizes[] = {db5, db6, db7, db8};
        m_dataBits = sizes[(tio.c_cflag & CSIZE) >> 4];
        if (!(tio.c_cflag & PARENB))
            m_parity = paNone;
        else if (tio.c_cflag & CMSPAR)
            m_parity = (tio.c_cflag & PARODD) ? paMark : paSpace;
        else
            m_parity = (tio.c_cflag & PARODD) ? paOdd : paEven;
        m_stopBits = (tio.c_cflag & CSTOPB) ? sb2 : sb1;
        m_characters.SetXOn(char(tio.c_cc[VSTART]));
        m_characters.SetXOff(char(tio.c_cc[VSTOP]));
        m_flowControl.m_rts = (tio.c_cflag & CRTSCTS) ? rcHandshake : rcDisable;
        static const TXOnXOffControl xon[] = {xcDisable, xcOutput, xcInput, xcInputOutput};
        m_flowControl.m_xonxoff = xon[((tio.c_iflag & IXON) ? 1 : 0) | ((tio.c_iflag & IXOFF) ? 2 : 0)];
        m_options.exclude(opCheckParity).exclude(opOutputCTSFlow);
        if (tio.c_iflag & INPCK)
            m_options.include(opCheckParity);
        if (tio.c_cflag & CRTSCTS)
            m_options.include(opOutputCTSFlow);
        SetComDCB();
        return;
    }

    // Refuse what the line cannot do before changing anything.
    if (m_dataBits == db4)
        RaiseError(0, notSupported(QStringLiteral("4 data bits")));
    if (m_stopBits == sb1_5 && m_dataBits != db5)
        RaiseError(0, QStringLiteral("1.5 stop bits are possible with 5 data bits only"));
    if (m_flowControl.DTR() == dcHandshake)
        RaiseError(0, notSupported(QStringLiteral("DTR handshake")));
    if (m_flowControl.RTS() == rcToggle)
        RaiseError(0, notSupported(QStringLiteral("RTS toggle")));
    for (TOption option : {opOutputDSRFlow, opDSRSensitivity, opTXContinueOnXOff, opUseErrorChar,
                           opDiscardNullBytes, opAbortOnError})
        if (m_options.contains(option))
            RaiseError(0, notSupported(QStringLiteral("The option %1").arg(QLatin1String(optionName(option)))));

    if (m_baudRate != brDefault) {
        const qint32 speed = CustomBaudRate();
        if (speed <= 0)
            RaiseError(0, QStringLiteral("Invalid line speed %1").arg(speed));
        unsigned code = BOTHER;  // any other rate goes by number
        for (const StandardSpeed &s : kStandardSpeeds)
            if (s.bitsPerSecond == speed)
                code = s.code;
        tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));  // input speed follows output
        tio.c_cflag |= code;
        tio.c_ispeed = tio.c_ospeed = speed_t(speed);
    }
    if (m_dataBits != dbDefault) {
        static const tcflag_t sizes[] = {0, 0, CS5, CS6, CS7, CS8};
        tio.c_cflag = (tio.c_cflag & ~CSIZE) | sizes[m_dataBits];
    }
    if (m_parity != paDefault) {
        static const tcflag_t parity[] = {0, 0, PARENB | PARODD, PARENB, PARENB | PARODD | CMSPAR, PARENB | CMSPAR};
        tio.c_cflag = (tio.c_cflag & ~(PARENB | PARODD | CMSPAR)) | parity[m_parity];
    }
    if (m_stopBits != sbDefault) {
        // With 5 data bits the line's second stop bit is one and a half.
        tio.c_cflag = m_stopBits == sb1 ? (tio.c_cflag & ~CSTOPB) : (tio.c_cflag | CSTOPB);
    }
    // Error, Eof and Event characters and the XON/XOFF limits have no
    // counterpart in the line discipline; they are kept in the settings only.
    tio.c_cc[VSTART] = cc_t(m_characters.XOn());
    tio.c_cc[VSTOP] = cc_t(m_characters.XOff());
    if (m_flowControl.XOnXOff() != xcDefault) {
        static const tcflag_t xon[] = {0, 0, IXOFF, IXON, IXON | IXOFF};
        tio.c_iflag = (tio.c_iflag & ~(IXON | IXOFF | IXANY)) | xon[m_flowControl.XOnXOff()];
    }
    // The line has one switch for both directions of the RTS/CTS handshake.
    const bool hardwareFlow = m_flowControl.RTS() == rcHandshake || m_options.contains(opOutputCTSFlow);
    tio.c_cflag = hardwareFlow ? (tio.c_cflag | CRTSCTS) : (tio.c_cflag & ~CRTSCTS);
    tio.c_iflag = m_options.contains(opCheckParity) ? (tio.c_iflag | INPCK) : (tio.c_iflag & ~INPCK);
}

// The driver's queue sizes are its own business; the values are kept only.
void TCustomComPort::SetComBufferSizes() {}

// The transfers read the time-outs each time; nothing to hand to the driver.
void TCustomComPort::SetComTimeouts() {}
