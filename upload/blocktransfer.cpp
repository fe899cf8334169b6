#include "upload/blocktransfer.h"

#include "image/firmwareimage.h"
#include "frontend/context.h"
#include "frontend/frontend.h"
#include "link/link.h"

#include <QDeadlineTimer>
#include <algorithm>

BlockTransfer::BlockTransfer(Context &ctx, Phase &uploadPhase, TransferCounters &counters,
                             TransferCounters &recordCounters, TransferEnd &end)
    : m_ctx(ctx), m_phase(uploadPhase), m_counters(counters), m_recordCounters(recordCounters), m_end(end)
{
}

bool BlockTransfer::isProgrammingLetter(quint8 byte)
{
    return byte != 0 && QByteArrayView("apESTCP").contains(char(byte));
}

QByteArray BlockTransfer::addressRecord(int address)
{
    const quint8 high = quint8(address >> 16), mid = quint8(address >> 8), low = quint8(address);
    return QByteArray{"\x01", 1} + char(high) + char(mid) + char(low) + char(0x17) + char(high ^ mid ^ low);
}

QByteArray BlockTransfer::dataRecord(const std::vector<quint8> &buffer, int imageSize, int address)
{
    QByteArray record(BlockSize + 3, char(0xFF));
    record[0] = 0x02;
    // A last block shorter than 256 bytes is padded with erased flash, not
    // with whatever the buffer holds behind the image.
    const int inImage = std::clamp(imageSize - address, 0, BlockSize);
    std::copy_n(buffer.begin() + address, inImage, record.begin() + 1);
    quint8 check = 0;
    for (int i = 1; i <= BlockSize; ++i)
        check ^= quint8(record[i]);
    record[BlockSize + 1] = 0x03;
    record[BlockSize + 2] = char(check);
    return record;
}

bool BlockTransfer::blockIsBlank(int address) const
{
    const FirmwareImage &image = m_ctx.image;
    const auto begin = image.ImageBuffer.begin() + address;
    const auto end = image.ImageBuffer.begin() + std::min(address + BlockSize, image.ImageSize);
    return std::all_of(begin, end, [](quint8 b) { return b == 0xFF; });
}

TransferCounters BlockTransfer::plannedRecords(int startAddress) const
{
    TransferCounters planned;
    bool follows = false;  // the block follows on from a data record
    for (int address = startAddress; address < m_ctx.image.ImageSize; address += BlockSize) {
        const bool blank = blockIsBlank(address);
        if (!blank && !follows)
            ++planned.addressRecords;
        planned.dataRecords += blank ? 0 : 1;
        follows = !blank;
    }
    return planned;
}

void BlockTransfer::showCounters()
{
    m_ctx.ui.setStatus(1, recordCountersText(m_counters));
}

void BlockTransfer::report()
{
    m_progress.blocksSent = m_counters.dataRecords;
    notify();
}

void BlockTransfer::notify()
{
    if (progress)
        progress(m_progress);
}

quint8 BlockTransfer::sendRecord(const QByteArray &record, int nakDelayMs)
{
    Link &link = m_ctx.link;
    for (;;) {
        link.SendBytes(record);
        link.PurgeInput();  // the write has completed; whatever came before is stale
        const quint8 reply = link.WaitByte(link.limits.recordReplyTimeoutMs);
        if (reply != NAK)
            return reply;
        ++m_counters.repeats;
        showCounters();
        link.PumpWait(nakDelayMs);
    }
}

quint8 BlockTransfer::transfer(int startAddress)
{
    Link &link = m_ctx.link;
    const FirmwareImage &image = m_ctx.image;
    int address = startAddress;
    int expectedAddress = -1;
    quint8 reply = ACK;

    while (reply == ACK) {
        showCounters();
        while (address < image.ImageSize && blockIsBlank(address))
            address += BlockSize;
        const bool endRecord = address >= image.ImageSize;
        if (endRecord) {
            address = EndAddress;
            --m_counters.addressRecords;  // the end record is not counted
        }

        if (address != expectedAddress) {
            if (expectedAddress != -1) {
                link.SendByte(EOT);
                if (link.WaitByte(link.limits.recordReplyTimeoutMs) != EOT)
                    return 0;  // any other echo fails, "F" included
            }
            ++m_counters.addressRecords;
            m_end.endRecordSent = endRecord;
            reply = sendRecord(addressRecord(address), 0);
            report();
            showCounters();
            if (endRecord)
                break;  // only "F" or a programming letter may answer the end record
        }
        if (reply != ACK)
            break;

        const QByteArray record = dataRecord(image.ImageBuffer, image.ImageSize, address);
        address += BlockSize;
        expectedAddress = address;
        ++m_counters.dataRecords;
        reply = sendRecord(record, NakDelayMs);
        report();
    }
    return reply;
}

quint8 BlockTransfer::nextLetter()
{
    Link &link = m_ctx.link;
    // The device programs on its own now: a cancel request cannot stop it,
    // so it neither ends nor shortens the wait for the next letter.
    const QDeadlineTimer deadline(link.limits.recordReplyTimeoutMs);
    quint8 letter = 0;
    do {
        link.clearCancel();
        letter = link.WaitByte(int(std::max<qint64>(deadline.remainingTime(), 1)));
    } while (letter == 0 && !link.LinkFailed && link.CancelRequested);
    return letter;
}

void BlockTransfer::takeLetter(quint8 letter)
{
    Frontend &ui = m_ctx.ui;
    m_counters.countLetter(letter);
    m_progress.lettersReceived += isProgrammingLetter(letter) ? 1 : 0;
    if (letter == 'S')
        ui.setStatus(1, QStringLiteral("FabData erase & burn!"));
    else if (letter == 'T')
        ui.setStatus(1, QStringLiteral("Test highest FLASH-Sector!"));
    else if (letter == 'C')
        ui.setStatus(1, QStringLiteral("FLASH-Data copy!"));
    else
        ui.setStatus(1, letterCountersText(m_counters));
    m_progress.letter = letter;
    notify();
}

void BlockTransfer::programming(quint8 firstLetter)
{
    Link &link = m_ctx.link;
    Frontend &ui = m_ctx.ui;
    m_phase = Phase::Programming;
    m_progress.programming = true;
    ui.setActivity(Activity::Busy);  // the device programs its flash: no way back
    link.clearCancel();
    m_counters = {};
    ui.setStatus(0, QStringLiteral("KRV programmiert FLASH!"));
    notify();  // the programming's clock starts here, before its first letter

    quint8 letter = firstLetter ? firstLetter : nextLetter();
    takeLetter(letter);
    while (letter != ProgrammingDone && !link.LinkFailed) {
        letter = nextLetter();
        takeLetter(letter);
    }

    if (letter == ProgrammingDone) {
        ui.setStatus(1, QStringLiteral("FLASH wurde erfolgreich gebrannt!  :-)"));
        link.setFailed(false);
    }
}

void BlockTransfer::run(int startAddress)
{
    m_counters = {};
    m_end = {};
    const TransferCounters planned = plannedRecords(startAddress);
    m_progress = TransferProgress{};
    m_progress.blocksTotal = planned.dataRecords;
    m_progress.lettersExpected = expectedLetters(m_ctx.image.ImageSize, planned);
    report();
    const quint8 reply = transfer(startAddress);
    m_recordCounters = m_counters;
    if (reply == StartProgramming) {
        programming(0);
    } else if (m_end.endRecordSent && isProgrammingLetter(reply)) {
        // The device has everything and reports its programming: its "F"
        // was lost on the line.
        m_end.startLetterMissing = true;
        programming(reply);
    } else {
        m_ctx.link.setFailed(true);
    }
    m_progress.finished = true;
    notify();
}
