// Answer frames read from the channel. The first byte chooses CRC mode and
// buffer capacity, the rest is what the device sends.
#include "tests/fuzz/targets/fuzztargets.h"
#include "tests/fuzz/targets/fuzzstation.h"

int fuzzReceiveFrame(const quint8 *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool crc = data[0] & 1;
    const int capacity = (data[0] & 2) ? Link::AnswerBufferSize : 5 + (data[0] >> 2) % 32;
    FuzzStation st(QByteArrayView(data + 1, qsizetype(size - 1)));
    try {
        for (;;) {
            QByteArray buffer;
            const FrameResult result = st.link.ReceiveFrame(buffer, crc, 1000, capacity);
            FUZZ_CHECK(buffer.size() <= capacity);
            if (result.ok()) {
                FUZZ_CHECK(result.length > 0 && result.length <= buffer.size());
                FUZZ_CHECK(quint8(buffer.at(result.length - 1)) == Link::ETX);
            }
        }
    } catch (const EAbort &) {
        // the input is used up
    }
    return 0;
}
