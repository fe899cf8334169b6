#pragma once
// krvsim as a process of its own, as the benchmarks run it.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>

inline QString krvsimPath()
{
    const QString fromEnv = qEnvironmentVariable("KRVSIM");
    return fromEnv.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../sim/krvsim") : fromEnv;
}

// Starts krvsim with args and waits for its first line "<report> VALUE"
// ("port 4711", "pty /dev/pts/3"); VALUE, or empty when it did not come.
inline QString startKrvsim(QProcess &sim, const QStringList &args, const QString &report)
{
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(krvsimPath(), args);
    QElapsedTimer clock;
    clock.start();
    while (!sim.canReadLine() && clock.elapsed() < 5000 && sim.state() != QProcess::NotRunning)
        sim.waitForReadyRead(100);
    const QString line = QString::fromLatin1(sim.readLine()).trimmed();
    const QString prefix = report + QLatin1Char(' ');
    return line.startsWith(prefix) ? line.mid(prefix.size()) : QString();
}
