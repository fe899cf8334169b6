// CPU time of a 10 s dial on a modem that does not answer. The dial waits in
// the event loop; the port's event thread watches the carrier line, measured
// without modem lines (a pseudo-terminal) and with sampled ones (a driver
// that cannot wait for a line change). The bar is 1 % of the wall time.
#include "bench/benchsupport.h"
#include "comport/modemlines.h"
#include "sim/devicesim.h"
#include "sim/hayesmodem.h"
#include "sim/ptytransport.h"
#include "station/station.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <sys/ioctl.h>

namespace {
constexpr int kDialMs = 10000;
constexpr double kBar = 0.01;

// Modem lines without a carrier, for the pseudo-terminal that has none.
class NoCarrier : public TModemLineSource {
public:
    bool read(int, int &lines) override
    {
        lines = TIOCM_CTS | TIOCM_DSR;
        return true;
    }
};

// The share of CPU time in the wall time of one unanswered dial; -1 on failure.
double dialShare(bool sampledLines)
{
    NoCarrier lines;
    SetModemLineSource(sampledLines ? &lines : nullptr);

    DeviceSim device(DeviceProfile::fromJson({}));
    PtyTransport pty(device);
    HayesModem hayes(device);
    hayes.answer = HayesModem::Answer::Silent;
    if (!pty.open()) {
        std::fprintf(stderr, "no pseudo-terminal: %s\n", qPrintable(pty.errorString()));
        return -1;
    }
    pty.setModem(&hayes);

    Station<SilentFrontend> station;
    station.Comm1.SetDeviceName(pty.slavePath());
    station.Comm1.Open();
    Modem &modem = station.addModem();
    station.link.limits.modemDialTimeoutMs = kDialMs;
    modem.edRufChange(QStringLiteral("0815"));

    QElapsedTimer wall;
    wall.start();
    const double cpuStart = processCpuSeconds();
    const int result = modem.DialDevice();
    const double cpu = processCpuSeconds() - cpuStart;
    const double seconds = double(wall.elapsed()) / 1000.0;
    station.Comm1.Close();
    SetModemLineSource(nullptr);
    if (result != 0 || hayes.commands != QList<QByteArray>{"atd0815"}) {
        std::fprintf(stderr, "expected an unanswered dial, got %d\n", result);
        return -1;
    }
    std::printf("dial_idle (%s): %.1f ms CPU in %.0f ms wall = %.2f %% (bar %.0f %%)\n",
                sampledLines ? "carrier line sampled" : "no modem lines", cpu * 1000.0, seconds * 1000.0,
                cpu / seconds * 100.0, kBar * 100.0);
    return cpu / seconds;
}
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    bool ok = true;
    for (bool sampledLines : {false, true}) {
        const double share = dialShare(sampledLines);
        ok = ok && share >= 0 && share < kBar;
    }
    return ok ? 0 : 1;
}
