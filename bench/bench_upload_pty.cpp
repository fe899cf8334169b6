// A full 512 KiB upload over a pseudo-terminal to krvsim pacing its line at
// 8E1 in both directions, as a device at 19200 bit/s would. The record
// protocol is stop-and-wait, so the line time of the bytes is the bound; the
// bar is 97 % of it. Also the program's CPU time (krvsim runs apart).
#include "bench/benchsupport.h"
#include "bench/simprocess.h"
#include "image/fileload.h"
#include "sim/defaultreadout.h"
#include "sim/ptytransport.h"
#include "sim/sampleimage.h"
#include "station/station.h"

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

    Station<SilentFrontend> station;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("image.bin"));
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(SampleImage{}.build()) != 0x80000)
            return 2;
    }
    if (loadFirmwareFile(station.ui, station.image, file) != LoadResult::Loaded)
        return 2;

    Link &link = station.link;
    station.Comm1.SetDeviceName(pty);
    station.Comm1.Open();
    link.UseCrc = true;
    station.device = defaultProfileReadout();
    Upload &upload = station.upload;

    // Every byte either way costs its character time at the speed the line has then.
    qint64 bytes = 0, bytesAt19200 = 0;
    double lineSeconds = 0;
    link.trace = [&](bool, const QByteArray &chunk) {
        const int speed = station.Comm1.CustomBaudRate();
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
