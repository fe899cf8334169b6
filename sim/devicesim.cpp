#include "sim/devicesim.h"

#include "sim/keptlist.h"

#include <QDateTime>
#include <QTimer>

namespace {
constexpr char STX = 0x02;
constexpr char ETX = 0x03;
// How long a CRC device waits for the CRC text before it takes the frame as
// one without CRC.
constexpr int kCrcWaitMs = 50;
}

DeviceSim::DeviceSim(DeviceProfile p, QObject *parent) : QObject(parent), profile(std::move(p)) {}

// Bitwise on purpose: independent of the program's table-driven version.
quint16 DeviceSim::crc16(const QByteArray &bytes)
{
    quint16 crc = 0;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0x8408) : quint16(crc >> 1);
    }
    return crc;
}

void DeviceSim::receive(const QByteArray &bytes)
{
    if (m_raw) {
        m_raw(bytes);
        return;
    }
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        parse(quint8(bytes.at(i)));
        if (m_raw) {  // the flash mode started inside this block
            if (i + 1 < bytes.size())
                m_raw(bytes.mid(i + 1));
            return;
        }
    }
}

void DeviceSim::parse(quint8 byte)
{
    if (byte == STX) {
        if (m_state == State::Crc)  // a new frame before the CRC: the last had none
            frameComplete(false);
        m_frame = QByteArray(1, STX);
        m_state = State::Body;
        return;
    }
    switch (m_state) {
    case State::Idle:
        return;  // stray bytes between frames
    case State::Body:
        m_frame.append(char(byte));
        if (byte != ETX)
            return;
        if (!profile.crc) {
            frameComplete(false);
            return;
        }
        m_state = State::Crc;
        m_crcChars = 0;
        {
            const quint64 serial = ++m_frameSerial;
            QTimer::singleShot(kCrcWaitMs, this, [this, serial] {
                if (m_state == State::Crc && m_frameSerial == serial)
                    frameComplete(false);
            });
        }
        return;
    case State::Crc:
        m_frame.append(char(byte));
        if (++m_crcChars == 4)
            frameComplete(true);
        return;
    }
}

void DeviceSim::frameComplete(bool hasCrc)
{
    m_state = State::Idle;
    const QByteArray frame = m_frame;
    appendKept(frames, frame, KeptFrames);
    ++m_framesReceived;
    if (faults.dropLinkAfterFrames >= 0 && m_framesReceived > faults.dropLinkAfterFrames) {
        emit dropLink();
        return;
    }
    const int etx = int(frame.indexOf(ETX));
    const QByteArray body = frame.mid(1, etx - 1);
    if (hasCrc) {
        bool ok = false;
        const quint16 sent = frame.mid(etx + 1, 4).toUShort(&ok, 16);
        // Uppercase only, as the device writes it.
        if (!ok || frame.mid(etx + 1, 4) != frame.mid(etx + 1, 4).toUpper() || sent != crc16(frame.mid(1, etx)))
            return;  // a damaged frame gets no answer
    } else if (profile.crc) {
        answer("?");  // this device insists on CRC
        return;
    }

    QByteArray command = body;
    if (!profile.password.isEmpty()) {
        const QByteArray expected = profile.password + ' ';
        if (command.mid(1, expected.size()) != expected) {
            answer("=");
            return;
        }
        command.remove(1, expected.size());
    }
    this->command(command);
}

void DeviceSim::command(const QByteArray &body)
{
    if (body == "Q") {
        answer("Q");
    } else if (body == "1FLASH") {
        emit flashRequested();
    } else if (body == "B218") {
        answer("B218" + profile.clock);
    } else if (body.startsWith("C2186093 ") && body.size() == 21) {
        profile.clock = body.mid(9);
        answer("C218" + QByteArray(12, '0') + char(0x1F) + profile.clock);
    } else if (body == "B152") {
        answer(QByteArray("B152") + (profile.calibrationSwitchOpen ? '1' : '0') + '0');
    } else if (profile.answers.contains(body)) {
        answer(body + profile.answers.value(body));
    } else {
        answer("?");
    }
}

void DeviceSim::answer(const QByteArray &body)
{
    if (faults.silent || starting || (profile.silentAfterFrames >= 0 && m_framesReceived > profile.silentAfterFrames))
        return;
    QByteArray out = faults.noiseBefore;
    out += STX + body + ETX;
    if (profile.crc)
        out += QByteArray::number(crc16(body + ETX), 16).toUpper().rightJustified(4, '0');
    emitAnswer(out);
}

void DeviceSim::emitAnswer(const QByteArray &bytes)
{
    if (faults.splitAt <= 0 || faults.splitAt >= bytes.size()) {
        emit send(bytes);
        return;
    }
    emit send(bytes.left(faults.splitAt));
    const QByteArray rest = bytes.mid(faults.splitAt);
    QTimer::singleShot(30, this, [this, rest] { emit send(rest); });
}
