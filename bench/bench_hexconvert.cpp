// Converting a full 512 KiB image from Intel-HEX must take under 20 ms.
// Prints our time beside srec_cat's for the same file, measured in this run.
#include "bench/benchsupport.h"
#include "image/fileload.h"
#include "image/hexconvert.h"
#include "station/station.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <vector>

namespace {
constexpr double BudgetMs = 20.0;
constexpr int Runs = 21;

double medianMs(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        work();
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool runSrecCat(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral("srec_cat"), args);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    if (QStandardPaths::findExecutable(QStringLiteral("srec_cat")).isEmpty()) {
        out << "bench_hexconvert: srec_cat is not installed" << Qt::endl;
        return 1;
    }
    QTemporaryDir dir;
    const QString binPath = dir.filePath(QStringLiteral("image.bin"));
    const QString hexPath = dir.filePath(QStringLiteral("image.hex"));
    const QString srecOut = dir.filePath(QStringLiteral("srec.bin"));
    {
        QByteArray data(0x80000, Qt::Uninitialized);
        QRandomGenerator generator(4711);
        for (char &c : data)
            c = char(generator.bounded(256));
        QFile file(binPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            return 1;
    }
    // 16 data bytes per record and CR LF, as firmware tool chains write them.
    if (!runSrecCat({binPath, QStringLiteral("-binary"), QStringLiteral("-o"), hexPath, QStringLiteral("-intel"),
                     QStringLiteral("-Output_Block_Size=16"), QStringLiteral("-CRLF")})) {
        out << "bench_hexconvert: srec_cat could not write the HEX file" << Qt::endl;
        return 1;
    }
    const QByteArray text = readFile(hexPath);

    Station<SilentFrontend> station;
    const FirmwareImage &image = station.image;
    bool loaded = true;
    const double loadMs = medianMs(Runs, [&] { loaded &= loadFirmwareFile(station.ui, station.image, hexPath) == LoadResult::Loaded; });
    std::vector<quint8> target(0x80000);
    const double convertMs = medianMs(Runs, [&] { loaded &= convertHex(text, target).imageSize == 0x80000; });
    const double srecMs = medianMs(5, [&] {
        loaded &= runSrecCat({hexPath, QStringLiteral("-intel"), QStringLiteral("-o"), srecOut, QStringLiteral("-binary")});
    });

    const QByteArray ours(reinterpret_cast<const char *>(image.ImageBuffer.data()), image.ImageSize);
    if (!loaded || ours != readFile(binPath) || ours != readFile(srecOut)) {
        out << "bench_hexconvert: the images differ or a conversion failed" << Qt::endl;
        return 1;
    }

    out << "HEX file: " << text.size() << " bytes, image " << image.ImageSize << " bytes (median of " << Runs << " runs)\n";
    out << QStringLiteral("  load + convert (file)   %1 ms\n").arg(loadMs, 7, 'f', 2);
    out << QStringLiteral("  convert (in memory)     %1 ms\n").arg(convertMs, 7, 'f', 2);
    out << QStringLiteral("  srec_cat (process)      %1 ms\n").arg(srecMs, 7, 'f', 2);
    const bool ok = loadMs < BudgetMs;
    out << (ok ? "PASS" : "FAIL") << ": load + convert under " << BudgetMs << " ms" << Qt::endl;
    return ok ? 0 : 1;
}
