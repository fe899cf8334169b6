// The readout's answers: the build answer through the channel, then every
// frame of the input through the decoders with the offsets the readout uses.
#include "link/readout.h"
#include "link/readoutdecode.h"
#include "tests/fuzz/targets/fuzztargets.h"
#include "tests/fuzz/targets/fuzzstation.h"

int fuzzReadoutAnswers(const quint8 *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    FuzzStation st(input);
    st.link.UseCrc = !input.isEmpty() && (input.at(0) & 1);
    try {
        ReadFwBuild(st.ctx);
    } catch (const EAbort &) {
        // the input is used up
    }

    OptionsModel &panel = st.ui.options();
    for (const QByteArray &frame : input.split(char(Link::ETX))) {
        const QString fabNr = factoryNumber(frame);
        FUZZ_CHECK(fabNr.size() == 12);
        firmwareDate(frame);
        const long number = answerNumber(frame, 5, 3);
        FUZZ_CHECK(number >= -99 && number <= 999);
        applyHardwareWord(st.ctx, int(number));
        applyAnalogInputs(panel, frame.size() > 5 ? frame.at(5) - '0' : 0);
        applyFlashId(panel, st.device, frame.mid(5, 4));
        applyNetwork(panel, number);
        applyExdev(panel, st.device, number);
        FUZZ_CHECK(st.device.FlashClass >= 1 && st.device.FlashClass <= 3);
    }
    return 0;
}
