// A full 512 KiB upload over a pseudo-terminal to krvsim pacing its line at
// 8E1 in both directions, as a device at 19200 bit/s would. The record
// protocol is stop-and-wait, so the line time of the bytes is the bound; the
// bar is 97 % of it. Also the program's CPU time (krvsim runs apart).
#include "bench/benchsupport.h"
#include "bench/simprocess.h"
#include "image/fileload.h"
#include "image/firmwareimage.h"
#include "link/comportlink.h"
#include "frontend/context.h"
#include "link/devicedescription.h"
#include "link/link.h"
#include "options/optionsmodel.h"
#include "sim/ptytransport.h"
#include "sim/sampleimage.h"
#include "upload/upload.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {
constexpr double kBar = 0.97;

}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);

    QProcess sim;
    const QString pty = startKrvsim(sim, {QStringLiteral("--pty"), QStringLiteral("--slow-line")}, QStringLiteral("pty"));
    if (pty.isEmpty()) {
        std::fprintf(stderr, "krvsim (%s) did not report a pseudo-terminal\n", qPrintable(krvsimPath()));
        return 2;
    }

    FirmwareImage image;
    OptionsModel options(image.FileAnalogInputs);
    SilentFrontend ui(options);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("image.bin"));
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(SampleImage{}.build()) != 0x80000)
            return 2;
    }
    if (loadFirmwareFile(ui, image, file) != LoadResult::Loaded)
        return 2;

    Link link(ui);
    ComPortLink serial(ui);
    serial.Comm1.SetDeviceName(pty);
    serial.Comm1.Open();
    link.setSerialLink(&serial);
    link.UseCrc = true;
    DeviceDescription device;  // as a readout of the simulator's default profile leaves it
    device.DeviceInfoRead = true;
    device.DeviceKind = KrvModel::KRV470;
    device.DeviceFwDate = 20080115;
    device.FlashClass = FlashChip::Chip512K;
    Context ctx{link, ui, device, image};
    Upload upload(ctx);

    // Every byte either way costs its character time at the speed the line has then.
    qint64 bytes = 0, bytesAt19200 = 0;
    double lineSeconds = 0;
    link.trace = [&](bool, const QByteArray &chunk) {
        const int speed = serial.Comm1.CustomBaudRate();
        bytes += chunk.size();
        bytesAt19200 += speed == 19200 ? chunk.size() : 0;
        lineSeconds += double(chunk.size()) * PtyTransport::BitsPerCharacter / speed;
    };

    QElapsedTimer wall;
    wall.start();
    const double cpuStart = processCpuSeconds();
    upload.btUpdateClick();
    const double cpu = processCpuSeconds() - cpuStart;
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    sim.kill();
    sim.waitForFinished();

    if (upload.outcome != Upload::Outcome::Ok) {
        std::fprintf(stderr, "upload failed: %s\n", qPrintable(upload.resultMessage));
        return 2;
    }
    const double efficiency = lineSeconds / seconds;
    std::printf("upload_pty: 512 KiB image, %d data records, %lld bytes on the line (%lld at 19200 bit/s, the rest at 9600)\n",
                upload.recordCounters.dataRecords, bytes, bytesAt19200);
    std::printf("upload_pty: %.1f s, line-time bound %.1f s, efficiency %.3f (bar %.2f)\n", seconds, lineSeconds, efficiency,
                kBar);
    std::printf("upload_pty: program CPU %.2f s = %.1f %% of the wall time\n", cpu, cpu / seconds * 100.0);
    return efficiency >= kBar ? 0 : 1;
}
