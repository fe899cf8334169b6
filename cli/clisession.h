#pragma once
#include "comport/eabort.h"
#include "frontend/context.h"
#include "link/link.h"
#include "upload/recordlink.h"

#include <QList>
#include <QStringList>
#include <QTextStream>
#include <functional>

class CliFrontend;
class Upload;

// Exit codes scripts rely on.
enum ExitCode : int {
    ExitOk = 0,
    ExitFailed = 1,          // the device did not answer or the operation failed
    ExitUsage = 2,           // usage error or bad input file
    ExitPrecheckRefused = 3, // a pre-check failed and --yes (or --force) was not given
    ExitSwitchClosed = 4,    // calibration switch closed
    ExitVerifyMismatch = 5,  // flash --verify: the device runs another firmware than the file's
    ExitNewerAvailable = 10, // check-update: a newer version exists
    ExitCancelled = 130,     // Ctrl-C, SIGTERM, SIGHUP, a closed console window
};

// What a command works with: the program's state, the terminal front end and
// the output streams. out carries the result (text or one JSON object), err
// the progress and the messages.
struct CliSession {
    Context ctx;
    Upload &upload;  // the station's
    CliFrontend &ui;
    bool json;
    QTextStream &out;
    QTextStream &err;
    // Makes sure the link can carry a command; empty when it can, else why
    // not. Commands call it once their arguments have been checked.
    std::function<QString()> openLink;
    // Ctrl-C and the like (cli/interrupts.h); by default it asks the running
    // operation to stop.
    std::function<void()> onInterrupt;
    // Why the first of those came, in German; empty: none came.
    QString interruptReason = {};
    // The link as the command line chose it, for records.
    RecordLink recordLink = {};
    // Why the serial port could not be opened: the problem openLink gives,
    // and its stable key for scripts ("busy", "not-a-serial-port").
    QString portProblem = {};
    QString portReason = {};

    // The key that goes with a command's error text; empty when it has none.
    QString reasonOf(const QString &error) const { return !error.isEmpty() && error == portProblem ? portReason : QString(); }
};

// Ctrl-C asks the operation to stop (the link's CancelRequested); so does a
// modem call whose carrier went away, which is a failure, not the user's choice.
inline bool carrierLost(const CliSession &s) { return s.ctx.link.CarrierLost; }
QString cancelText(const CliSession &s);
inline int cancelExit(const CliSession &s) { return carrierLost(s) ? ExitFailed : ExitCancelled; }

// Runs a device operation; true when a serial port error ended it. The
// port's error handler has shown that error, so the command only reports
// the failure (as JSON too) without a second message.
template <typename Operation>
bool portErrorEnded(Operation &&operation)
{
    try {
        operation();
        return false;
    } catch (const EAbort &) {
        return true;
    }
}

// An option of a command or of the program. value names the option's value
// ("TEXT"); nullptr for a switch. choices are listed by index in the help.
struct CliOption {
    const char *name;
    const char *value;
    const char *help;
    const QStringList *choices = nullptr;
};

// A command of quillon-cli. Each command file registers itself with a static
// CliCommand, so main() needs no list of them.
struct CliCommand {
    using Run = int (*)(CliSession &session, const QStringList &args);
    CliCommand(const char *name, const char *arguments, const char *summary, QList<CliOption> options, bool needsLink, Run run);

    const char *name;
    const char *arguments;  // the positional arguments as the usage shows them
    const char *summary;    // one line, German
    QList<CliOption> options;
    bool needsLink;  // false: works on files only (no --tcp/--port needed)
    Run run;

    const CliOption *option(const QString &name) const;

    static const QList<const CliCommand *> &all();
    static const CliCommand *find(const QString &name);
};
