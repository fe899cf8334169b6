// time / set-time: read the device clock or set it to the PC's time.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "link/deviceclock.h"
#include "link/link.h"
#include "link/wakeup.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
enum class ClockCommand { Read, Set };

int runClock(CliSession &s, const QStringList &args, ClockCommand what)
{
    if (!args.isEmpty()) {
        s.err << "unexpected argument " << args.first() << Qt::endl;
        return ExitUsage;
    }
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

    const QString lbTime = s.ui.caption(QStringLiteral("lbTime"));
    if (s.json)
        s.out << QJsonDocument(QJsonObject{{"lbTime", lbTime}}).toJson(QJsonDocument::Compact) << Qt::endl;
    else if (accepted)
        s.out << lbTime << Qt::endl;
    if (accepted)
        return ExitOk;
    if (s.ctx.link.CancelRequested)
        return ExitCancelled;
    if (!portFailed)
        s.err << (awake ? lbTime : QStringLiteral("KRV reagiert falsch oder nicht!")) << Qt::endl;
    return ExitFailed;
}

int runTime(CliSession &s, const QStringList &args) { return runClock(s, args, ClockCommand::Read); }
int runSetTime(CliSession &s, const QStringList &args) { return runClock(s, args, ClockCommand::Set); }

const CliCommand timeRegistration("time", "time                                  read the device clock", true, &runTime);
const CliCommand setTimeRegistration("set-time", "set-time                              set the device clock to the PC's time", true, &runSetTime);
}
