// Fault-injection soak: RUNS uploads of a 64 KiB image in this one process,
// over TCP to the simulator served in-process, each with a fault drawn at
// random (none, a NAK, a garbage reply, silence from a record on, the link
// dropped at a record). Every run must end with the outcome and message its
// fault calls for; every success must leave the simulator's flash equal to the
// image; the process's memory must not grow once warmed up.
// Prints one line of counts: key=value ...; exits 1 on any wrong end.
// Usage: soak_upload RUNS SEED
#include "bench/benchsupport.h"
#include "sim/defaultreadout.h"
#include "sim/residentmemory.h"
#include "sim/devicesim.h"
#include "sim/sampleimage.h"
#include "sim/tcptransport.h"
#include "station/station.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>

namespace {
enum Fault { None, Nak, Garbage, Silence, Drop, FaultKinds };
const char *const kFaultNames[] = {"none", "nak", "garbage", "silence", "drop"};

const QString kSuccess = QStringLiteral("Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)");
const QString kTransferFailed = QStringLiteral("Upload beendet: KRV reagiert nicht/falsch! PS: 4");

class RecordingFrontend : public SilentFrontend {
public:
    using SilentFrontend::SilentFrontend;
    QStringList messages;
    void showMessage(const QString &text) override { messages.append(text); }
};

struct Soak : Station<RecordingFrontend> {
    DeviceSim sim{DeviceProfile::fromJson({})};
    TcpTransport tcp{sim};
};
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 300;
    QRandomGenerator random(argc > 2 ? quint32(strtoul(argv[2], nullptr, 10)) : 1);

    Soak st;
    if (!st.tcp.listen(0)) {
        std::fprintf(stderr, "soak: the simulator cannot listen: %s\n", qPrintable(st.tcp.errorString()));
        return 2;
    }
    st.link.useTcp();
    st.link.setTcpTarget(QStringLiteral("127.0.0.1"), st.tcp.port());
    st.link.UseCrc = st.sim.profile.crc;
    st.sim.flash.goOnDelayMs = 10;
    st.device = defaultProfileReadout();

    SampleImage sample;
    sample.size = 0x10000;
    const QByteArray image = sample.build();
    const auto load = [&] {
        std::copy(image.begin(), image.end(), st.image.ImageBuffer.begin());
        st.image.ImageSize = int(image.size());
        st.image.FileFwDate = sample.firmwareDate;
        st.image.FileDeviceKind = KrvModel::KRV470;
        st.image.FileAnalogInputs = quint8(sample.analogInputs);
    };

    int faults[FaultKinds] = {};
    int endedCorrectly = 0, successes = 0, verified = 0;
    int records = 0;  // records of a clean run, known after the first
    long warmRss = 0;
    Upload &upload = st.upload;
    for (int run = 1; run <= runs; ++run) {
        const Fault fault = records == 0 ? None : Fault(random.bounded(int(FaultKinds)));
        const int at = records == 0 ? 0 : 1 + int(random.bounded(records));
        st.sim.flash.reset();
        st.sim.flash.faults = {};
        switch (fault) {
        case Nak: st.sim.flash.faults.nakRecord = at; break;
        case Garbage: st.sim.flash.faults.garbageAtRecord = at; break;
        case Silence: st.sim.flash.faults.silentFromRecord = at; break;
        case Drop: st.sim.flash.faults.dropLinkAtRecord = at; break;
        default: break;
        }
        ++faults[fault];
        st.ui.messages.clear();
        load();  // the factory data go in again, as on every upload

        upload.btUpdateClick();

        const bool shouldSucceed = fault == None || fault == Nak;
        const QString expected = shouldSucceed ? kSuccess : kTransferFailed;
        const Upload::Outcome expectedOutcome = shouldSucceed ? Upload::Outcome::Ok : Upload::Outcome::Failed;
        const bool rightEnd = st.ui.messages == QStringList{expected} && upload.outcome == expectedOutcome;
        endedCorrectly += rightEnd;
        if (!rightEnd)
            std::fprintf(stderr, "soak: run %d (%s at %d) ended with \"%s\"\n", run, kFaultNames[fault], at,
                         qPrintable(st.ui.messages.join(QStringLiteral(" | "))));
        if (upload.outcome == Upload::Outcome::Ok) {
            ++successes;
            const QByteArray written(reinterpret_cast<const char *>(st.image.ImageBuffer.data()), st.image.ImageSize);
            if (st.sim.flash.flash.left(st.image.ImageSize) == written)
                ++verified;
            else
                std::fprintf(stderr, "soak: run %d succeeded but the flash differs from the image\n", run);
        }
        if (records == 0)
            for (const FlashSide::Record &r : st.sim.flash.records)
                records += r.kind != FlashSide::Kind::Eot;
        if (run == std::min(runs, 5))
            warmRss = residentKiB();
    }
    const long growth = residentKiB() - warmRss;

    std::printf("runs=%d", runs);
    for (int f = 0; f < FaultKinds; ++f)
        std::printf(" %s=%d", kFaultNames[f], faults[f]);
    std::printf(" ended_correctly=%d successes=%d verified=%d rss_growth_kib=%ld\n", endedCorrectly, successes, verified,
                growth);
    return endedCorrectly == runs && verified == successes ? 0 : 1;
}
