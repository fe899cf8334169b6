// CPU time of ReceiveFrame waiting 3 s for a device that does not answer.
// The wait must block in the event loop: the bar is 2 % of the wall time.
#include "bench/benchsupport.h"
#include "sim/devicesim.h"
#include "sim/tcptransport.h"
#include "station/station.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {
constexpr int kWaitMs = 3000;
constexpr double kBar = 0.02;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);

    DeviceSim device(DeviceProfile::fromJson({}));
    device.faults.silent = true;
    TcpTransport transport(device);
    if (!transport.listen(0)) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1: %s\n", qPrintable(transport.errorString()));
        return 2;
    }

    Station<SilentFrontend> station;
    Link &link = station.link;
    link.useTcp();
    link.setTcpTarget(QStringLiteral("127.0.0.1"), transport.port());
    link.SendCommand("B004", true);
    if (!link.TcpConnected) {
        std::fprintf(stderr, "no connection to the simulator\n");
        return 2;
    }

    QByteArray answer;
    QElapsedTimer wall;
    wall.start();
    const double cpuStart = processCpuSeconds();
    const int result = link.ReceiveFrame(answer, true, kWaitMs).code();
    const double cpu = processCpuSeconds() - cpuStart;
    const double seconds = double(wall.elapsed()) / 1000.0;
    if (result != 0 || !link.LinkFailed) {
        std::fprintf(stderr, "expected a time-out, got %d\n", result);
        return 2;
    }

    const double share = cpu / seconds;
    std::printf("receiveframe_idle: %.1f ms CPU in %.0f ms wall = %.2f %% (bar %.0f %%)\n", cpu * 1000.0, seconds * 1000.0,
                share * 100.0, kBar * 100.0);
    return share < kBar ? 0 : 1;
}
