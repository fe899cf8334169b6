// A full 512 KiB image (every block in use) uploaded to a krvsim process over
// TCP loopback: wall time of the record transfer, records per second and the
// CPU time this process (the program's side) spent on the whole upload.
#include "bench/benchsupport.h"
#include "bench/simprocess.h"
#include "image/fileload.h"
#include "sim/defaultreadout.h"
#include "sim/sampleimage.h"
#include "station/station.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>

namespace {
constexpr int kImageSize = 0x80000;

// The sample image with its erased gaps filled: 2048 data records.
QByteArray fullImage()
{
    SampleImage sample;
    sample.size = kImageSize;
    QByteArray image = sample.build();
    QRandomGenerator random(7);
    for (int block = 0; block < kImageSize; block += 256)
        if (image.mid(block, 256) == QByteArray(256, char(0xFF)))
            for (int i = block; i < block + 256; ++i)
                image[i] = char(random.bounded(255));
    return image;
}

}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);

    QProcess sim;
    const QString port = startKrvsim(sim, {QStringLiteral("--port"), QStringLiteral("0")}, QStringLiteral("port"));
    if (port.isEmpty()) {
        std::fprintf(stderr, "krvsim did not start (%s)\n", qPrintable(krvsimPath()));
        return 2;
    }

    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("full.bin")));
    const QByteArray bytes = fullImage();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return 2;
    file.close();

    Station<SilentFrontend> station;
    if (loadFirmwareFile(station.ui, station.image, file.fileName()) != LoadResult::Loaded)
        return 2;
    Link &link = station.link;
    link.useTcp();
    link.setTcpTarget(QStringLiteral("127.0.0.1"), port.toUShort());
    link.UseCrc = true;
    station.device = defaultProfileReadout();  // krvsim runs its default profile

    Upload &upload = station.upload;
    QElapsedTimer clock;
    qint64 firstRecordNs = -1, lastRecordNs = -1;
    int reports = 0;  // one after each record's reply
    upload.progress = [&](const TransferProgress &) {
        if (upload.UploadPhase != Phase::Transfer)
            return;
        lastRecordNs = clock.nsecsElapsed();
        if (++reports == 1)
            firstRecordNs = lastRecordNs;
    };
    clock.start();
    const double cpuStart = processCpuSeconds();
    upload.btUpdateClick();
    const double cpu = processCpuSeconds() - cpuStart;
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    sim.kill();
    sim.waitForFinished();

    if (upload.outcome != Upload::Outcome::Ok) {
        std::fprintf(stderr, "upload failed: %s\n", qPrintable(upload.resultMessage));
        return 1;
    }
    const TransferCounters &c = upload.recordCounters;
    // The first record's reply starts the clock: count the records after it.
    const int records = reports - 1;
    const double transfer = double(lastRecordNs - firstRecordNs) / 1e9;
    std::printf("upload_tcp: %d data + %d address records + end record in %.3f s = %.0f records/s; "
                "whole upload %.3f s wall, %.3f s CPU (%.0f %%)\n",
                c.dataRecords, c.addressRecords, transfer, records / transfer, wall, cpu, 100.0 * cpu / wall);
    return 0;
}
