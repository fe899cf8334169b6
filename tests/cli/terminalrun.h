#pragma once
// quillon-cli with a terminal on stderr, while this process serves events.
#include "tests/comport/ptypair.h"
#include "tests/support/cliprocess.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>
#include <fcntl.h>
#include <unistd.h>

// Runs quillon-cli while this process keeps serving events, so a simulator
// in this process can answer it. With a terminal, stderr goes to it and what
// it shows is returned as err.
// env: the program's environment; by default this process's (short limits).
inline CliRun runServing(const QStringList &args, PtyPair *terminal = nullptr, int maxMs = kRunLimitMs,
                         const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    if (terminal)
        process.setChildProcessModifier([slave = terminal->slavePath.toLocal8Bit()] {
            const int fd = ::open(slave.constData(), O_RDWR | O_NOCTTY);
            if (fd >= 0)
                ::dup2(fd, STDERR_FILENO);
        });
    CliRun run;
    // Keep reading the terminal, or a full one would block the program.
    std::unique_ptr<QSocketNotifier> screen;
    if (terminal) {
        screen = std::make_unique<QSocketNotifier>(terminal->master, QSocketNotifier::Read);
        QObject::connect(screen.get(), &QSocketNotifier::activated, [&] {
            const QByteArray bytes = terminal->receive(1 << 16, 1);
            run.err += bytes;
            screen->setEnabled(!bytes.isEmpty());  // nothing: the program closed the terminal
        });
    }
    // An event loop, not qWaitFor: that sleeps between its rounds, and every
    // record would wait for it.
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(maxMs, &loop, &QEventLoop::quit);
    process.start(qEnvironmentVariable("QUILLON_CLI"), args);
    if (process.waitForStarted())
        loop.exec();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err += terminal ? terminal->receive(1 << 16, 100) : process.readAllStandardError();
    return run;
}
