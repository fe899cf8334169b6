// The clock's answers: read, then set, each answered from the input.
#include "device/deviceclock.h"
#include "tests/fuzz/targets/fuzztargets.h"
#include "tests/fuzz/targets/fuzzstation.h"

#include <QDateTime>

int fuzzClockAnswers(const quint8 *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    FuzzStation st(input);
    st.link.UseCrc = !input.isEmpty() && (input.at(0) & 1);
    const QDateTime now(QDate(2026, 12, 8), QTime(14, 0));
    try {
        readDeviceClock(st.ctx);
        setDeviceClock(st.ctx, now);
    } catch (const EAbort &) {
        // the input is used up
    }
    // Whatever came, the label holds no more than the answer buffer did.
    FUZZ_CHECK(st.ui.caption(Control::lbTime).size() <= Link::AnswerBufferSize);
    return 0;
}
