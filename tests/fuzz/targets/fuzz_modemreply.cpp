// What a modem says, under both rules of its reply buffer.
#include "link/modemreply.h"
#include "tests/fuzz/targets/fuzztargets.h"

int fuzzModemReply(const quint8 *data, std::size_t size)
{
    ModemReply init, dial;
    for (std::size_t i = 0; i < size; ++i) {
        init.takeInitByte(data[i]);
        if (dial.takeDialByte(data[i]))
            dial.clear();
        FUZZ_CHECK(init.text().size() <= ModemReply::MaxText);
        FUZZ_CHECK(dial.text().size() <= ModemReply::MaxText);
    }
    return 0;
}
