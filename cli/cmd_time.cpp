// time / set-time: read the device clock or set it to the PC's time.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "cli/orderedjson.h"
#include "link/deviceclock.h"
#include "link/link.h"
#include "link/wakeup.h"

#include <QDateTime>

namespace {
enum class ClockCommand { Read, Set };

// Empty when the device took the command; else why not.
QString runOnDevice(CliSession &s, ClockCommand what)
{
    if (QString problem = s.openLink(); !problem.isEmpty())
        return problem;
    bool awake = false;
    bool accepted = false;
    const bool portFailed = portErrorEnded([&] {
        // A fresh process knows neither UseCrc nor the password: wake the device first.
        awake = WakeDevice(s.ctx) > 0;
        s.ui.setStatus(0, QString());
        s.ui.setStatus(1, QString());
        if (awake)
            accepted = what == ClockCommand::Set ? setDeviceClock(s.ctx, QDateTime::currentDateTime()) : readDeviceClock(s.ctx);
    });
    if (accepted)
        return {};
    if (s.ctx.link.CancelRequested)
        return cancelText(s);
    if (portFailed)  // the port's error handler has shown it
        return s.ui.lastMessage();
    // The clock shows why it failed ("Timeout!", ...).
    const QString why = awake ? s.ui.caption(Control::lbTime) : QStringLiteral("KRV reagiert falsch oder nicht!");
    s.err << why << Qt::endl;
    return why;
}

int runClock(CliSession &s, const QStringList &args, ClockCommand what)
{
    if (!args.isEmpty()) {
        s.err << "unerwartetes Argument " << args.first() << Qt::endl;
        return ExitUsage;
    }
    const QString error = runOnDevice(s, what);
    const QString lbTime = s.ui.caption(Control::lbTime);
    if (s.json) {
        // A clock that was not read has no time; the label's placeholder is no value.
        OrderedJson o;
        o.add("lbTime", error.isEmpty() ? QJsonValue(lbTime) : QJsonValue(QJsonValue::Null));
        if (!error.isEmpty())
            o.add("error", error);
        s.out << o.text() << Qt::endl;
    } else if (error.isEmpty()) {
        s.out << lbTime << Qt::endl;
    }
    if (error.isEmpty())
        return ExitOk;
    return s.ctx.link.CancelRequested ? cancelExit(s) : ExitFailed;
}

int runTime(CliSession &s, const QStringList &args) { return runClock(s, args, ClockCommand::Read); }
int runSetTime(CliSession &s, const QStringList &args) { return runClock(s, args, ClockCommand::Set); }

const CliCommand timeRegistration("time", "", "Uhr des KRV lesen", {}, true, &runTime);
const CliCommand setTimeRegistration("set-time", "", "Uhr des KRV auf die Ortszeit des PCs stellen", {}, true, &runSetTime);
}
