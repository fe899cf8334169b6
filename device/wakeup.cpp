#include "device/wakeup.h"

#include "device/devicecommand.h"
#include "frontend/context.h"
#include "frontend/frontend.h"
#include "link/link.h"

namespace {
constexpr int kTries = 4;
}

bool WakeDevice(Context &ctx, std::optional<QDeadlineTimer> until)
{
    Link &link = ctx.link;
    Frontend &ui = ctx.ui;
    link.ReadPassword.clear();
    ui.setStatus(0, QStringLiteral("Wecke KRV auf!"));
    link.PurgeInput();

    QByteArray answer;
    const auto triesLeft = [&](int attempt) { return until ? !until->hasExpired() : attempt <= kTries; };
    for (int attempt = 1; triesLeft(attempt); ++attempt) {
        ui.setStatus(1, QStringLiteral("Versuch ") + QString::number(attempt));
        // Always with CRC: a device without CRC answers anyway, just without
        // the CRC text, and that is how we tell the two apart.
        link.SendCommand(DeviceCommands::Wake.text, true);
        const int tryMs = link.limits.wakeTimeoutMs;
        const int timeoutMs = until ? int(qMin<qint64>(tryMs, until->remainingTime())) : tryMs;
        const FrameResult result = link.ReceiveFrame(answer, true, timeoutMs);
        if (result.hasLength(DeviceCommands::Wake.answerLength)) {
            if (answer.at(1) == 'Q') {
                link.UseCrc = result.ok();
                link.PumpWait(link.limits.wakeSettleMs);
                return true;
            }
            if (answer.at(1) == '=') {
                ui.setStatus(1, QStringLiteral("KRV braucht Lese-Passwort!?!?"));
                ui.askReadPassword(link.ReadPassword);
                if (link.ReadPassword.isEmpty())
                    return false;
                attempt = 0;  // a new password earns four fresh tries
            }
        }
        if (link.CancelRequested)
            return false;
    }
    link.setFailed(true);
    return false;
}
