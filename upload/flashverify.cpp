#include "upload/flashverify.h"

#include "device/devicecommand.h"
#include "frontend/context.h"
#include "frontend/frontend.h"
#include "link/link.h"
#include "device/wakeup.h"

#include <QElapsedTimer>

namespace {
struct Answer {
    QByteArray frame;
    FrameResult result;
};

Answer ask(Link &link, const DeviceCommand &command)
{
    Answer a;
    a.result = askDevice(link, command, a.frame);
    return a;
}
}

const char *FlashVerify::statusName(Status status)
{
    switch (status) {
    case Status::Verified: return "verified";
    case Status::Mismatch: return "mismatch";
    case Status::NoAnswer: return "no-answer";
    case Status::Cancelled: return "cancelled";
    }
    return "";
}

FlashVerify::Result FlashVerify::run(const FirmwareIdentity &image)
{
    Link &link = m_ctx.link;
    Frontend &ui = m_ctx.ui;
    QElapsedTimer clock;
    clock.start();
    const int waitMs = link.limits.verifyRestartMs;
    const QDeadlineTimer until(waitMs);
    link.beginConversation();
    ui.setStatus(0, QStringLiteral("Warte auf den Neustart des KRV"));

    Result r;
    bool passwordRefused = false;
    // A device still starting may wake but not yet answer a read: try again.
    while (!until.hasExpired() && !link.CancelRequested) {
        link.setFailed(false);
        if (!WakeDevice(m_ctx, until)) {
            passwordRefused = !link.LinkFailed && !link.CancelRequested;
            if (passwordRefused)  // no point in trying on
                break;
            continue;
        }
        ui.setStatus(0, QStringLiteral("Prüfe die Firmware im KRV"));
        const Answer versionAnswer = ask(link, DeviceCommands::Version);
        const std::optional<QString> version = versionFromAnswer(versionAnswer.frame, versionAnswer.result);
        if (!version)
            continue;
        const Answer buildAnswer = ask(link, DeviceCommands::FwBuild);
        const std::optional<int> date = buildDateFromAnswer(buildAnswer.frame, buildAnswer.result);
        if (!date)
            continue;
        r.device = {*version, *date};
        r.differences = identityDifferences(image, r.device);
        r.status = r.differences.isEmpty() ? Status::Verified : Status::Mismatch;
        break;
    }
    if (r.status == Status::NoAnswer && link.CancelRequested)
        r.status = Status::Cancelled;
    r.elapsedMs = clock.elapsed();
    ui.setStatus(0, QString());
    ui.setStatus(1, QString());

    switch (r.status) {
    case Status::Verified:
        r.text = QStringLiteral("Verifiziert: Das KRV meldet \"%1\", Build %2; das ist die Firmware der Datei.")
                     .arg(r.device.version.trimmed(), dateText(r.device.date));
        break;
    case Status::Mismatch:
        r.text = QStringLiteral("Prüfung fehlgeschlagen: Das KRV meldet nach dem Neustart eine andere Firmware: ")
            + r.differences.join(QStringLiteral("; ")) + QLatin1Char('.');
        break;
    case Status::NoAnswer:
        r.text = passwordRefused
            ? QStringLiteral("Prüfung fehlgeschlagen: Das KRV verlangt nach dem Neustart ein Lese-Passwort, das nicht angenommen wurde.")
            : QStringLiteral("Prüfung fehlgeschlagen: Das KRV hat sich nach dem Neustart nicht innerhalb von %1 s gemeldet.")
                  .arg((waitMs + 999) / 1000);
        break;
    case Status::Cancelled:
        r.text = QStringLiteral("Prüfung abgebrochen: Die Firmware im KRV wurde nicht geprüft.");
        break;
    }
    return r;
}
