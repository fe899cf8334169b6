// The device's replies to the record transfer and its programming letters.
// The first byte chooses the start address (whole image or factory data only).
#include "tests/fuzz/targets/fuzztargets.h"
#include "tests/fuzz/targets/fuzzstation.h"
#include "upload/blocktransfer.h"

#include <algorithm>

int fuzzBlockTransfer(const quint8 *data, std::size_t size)
{
    if (size == 0)
        return 0;
    FuzzStation st(QByteArrayView(data + 1, qsizetype(size - 1)));
    // 64 KiB with gaps: blocks 0, 1 and 3 and the last one, which ends in a non-blank byte.
    FirmwareImage &image = st.image;
    image.ImageSize = 0x10000;
    for (int block : {0, 1, 3, 255})
        std::fill_n(image.ImageBuffer.begin() + block * 256, 256, quint8(block));

    Phase phase = Phase::Transfer;
    TransferCounters counters, recordCounters;
    TransferEnd end;
    BlockTransfer transfer(st.ctx, phase, counters, recordCounters, end);
    int reports = 0;
    int lastSent = 0;
    // The count of blocks sent only grows, and never past the image's 256.
    transfer.progress = [&](const TransferProgress &p) {
        ++reports;
        FUZZ_CHECK(p.blocksSent >= lastSent && p.blocksSent <= 256);
        lastSent = p.blocksSent;
    };
    try {
        transfer.run((data[0] & 1) ? 0x7FF00 : 0);
    } catch (const EAbort &) {
        return 0;  // the input is used up
    }
    // Ended by itself: a failure leaves LinkFailed set, else programming began.
    FUZZ_CHECK(reports > 0);
    FUZZ_CHECK(st.link.LinkFailed || phase == Phase::Programming);
    // Programming without "F" only ever follows the end record.
    FUZZ_CHECK(!end.startLetterMissing || (end.endRecordSent && phase == Phase::Programming));
    return 0;
}
