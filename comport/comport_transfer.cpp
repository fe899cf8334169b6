// The serial port's transfers: reads and writes, the typed helpers on top of
// them, the queues and the line errors.
#include "comport/comport.h"
#include "comport/comport_platform.h"
#include "comport/comthread.h"

#include <QtEndian>

namespace {
const char kTimeout[] = "Timeout";
}

void TCustomComPort::Read(void *buffer, int count, bool waitOnCompletion)
{
    CheckActive();
    BeforeRead(this, buffer, count, waitOnCompletion);
    WaitForReadCompletion();
    if (count > 0) {
        m_device->startRead(static_cast<char *>(buffer), count);
        if (waitOnCompletion)
            WaitForReadCompletion();
    }
    AfterRead(this, buffer, count, waitOnCompletion);
}

void TCustomComPort::Write(const void *buffer, int count, bool waitOnCompletion)
{
    CheckActive();
    BeforeWrite(this, buffer, count, waitOnCompletion);
    WaitForWriteCompletion();
    if (count > 0) {
        m_device->startWrite(static_cast<const char *>(buffer), count);
        if (m_thread)
            m_thread->noteWrite();
        if (waitOnCompletion)
            WaitForWriteCompletion();
    }
    AfterWrite(this, buffer, count, waitOnCompletion);
}

bool TCustomComPort::ReadPending() const { return m_device->readPending(); }

bool TCustomComPort::WritePending() const { return m_device->writePending(); }

void TCustomComPort::WaitForReadCompletion()
{
    if (ReadPending()) {
        // The caller's buffer is ours only until this wait ends, however it ends.
        const auto release = qScopeGuard([this] { m_device->abortRead(); });
        if (!m_device->finishRead())
            RaiseError(0, QString::fromLatin1(kTimeout));
    }
    CheckLineErrors();
}

void TCustomComPort::WaitForWriteCompletion()
{
    // What has not left by the deadline does not leave later either.
    if (!m_device->finishWrite())
        RaiseError(0, QString::fromLatin1(kTimeout));
    CheckLineErrors();
}

char TCustomComPort::ReadChar()
{
    char c = 0;
    Read(&c, 1, true);
    return c;
}

quint8 TCustomComPort::ReadByte() { return quint8(ReadChar()); }

quint16 TCustomComPort::ReadWord()
{
    uchar bytes[2];
    Read(bytes, 2, true);
    return qFromLittleEndian<quint16>(bytes);
}

quint32 TCustomComPort::ReadDWord()
{
    uchar bytes[4];
    Read(bytes, 4, true);
    return qFromLittleEndian<quint32>(bytes);
}

// The non-waiting writes copy into the port's own buffer, so the caller's
// value may go out of scope before the bytes have left.
void TCustomComPort::WriteChar(char value) { Write(&value, 1, false); }

void TCustomComPort::WriteByte(quint8 value) { Write(&value, 1, false); }

void TCustomComPort::WriteWord(quint16 value)
{
    uchar bytes[2];
    qToLittleEndian(value, bytes);
    Write(bytes, 2, false);
}

void TCustomComPort::WriteDWord(quint32 value)
{
    uchar bytes[4];
    qToLittleEndian(value, bytes);
    Write(bytes, 4, false);
}

void TCustomComPort::WriteString(const QByteArray &text) { Write(text.constData(), int(text.size()), false); }

QByteArray TCustomComPort::ReadString()
{
    WaitForReadCompletion();
    QByteArray text(InputCount(), Qt::Uninitialized);
    Read(text.data(), int(text.size()), true);
    return text;
}

QByteArray TCustomComPort::ReadUntil(char stop)
{
    QByteArray text;
    do
        text.append(ReadChar());
    while (text.back() != stop);
    return text;
}

QByteArray TCustomComPort::ReadLine() { return ReadUntil('\r'); }

int TCustomComPort::InputCount()
{
    const int count = m_device->inputCount();
    reportLineErrors();
    return count;
}

int TCustomComPort::OutputCount()
{
    const int count = queuedOutput();
    reportLineErrors();
    return count + m_device->unsentBytes();
}

int TCustomComPort::queuedOutput() { return m_device->outputQueue(); }

void TCustomComPort::CheckLineErrors()
{
    CheckActive();
    reportLineErrors();
}

void TCustomComPort::reportLineErrors()
{
    const TLineErrors errors = m_device->takeLineErrors();
    if (!errors.isEmpty())
        OnLineError(this, errors);
}

void TCustomComPort::ClearLineErrors()
{
    CheckActive();
    m_device->takeLineErrors();
}

void TCustomComPort::PurgeInput()
{
    AbortInput();
    ClearInput();
}

void TCustomComPort::PurgeOutput()
{
    AbortOutput();
    ClearOutput();
}

void TCustomComPort::ClearInput() { m_device->clearQueue(true); }

void TCustomComPort::ClearOutput() { m_device->clearQueue(false); }

void TCustomComPort::AbortInput() { m_device->abortRead(); }

void TCustomComPort::AbortOutput() { m_device->abortWrite(); }

void TCustomComPort::Flush()
{
    if (Active())
        m_device->flush();
}
