// Command frames: STX, command (with the read password), ETX, optional CRC.
#include "link/link.h"

#include <QCoreApplication>

namespace {
// '0'..'9' and 'A'..'F' as the device writes them; lowercase gives a wrong value.
int crcDigit(quint8 c) { return c > '9' ? c - 0x37 : c - 0x30; }

// Dispatch pending events now and then while bytes stream in, so the window
// and the cancel controls stay alive even when a line floods us.
constexpr int kBytesBetweenDispatch = 64;
}

void Link::SendCommand(const QByteArray &command, bool crc)
{
    if (command.isEmpty())
        return;
    QByteArray frame;
    frame.reserve(command.size() + ReadPassword.size() + 8);
    frame.append(char(STX));
    frame.append(command.at(0));
    if (!ReadPassword.isEmpty()) {
        frame.append(ReadPassword);
        frame.append(' ');
    }
    frame.append(command.mid(1));
    frame.append(char(ETX));
    if (crc)
        frame.append(QByteArray::number(Crc16(frame.constData() + 1, int(frame.size()) - 1), 16)
                         .toUpper()
                         .rightJustified(4, '0'));
    SendBytes(frame);
}

FrameResult Link::ReceiveFrame(QByteArray &buffer, bool crc, int timeoutMs, int capacity)
{
    m_linkFailed = false;
    const QDeadlineTimer deadline(timeoutMs, Qt::PreciseTimer);
    const int frameCapacity = capacity - (crc ? 4 : 0);
    buffer.clear();
    quint8 last = 0;
    bool sawStx = false;
    int sinceDispatch = 0;

    while (last != ETX) {
        quint8 byte;
        if (PollByte(byte)) {
            if (byte == STX) {
                buffer.clear();
                sawStx = true;
            }
            if (buffer.size() >= frameCapacity) {
                if (sawStx) {  // longer than any answer: treat as none
                    m_linkFailed = true;
                    return FrameResult::noAnswer();
                }
                buffer.clear();  // noise before the frame: drop it
            }
            buffer.append(char(byte));
            last = byte;
            if (++sinceDispatch == kBytesBetweenDispatch) {
                sinceDispatch = 0;
                QCoreApplication::processEvents();
            }
        } else {
            waitForEvents(deadline);
        }
        if (CancelRequested || deadline.hasExpired()) {
            m_linkFailed = true;
            return FrameResult::noAnswer();
        }
    }
    if (!crc)
        return FrameResult::frame(int(buffer.size()));

    const int frameLength = int(buffer.size());
    int crcChars = 0;
    while (crcChars < 4 && !CancelRequested) {
        quint8 byte;
        if (PollByte(byte)) {
            buffer.append(char(byte));
            ++crcChars;
        } else if (deadline.hasExpired()) {
            if (crcChars > 0) {
                m_linkFailed = true;
                return FrameResult::noAnswer();
            }
            return FrameResult::missingCrc(frameLength);
        } else {
            waitForEvents(deadline);
        }
    }
    if (crcChars < 4)
        return FrameResult::badCrc();

    const auto *text = reinterpret_cast<const quint8 *>(buffer.constData()) + frameLength;
    const int received = crcDigit(text[0]) * 4096 + crcDigit(text[1]) * 256 + crcDigit(text[2]) * 16 + crcDigit(text[3]);
    return received == Crc16(buffer.constData() + 1, frameLength - 1) ? FrameResult::frame(frameLength)
                                                                      : FrameResult::badCrc();
}
