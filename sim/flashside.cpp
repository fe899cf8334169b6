#include "sim/flashside.h"

#include "sim/devicesim.h"
#include "sim/keptlist.h"

#include <algorithm>

namespace {
constexpr quint8 kEot = 0x04;
constexpr quint8 kAck = 0x06;
constexpr quint8 kNak = 0x15;
constexpr quint8 kRefused = '?';   // not a protocol byte: the program must give up
constexpr quint8 kGarbage = 0x5A;
constexpr int kAddressRecordLength = 6;
constexpr int kDataRecordLength = 259;
constexpr int kBlockSize = 256;
constexpr int kSectorSize = 0x10000;
constexpr int kIdentificationOffset = 0xFF00;
constexpr int kDateOffset = 0xFF07;
constexpr int kVersionLength = 15;
}

FlashSide::FlashSide(DeviceSim &device, QObject *parent) : QObject(parent), m_device(device)
{
    flash = QByteArray(FlashSize, char(0xFF));
    connect(&m_device, &DeviceSim::flashRequested, this, &FlashSide::begin);
    connect(&m_letterTimer, &QTimer::timeout, this, &FlashSide::sendNextLetter);
}

void FlashSide::reset()
{
    m_letterTimer.stop();
    m_device.starting = false;
    m_device.setRawHandler(nullptr);
    m_inFlashMode = false;
    m_programmed = false;
    records.clear();
    protocolErrors.clear();
}

void FlashSide::begin()
{
    if (faults.noGoOnFlashing)
        return;
    m_inFlashMode = true;
    m_programmed = false;
    flash.fill(char(0xFF));
    m_record.clear();
    m_address = -1;
    m_dataSinceAddress = m_eotSinceData = false;
    m_recordCount = m_addressRecords = m_dataRecords = m_sectorsWritten = 0;
    m_device.setRawHandler([this](const QByteArray &bytes) { receive(bytes); });
    emit m_device.lineSpeedChanged(FlashBitsPerSecond);
    QTimer::singleShot(goOnDelayMs, this, [this] {
        if (m_inFlashMode)
            emit m_device.send(QByteArray("\x02GoOnFlashing\x03"));
    });
}

void FlashSide::receive(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (!m_inFlashMode || m_programmed)
            return;  // programming: the device listens to nothing
        take(quint8(c));
    }
}

void FlashSide::take(quint8 byte)
{
    if (m_record.isEmpty()) {
        if (byte == kEot) {
            eot();
            return;
        }
        if (byte == 0x01)
            m_expectedLength = kAddressRecordLength;
        else if (byte == 0x02)
            m_expectedLength = kDataRecordLength;
        else {
            error(QStringLiteral("byte 0x%1 where a record should start").arg(byte, 2, 16, QLatin1Char('0')));
            return;
        }
    }
    m_record.append(char(byte));
    if (m_record.size() < m_expectedLength)
        return;
    if (m_expectedLength == kAddressRecordLength)
        addressRecord();
    else
        dataRecord();
    m_record.clear();
}

void FlashSide::error(const QString &text) { appendKept(protocolErrors, text, KeptErrors); }

void FlashSide::keep(const Record &record) { appendKept(records, record, KeptRecords); }

void FlashSide::reply(Kind kind, int address, quint8 byte)
{
    keep({kind, address, byte});
    emit m_device.send(QByteArray(1, char(byte)));
}

bool FlashSide::faultAnswered(Kind kind, int address)
{
    const int n = ++m_recordCount;
    if (n == faults.dropLinkAtRecord) {
        keep({kind, address, 0});
        emit m_device.dropLink();
        // The device does not notice a lost line: it stays in its flash-update
        // mode and takes whatever comes next for records.
        m_record.clear();
        return true;
    }
    if (faults.silentFromRecord > 0 && n >= faults.silentFromRecord) {
        keep({kind, address, 0});
        return true;
    }
    if (n == faults.garbageAtRecord) {
        reply(kind, address, kGarbage);
        return true;
    }
    if (faults.nakRecord > 0 && n >= faults.nakRecord && n < faults.nakRecord + faults.nakCount) {
        reply(kind, address, kNak);
        return true;
    }
    return false;
}

void FlashSide::eot()
{
    if (!m_dataSinceAddress || m_eotSinceData)
        error(QStringLiteral("EOT without a run of data records before it"));
    m_eotSinceData = true;
    reply(Kind::Eot, -1, faults.eotReply);
}

void FlashSide::addressRecord()
{
    const auto b = [this](int i) { return quint8(m_record.at(i)); };
    const int address = (b(1) << 16) | (b(2) << 8) | b(3);
    const Kind kind = address == EndAddress ? Kind::End : Kind::Address;
    if (faultAnswered(kind, address))
        return;
    if (b(4) != 0x17 || b(5) != (b(1) ^ b(2) ^ b(3))) {
        error(QStringLiteral("damaged address record %1").arg(QString::fromLatin1(m_record.toHex(' '))));
        reply(kind, address, kNak);
        return;
    }
    if (m_dataSinceAddress && !m_eotSinceData) {
        error(QStringLiteral("address record 0x%1 without EOT after data records").arg(address, 6, 16, QLatin1Char('0')));
        reply(kind, address, kRefused);
        return;
    }
    if (kind == Kind::End) {
        if (faults.endAnsweredWithAck) {
            reply(kind, address, kAck);
            return;
        }
        if (faults.startLetterLost)
            keep({kind, address, 'F'});  // sent, but the line lost it
        else
            reply(kind, address, 'F');
        startProgramming();
        return;
    }
    if (address % kBlockSize != 0 || address >= FlashSize) {
        error(QStringLiteral("address 0x%1 is no block of the flash").arg(address, 6, 16, QLatin1Char('0')));
        reply(kind, address, kRefused);
        return;
    }
    m_address = address;
    m_dataSinceAddress = m_eotSinceData = false;
    ++m_addressRecords;
    reply(kind, address, kAck);
}

void FlashSide::dataRecord()
{
    if (faultAnswered(Kind::Data, m_address))
        return;
    quint8 check = 0;
    for (int i = 1; i <= kBlockSize; ++i)
        check ^= quint8(m_record.at(i));
    if (quint8(m_record.at(257)) != 0x03 || quint8(m_record.at(258)) != check) {
        error(QStringLiteral("damaged data record for 0x%1").arg(m_address, 6, 16, QLatin1Char('0')));
        reply(Kind::Data, m_address, kNak);
        return;
    }
    if (m_address < 0 || m_eotSinceData || m_address + kBlockSize > FlashSize) {
        error(QStringLiteral("data record without a valid address record before it"));
        reply(Kind::Data, m_address, kRefused);
        return;
    }
    flash.replace(m_address, kBlockSize, m_record.mid(1, kBlockSize));
    reply(Kind::Data, m_address, kAck);
    m_address += kBlockSize;
    m_dataSinceAddress = true;
    ++m_dataRecords;
    m_sectorsWritten = std::max(m_sectorsWritten, (m_address + kSectorSize - 1) / kSectorSize);
}

void FlashSide::startProgramming()
{
    m_programmed = true;
    m_letters = faults.letters;
    if (m_letters.isEmpty())
        m_letters = "S" + QByteArray(m_sectorsWritten, 'E') + QByteArray(m_addressRecords, 'a') + QByteArray(m_dataRecords, 'p') + "TCP";
    if (letterIntervalMs <= 0) {
        emit m_device.send(m_letters);
        m_letters.clear();
        // Not from inside the raw handler that is running now.
        QTimer::singleShot(0, this, &FlashSide::leaveFlashMode);
        return;
    }
    m_letterTimer.start(letterIntervalMs);
}

void FlashSide::sendNextLetter()
{
    if (m_letters.isEmpty()) {
        m_letterTimer.stop();
        leaveFlashMode();
        return;
    }
    emit m_device.send(m_letters.left(1));
    m_letters.remove(0, 1);
}

void FlashSide::leaveFlashMode()
{
    m_inFlashMode = false;
    emit programmingDone();
    m_device.setRawHandler(nullptr);
    emit m_device.lineSpeedChanged(commandBitsPerSecond);
    if (restart.modelled)
        restartDevice();
}

void FlashSide::restartDevice()
{
    m_device.starting = true;
    emit m_device.restarting();
    if (restart.neverBack)
        return;
    QTimer::singleShot(restart.silentMs, this, [this] {
        if (!restart.oldFirmware)
            runFlashedFirmware();
        m_device.starting = false;
    });
}

void FlashSide::runFlashedFirmware()
{
    // Only the factory data sent: the identification area was not written and
    // the firmware is the one it had.
    if (quint8(flash.at(kIdentificationOffset)) == 0xFF)
        return;
    // The version text starts with the identification; the date may lie inside it.
    QByteArray identification = flash.mid(kIdentificationOffset, 0x100);
    identification.truncate(identification.indexOf('\0') < 0 ? identification.size() : identification.indexOf('\0'));
    const QByteArray day = flash.mid(kDateOffset, 2), month = flash.mid(kDateOffset + 2, 2), year = flash.mid(kDateOffset + 4, 4);
    m_device.profile.answers["B004"] = identification.leftJustified(kVersionLength, ' ', true);
    m_device.profile.answers["B937"] = "V1" + day + month + year + "R00001";
}
