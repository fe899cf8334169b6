// flash FILE: load the image, read the device, apply the overrides to the
// options panel and run the upload the window's "Upload" button runs.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "cli/flashprogress.h"
#include "cli/orderedjson.h"
#include "image/fileload.h"
#include "image/firmwareimage.h"
#include "link/devicedescription.h"
#include "link/link.h"
#include "link/readout.h"
#include "options/optionsmodel.h"
#include "upload/prechecks.h"
#include "upload/upload.h"

#include <memory>
#include <optional>
#include <unistd.h>

namespace {
struct FlashArgs {
    QString file;
    std::optional<QString> fabNr;
    std::optional<QString> baujahr;
    std::optional<int> f4;
    bool onlyFabdata = false;
    bool yes = false;
};

// Empty error text when the arguments are good.
QString parseArgs(const QStringList &args, FlashArgs &a)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &w = args[i];
        const bool hasValue = i + 1 < args.size();
        if (w == QLatin1String("--fabnr") && hasValue) {
            a.fabNr = args[++i];
        } else if (w == QLatin1String("--baujahr") && hasValue) {
            a.baujahr = args[++i];
        } else if (w == QLatin1String("--f4") && hasValue) {
            bool ok = false;
            a.f4 = args[++i].toInt(&ok);
            if (!ok)
                return QStringLiteral("--f4 takes the item index of the F4 function");
        } else if (w == QLatin1String("--only-fabdata")) {
            a.onlyFabdata = true;
        } else if (w == QLatin1String("--yes")) {
            a.yes = true;
        } else if (w.startsWith(QLatin1String("--"))) {
            return QStringLiteral("unknown or incomplete option ") + w;
        } else if (a.file.isEmpty()) {
            a.file = w;
        } else {
            return QStringLiteral("unexpected argument ") + w;
        }
    }
    return a.file.isEmpty() ? QStringLiteral("give the firmware file") : QString();
}

// The edit boxes hold ASCII text of at most their length.
QString checkEditText(const char *option, const QString &text, const EditModel &edit)
{
    if (text.size() > edit.maxLength)
        return QStringLiteral("%1 takes at most %2 characters").arg(QLatin1String(option)).arg(edit.maxLength);
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return QStringLiteral("%1 takes printable ASCII characters only").arg(QLatin1String(option));
    return {};
}

// Sets the overrides on the options panel as a user would, so its rules run.
// Empty error text when the panel took them all.
QString applyOverrides(OptionsModel &panel, const FlashArgs &a)
{
    if (a.fabNr) {
        if (const QString error = checkEditText("--fabnr", *a.fabNr, panel.edFabNr); !error.isEmpty())
            return error;
        panel.setFabNr(*a.fabNr);
    }
    if (a.baujahr) {
        if (const QString error = checkEditText("--baujahr", *a.baujahr, panel.edBaujahr); !error.isEmpty())
            return error;
        panel.setBaujahr(*a.baujahr);
    }
    if (a.f4 && !panel.setF4Index(*a.f4))
        return QStringLiteral("--f4 takes an index from 0 to %1").arg(OptionsModel::F4Items.size() - 1);
    if (a.onlyFabdata)
        panel.cbOnlyFabdata.setChecked(true);
    return {};
}

struct Result {
    const char *name;
    int exitCode;
};

Result resultOf(Upload::Outcome outcome)
{
    switch (outcome) {
    case Upload::Outcome::Ok: return {"ok", ExitOk};
    case Upload::Outcome::Cancelled: return {"cancelled", ExitCancelled};
    case Upload::Outcome::Refused: return {"refused", ExitPrecheckRefused};
    case Upload::Outcome::SwitchClosed: return {"switch-closed", ExitSwitchClosed};
    // An image without information block or identification is a bad input
    // file; nothing was sent.
    case Upload::Outcome::ImageRejected: return {"failed", ExitUsage};
    case Upload::Outcome::Failed:
    case Upload::Outcome::None: break;
    }
    return {"failed", ExitFailed};
}

int report(CliSession &s, Result result, int uploadPhase, const QString &message, const TransferCounters &c)
{
    if (s.json) {
        s.out << OrderedJson()
                     .add("result", QLatin1String(result.name))
                     .add("UploadPhase", uploadPhase)
                     .add("message", message)
                     .add("counters", OrderedJson().add("repeats", c.repeats).add("address", c.addressRecords).add("data", c.dataRecords))
                     .text()
              << Qt::endl;
    } else {
        s.out << result.name << ": " << message << "\n"
              << QStringLiteral("Wdh: %1 Adr: %2 Dat: %3").arg(c.repeats).arg(c.addressRecords).arg(c.dataRecords) << Qt::endl;
    }
    return result.exitCode;
}

int runFlash(CliSession &s, const QStringList &args)
{
    FlashArgs a;
    OptionsModel &panel = s.ui.options();
    QString error = parseArgs(args, a);
    if (!error.isEmpty()) {
        s.err << "flash: " << error << Qt::endl;
        return ExitUsage;
    }
    FirmwareImage &image = s.ctx.image;
    switch (loadFirmwareFile(s.ui, image, a.file)) {
    case LoadResult::Loaded:
        break;
    case LoadResult::ConversionFailed:
        s.err << "flash: " << s.ui.caption(QStringLiteral("lbConv")) << ' ' << s.ui.status(1) << Qt::endl;
        return ExitUsage;
    case LoadResult::TooLarge:
    case LoadResult::ReadFailed:  // the front end has shown why
        return ExitUsage;
    }
    // Refuse bad values before the device is touched; the readout presets the
    // panel again, so they are applied once more after it.
    error = applyOverrides(panel, a);
    if (!error.isEmpty()) {
        s.err << "flash: " << error << Qt::endl;
        return ExitUsage;
    }

    Link &link = s.ctx.link;
    Upload upload(s.ctx);
    // An image the upload refuses is refused before the readout too.
    if (Upload::acceptsImage(image)) {
        const bool portFailed = portErrorEnded([&] { ReadDeviceInfo(s.ctx); });
        if (portFailed || !s.ctx.device.DeviceInfoRead || link.CancelRequested) {
            const bool cancelled = link.CancelRequested;
            const QString shown = s.ui.messages.isEmpty() ? QString() : s.ui.messages.constLast();
            return report(s, {cancelled ? "cancelled" : "failed", cancelled ? ExitCancelled : ExitFailed}, 1, shown, {});
        }
        applyOverrides(panel, a);  // took the same values above
        if (a.onlyFabdata && !panel.cbOnlyFabdata.enabled()) {
            // The window would not let the box be ticked: the device's
            // firmware does not take the factory data alone.
            return report(s, {"failed", ExitUsage}, 1,
                          QStringLiteral("--only-fabdata: the device's firmware (build %1) cannot take the factory data alone")
                              .arg(s.ctx.device.DeviceFwDate),
                          {});
        }
        // The only question before anything is sent is the pre-check
        // question, where Yes ends the run; every later one (a client error)
        // is answered No. So Yes is given only when a check fails without --yes.
        s.ui.yesNoAnswer = runPreChecks(image, s.ctx.device, panel, true).code != 1 && !a.yes;
    }

    // --trace writes its own lines to stderr: no bar between them.
    std::unique_ptr<FlashProgress> bar;
    if (::isatty(STDERR_FILENO) && !link.trace) {
        bar = std::make_unique<FlashProgress>(s.err, s.ui);
        upload.progress = [&](const TransferProgress &p) { bar->update(p, upload.UploadPhase); };
    }
    upload.btUpdateClick();
    bar.reset();
    s.ui.yesNoAnswer = false;

    // A refused run shows no message box: the failed check says why. A run a
    // port error ended has shown that error instead of the final message.
    QString message = upload.outcome == Upload::Outcome::Refused ? upload.CheckMessage : upload.resultMessage;
    if (message.isEmpty() && !s.ui.messages.isEmpty())
        message = s.ui.messages.constLast();
    return report(s, resultOf(upload.outcome), upload.UploadPhase, message, upload.recordCounters);
}

const CliCommand registration("flash",
                              "flash FILE [--fabnr TEXT] [--baujahr TEXT] [--f4 INDEX] [--only-fabdata] [--yes]\n"
                              "                                      load a firmware file (HEX or BIN) and upload it into the device",
                              true, &runFlash);
}
