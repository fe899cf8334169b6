// The program's start as a technician sees it: from the process start to the
// main window on the screen, and the memory the process holds then. Bars:
// 0.5 s and 60 MB. The window is the program's own, with a settings file that
// points it at a loopback TCP target.
#include "bench/guisupport.h"
#include "mainwindow/program.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QWindow>
#include <cstdio>

namespace {
constexpr double kBarSeconds = 0.5;
constexpr double kBarMiB = 60;
}

int main(int argc, char *argv[])
{
    chooseDrawingPlatform();
    QApplication app(argc, argv);

    QTcpServer device;
    QTemporaryDir dir;
    if (!device.listen(QHostAddress::LocalHost) || !dir.isValid())
        return 2;
    const QString settings = dir.filePath(QStringLiteral("quillon.INI"));
    {
        QFile file(settings);
        if (!file.open(QIODevice::WriteOnly))
            return 2;
        file.write("[Connection]\r\nEthernet=1\r\nIP=127.0.0.1\r\nPort=" + QByteArray::number(device.serverPort()) + "\r\n");
    }

    Program program(settings);
    program.start();
    QElapsedTimer limit;
    limit.start();
    while (!(program.form1.windowHandle() && program.form1.windowHandle()->isExposed()) && limit.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double seconds = secondsSinceProcessStart();
    const double mib = residentMiB();
    if (!program.form1.windowHandle() || !program.form1.windowHandle()->isExposed()) {
        std::fprintf(stderr, "gui_start: the main window was not shown within 10 s\n");
        return 2;
    }
    std::printf("gui_start: process start to main window shown %.3f s (bar %.1f s), resident memory %.1f MiB (bar %.0f MiB), "
                "platform %s\n",
                seconds, kBarSeconds, mib, kBarMiB, qPrintable(QGuiApplication::platformName()));
    return seconds <= kBarSeconds && mib <= kBarMiB ? 0 : 1;
}
