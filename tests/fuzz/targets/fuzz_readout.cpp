// The readout's answers: the build answer through the channel, the version
// and build answers after a restart as the check after flashing reads them,
// then every frame of the input through the decoders with the offsets the
// readout uses.
#include "device/readout.h"
#include "device/readoutdecode.h"
#include "upload/firmwareidentity.h"

#include <QDate>
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

    // After the restart: whatever the device answers, a version is its 14
    // characters, a date a calendar date, and the comparison says "same" only
    // for the image's own identity.
    FuzzStation restarted(input);
    restarted.link.UseCrc = st.link.UseCrc;
    try {
        QByteArray frame;
        FrameResult result = restarted.link.ReceiveFrame(frame, restarted.link.UseCrc, 2000);
        const std::optional<QString> version = versionFromAnswer(frame, result);
        FUZZ_CHECK(!version || version->size() == 14);
        result = restarted.link.ReceiveFrame(frame, restarted.link.UseCrc, 2000);
        const std::optional<int> date = buildDateFromAnswer(frame, result);
        FUZZ_CHECK(!date || QDate(*date / 10000, *date / 100 % 100, *date % 100).isValid());
        const FirmwareIdentity image{QStringLiteral("KRV470"), 20090301};
        const FirmwareIdentity device{version.value_or(QString()), date.value_or(0)};
        const bool same = device.date == image.date && device.version.contains(image.version);
        FUZZ_CHECK(identityDifferences(image, device).isEmpty() == same);
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
        FUZZ_CHECK(st.device.FlashClass != FlashChip::Undetermined);
    }
    return 0;
}
