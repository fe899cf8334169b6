// The pty upload of bench_upload_pty (krvsim pacing 19200 bit/s 8E1, the
// device read before), started from the window's upload button with the
// status bar updating: the line-time efficiency (bar 0.98) and the longest
// time the event loop did not run during the upload (bar 50 ms), so the
// window stays responsive.
#include "bench/guisupport.h"
#include "bench/simprocess.h"
#include "mainwindow/program.h"
#include "sim/defaultreadout.h"
#include "sim/ptytransport.h"
#include "sim/sampleimage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {
constexpr double kBarEfficiency = 0.98;
constexpr qint64 kBarStallMs = 50;

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
}  // namespace

int main(int argc, char *argv[])
{
    chooseDrawingPlatform();
    QApplication app(argc, argv);

    QProcess sim;
    const QString pty = startKrvsim(sim, {QStringLiteral("--pty"), QStringLiteral("--slow-line")}, QStringLiteral("pty"));
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("quillon.INI"));
    const QString image = dir.filePath(QStringLiteral("krv470.bin"));
    if (pty.isEmpty() || !writeFile(settings, "[Connection]\nCOM=" + pty.toUtf8() + "\n")
        || !writeFile(image, SampleImage{}.build())) {
        std::fprintf(stderr, "gui_upload: no simulator (%s) or no work folder\n", qPrintable(krvsimPath()));
        return 2;
    }

    Program program(settings);
    program.start();
    TForm1 &w = program.form1;
    if (!w.station.Comm1.Active() || loadFirmwareFile(w.station.ui, w.station.image, image) != LoadResult::Loaded) {
        std::fprintf(stderr, "gui_upload: the window did not open %s or load the image\n", qPrintable(pty));
        return 2;
    }

    // As bench_upload_pty, so the figures compare.
    w.station.link.UseCrc = true;
    w.station.device = defaultProfileReadout();

    // Every byte either way costs its character time at the speed the line has then.
    double lineSeconds = 0;
    w.station.link.trace = [&](bool, const QByteArray &chunk) {
        lineSeconds += double(chunk.size()) * PtyTransport::BitsPerCharacter / w.station.Comm1.CustomBaudRate();
    };
    // A fine tick that only the event loop can run: its longest gap is the
    // longest time the window could not react.
    QElapsedTimer sinceTick;
    qint64 longestStall = 0;
    int stallsOverBar = 0;
    bool measuring = false;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (measuring) {
            longestStall = qMax(longestStall, sinceTick.elapsed());
            stallsOverBar += sinceTick.elapsed() > kBarStallMs ? 1 : 0;
        }
        sinceTick.restart();
    });
    QElapsedTimer wall;
    double seconds = 0;
    w.station.upload.progress = [&](const TransferProgress &p) {
        if (p.finished && measuring) {
            seconds = double(wall.nsecsElapsed()) / 1e9;
            measuring = false;
        }
    };
    // The final message box is answered once it is up.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->accept();
    });
    answer.start(200);

    tick.start(5);
    sinceTick.start();
    wall.start();
    measuring = true;
    w.btUpdate->click();
    tick.stop();
    sim.kill();
    sim.waitForFinished();

    if (w.station.upload.outcome != Upload::Outcome::Ok) {
        std::fprintf(stderr, "gui_upload: upload failed: %s\n", qPrintable(w.station.upload.resultMessage));
        return 2;
    }
    const double efficiency = lineSeconds / seconds;
    std::printf("gui_upload: 512 KiB image from the upload button, %d data records\n",
                w.station.upload.recordCounters.dataRecords);
    std::printf("gui_upload: %.1f s, line-time bound %.1f s, efficiency %.3f (bar %.2f)\n", seconds, lineSeconds,
                efficiency, kBarEfficiency);
    std::printf("gui_upload: longest time the event loop did not run %lld ms (bar %lld ms), %d times over the bar\n",
                longestStall, kBarStallMs, stallsOverBar);
    return efficiency >= kBarEfficiency && longestStall <= kBarStallMs ? 0 : 1;
}
