// time / set-time: read the device clock or set it to the PC's time.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "cli/jsonoutput.h"
#include "device/deviceclock.h"
#include "link/link.h"
#include "device/wakeup.h"

#include <QDateTime>

namespace {
enum class ClockCommand { Read, Set };

struct ClockRun {
    QString error;   // empty when the device took the command
    QDateTime sent;  // set-time: the PC's time as sent; invalid when nothing was sent
};

ClockRun runOnDevice(CliSession &s, ClockCommand what)
{
    if (QString problem = s.openLink(); !problem.isEmpty())
        return {problem, {}};
    bool awake = false;
    bool accepted = false;
    QDateTime sent;
    const bool portFailed = portErrorEnded([&] {
        // A fresh process knows neither UseCrc nor the password: wake the device first.
        awake = WakeDevice(s.ctx);
        s.ui.setStatus(0, QString());
        s.ui.setStatus(1, QString());
        if (!awake)
            return;
        if (what == ClockCommand::Set) {
            sent = QDateTime::currentDateTime();
            accepted = setDeviceClock(s.ctx, sent);
        } else {
            accepted = readDeviceClock(s.ctx);
        }
    });
    if (accepted)
        return {{}, sent};
    if (s.ctx.link.CancelRequested)
        return {cancelText(s), sent};
    if (portFailed)  // the port's error handler has shown it
        return {s.ui.lastMessage(), sent};
    // The clock shows why it failed ("Timeout!", ...).
    const QString why = awake ? s.ui.caption(Control::lbTime) : QStringLiteral("KRV reagiert falsch oder nicht!");
    s.err << why << Qt::endl;
    return {why, sent};
}

int runClock(CliSession &s, const QStringList &args, ClockCommand what)
{
    if (!args.isEmpty()) {
        s.err << "unerwartetes Argument " << args.first() << Qt::endl;
        return ExitUsage;
    }
    const ClockRun run = runOnDevice(s, what);
    const int code = run.error.isEmpty() ? ExitOk : s.ctx.link.CancelRequested ? cancelExit(s) : ExitFailed;
    // A clock that was not read has no time; the label's placeholder is no value.
    const QString shown = run.error.isEmpty() ? s.ui.caption(Control::lbTime) : QString();
    if (s.json) {
        // The device keeps the local time of the PC that set it.
        const QDateTime deviceTime = QDateTime::fromString(shown, QStringLiteral("dd.MM.yyyy HH:mm:ss"));
        OrderedJson o = jsonOutput();
        if (what == ClockCommand::Set)
            o.add("sent", isoTime(run.sent));
        o.add("time", isoTime(deviceTime)).add("text", textOrNull(shown));
        s.out << jsonLine(o, run.error, code, s.reasonOf(run.error)) << Qt::flush;
    } else if (run.error.isEmpty()) {
        s.out << shown << Qt::endl;
    }
    return code;
}

int runTime(CliSession &s, const QStringList &args) { return runClock(s, args, ClockCommand::Read); }
int runSetTime(CliSession &s, const QStringList &args) { return runClock(s, args, ClockCommand::Set); }

const CliCommand timeRegistration("time", "", "Uhr des KRV lesen", {}, true, &runTime);
const CliCommand setTimeRegistration("set-time", "", "Uhr des KRV auf die Ortszeit des PCs stellen", {}, true, &runSetTime);
}
