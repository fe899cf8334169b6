#pragma once
// quillon-cli and krvsim as real processes, as a script would run them.
// The binaries come from the QUILLON_CLI and KRVSIM environment variables.
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <csignal>

struct CliRun {
    int exitCode = -1;  // -1: crashed or did not finish in time
    QByteArray out;
    QByteArray err;
    qint64 elapsedMs = 0;
};

// How long a test lets a run take before it kills it: far beyond any run,
// so a loaded machine never ends one; each test checks its own times.
constexpr int kRunLimitMs = 120000;

// The one JSON object a --json run printed.
inline QJsonObject jsonOf(const CliRun &run) { return QJsonDocument::fromJson(run.out).object(); }

// Runs program with args in env; at most maxMs, then it is killed.
inline CliRun runProgram(const QString &program, const QStringList &args, const QProcessEnvironment &env,
                         int maxMs = kRunLimitMs)
{
    QProcess process;
    process.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    process.start(program, args);
    CliRun run;
    if (!process.waitForFinished(maxMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    run.elapsedMs = clock.elapsed();
    return run;
}

// Runs quillon-cli with args; extraEnv entries ("NAME=value") are added to
// the environment. The test suite's environment gives it the short time
// limits; {"QUILLON_TEST_SHORT_LIMITS=0"} gives it the real ones.
inline CliRun runQuillonCli(const QStringList &args, int maxMs = kRunLimitMs, const QStringList &extraEnv = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : extraEnv)
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    return runProgram(qEnvironmentVariable("QUILLON_CLI"), args, env, maxMs);
}

// The environment of a quillon-cli that waits the real time limits: for a run
// that a test interrupts during a wait, which a short limit might end first.
inline QProcessEnvironment withRealLimits()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLON_TEST_SHORT_LIMITS"), QStringLiteral("0"));
    return env;
}

// Reads stderr of a running quillon-cli until text shows up (true) or ms pass.
inline bool waitForStderr(QProcess &cli, QByteArray &err, const QByteArray &text, int ms = 30000)
{
    QElapsedTimer clock;
    clock.start();
    while (!err.contains(text) && clock.elapsed() < ms) {
        cli.waitForReadyRead(100);
        err += cli.readAllStandardError();
    }
    return err.contains(text);
}

// Sends Ctrl-C to a running quillon-cli; how long it took to end, -1 if it
// did not within 10 s.
inline qint64 interruptAndWait(QProcess &cli)
{
    QElapsedTimer clock;
    clock.start();
    if (::kill(pid_t(cli.processId()), SIGINT) != 0 || !cli.waitForFinished(10000))
        return -1;
    return clock.elapsed();
}

// A krvsim process on a free loopback port; killed when it goes out of scope.
class KrvSimProcess {
public:
    explicit KrvSimProcess(const QStringList &args)
    {
        m_process.start(qEnvironmentVariable("KRVSIM"), QStringList{QStringLiteral("--port"), QStringLiteral("0")} + args);
        QElapsedTimer clock;
        clock.start();
        // A bound for a loaded machine running instrumented builds; it answers at once otherwise.
        while (!m_process.canReadLine() && clock.elapsed() < 30000 && m_process.state() != QProcess::NotRunning)
            m_process.waitForReadyRead(100);
        firstLine = QString::fromLatin1(m_process.readLine()).trimmed();
        if (firstLine.startsWith(QLatin1String("port ")))
            port = firstLine.mid(5).toUShort();
    }
    ~KrvSimProcess()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    KrvSimProcess(const KrvSimProcess &) = delete;
    KrvSimProcess &operator=(const KrvSimProcess &) = delete;

    // The --tcp argument of quillon-cli.
    QString target() const { return QStringLiteral("127.0.0.1:%1").arg(port); }
    // The --port argument, when it was started with --pty.
    QString pty() const { return firstLine.startsWith(QLatin1String("pty /dev/")) ? firstLine.mid(4) : QString(); }

    qint64 pid() const { return m_process.processId(); }

    QString firstLine;
    quint16 port = 0;

private:
    QProcess m_process;
};
