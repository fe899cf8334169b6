// flash FILE: load the image, read the device, apply the overrides to the
// options panel and run the upload the window's "Upload" button runs.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "cli/flashprogress.h"
#include "cli/phasepace.h"
#include "cli/imagefile.h"
#include "cli/jsonoutput.h"
#include "cli/devicestate.h"
#include "cli/terminal.h"
#include "image/firmwareimage.h"
#include "device/devicedescription.h"
#include "link/link.h"
#include "device/readout.h"
#include "options/optionsmodel.h"
#include "orvabout/versinfo.h"
#include "settings/regularfile.h"
#include "upload/flashverify.h"
#include "upload/prechecks.h"
#include "upload/transfercounters.h"
#include "upload/recordedupload.h"
#include "upload/upload.h"

#include <QFileInfo>
#include <memory>
#include <optional>

namespace {
struct FlashArgs {
    QString file;
    std::optional<QString> fabNr;
    std::optional<QString> baujahr;
    std::optional<int> f4;
    bool onlyFabdata = false;
    bool yes = false;
    bool force = false;
    bool verify = false;
    QString report;  // the record's file; empty: none
};

// The command line has checked the option names and given each its value.
// Empty error text when the arguments are good.
QString parseArgs(const QStringList &args, FlashArgs &a)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &w = args[i];
        if (w == QLatin1String("--fabnr")) {
            a.fabNr = args[++i];
        } else if (w == QLatin1String("--baujahr")) {
            a.baujahr = args[++i];
        } else if (w == QLatin1String("--f4")) {
            bool ok = false;
            a.f4 = args[++i].toInt(&ok);
            if (!ok)
                return QStringLiteral("--f4 braucht die Nummer der F4-Funktion (flash --help zeigt sie)");
        } else if (w == QLatin1String("--only-fabdata")) {
            a.onlyFabdata = true;
        } else if (w == QLatin1String("--yes")) {
            a.yes = true;
        } else if (w == QLatin1String("--force")) {
            a.force = true;
        } else if (w == QLatin1String("--verify")) {
            a.verify = true;
        } else if (w == QLatin1String("--report")) {
            a.report = args[++i];
        } else if (a.file.isEmpty()) {
            a.file = w;
        } else {
            return QStringLiteral("nur eine Datei angeben, nicht auch \"%1\"").arg(w);
        }
    }
    if (a.file.isEmpty())
        return QStringLiteral("die Firmware-Datei angeben");
    // Only the factory data leave the firmware as it was: nothing to compare.
    if (a.verify && a.onlyFabdata)
        return QStringLiteral("--verify prüft die neue Firmware; mit --only-fabdata wird keine gesendet");
    if (!a.report.isEmpty()) {
        const QFileInfo report(a.report);
        if (report.isDir())
            return QStringLiteral("--report braucht einen Dateinamen, %1 ist ein Ordner").arg(a.report);
        if (const QString problem = recordFolderProblem(report.absolutePath()); !problem.isEmpty())
            return QStringLiteral("--report: ") + problem;
        // A record replaces an earlier record, nothing else.
        if (sameFile(a.report, a.file))
            return QStringLiteral("--report: %1 ist die Firmware-Datei; sie würde überschrieben").arg(a.report);
        if (const QString problem = writeTargetProblem(a.report, Replace::RegularFile); !problem.isEmpty())
            return QStringLiteral("--report: %1 %2").arg(a.report, problem);
        // A record replaces only an earlier record, never a file the user keeps.
        if (existsOnDisk(a.report) && !isEarlierRecord(a.report))
            return QStringLiteral("--report: %1 gibt es schon und ist kein Upload-Protokoll; es würde überschrieben").arg(a.report);
    }
    return {};
}

// The edit boxes hold ASCII text of at most their length.
QString checkEditText(const char *option, const QString &text, const EditModel &edit)
{
    if (text.size() > edit.maxLength)
        return QStringLiteral("%1 nimmt höchstens %2 Zeichen").arg(QLatin1String(option)).arg(edit.maxLength);
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return QStringLiteral("%1 nimmt nur druckbare ASCII-Zeichen").arg(QLatin1String(option));
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
        return QStringLiteral("--f4 nimmt eine Nummer von 0 bis %1").arg(OptionsModel::F4Items.size() - 1);
    if (a.onlyFabdata)
        panel.cbOnlyFabdata.setChecked(true);
    return {};
}

// The checks a file that does not fit the device fails: too large for its
// flash, or built for the other device kind.
bool fileDoesNotFit(Phase preCheck) { return preCheck == Phase::FlashTooSmall || preCheck == Phase::WrongDevice; }

struct Result {
    const char *name;   // for scripts
    const char *words;  // for people
    int exitCode;
};

Result resultOf(Upload::Outcome outcome)
{
    switch (outcome) {
    case Upload::Outcome::Ok: return {"ok", "erfolgreich", ExitOk};
    case Upload::Outcome::Cancelled: return {"cancelled", "abgebrochen", ExitCancelled};
    case Upload::Outcome::Refused: return {"refused", "abgelehnt", ExitPrecheckRefused};
    case Upload::Outcome::SwitchClosed: return {"switch-closed", "Eichschalter zu", ExitSwitchClosed};
    // An image that is no KRV firmware is a bad input file; nothing was
    // sent, and --force does not change that.
    case Upload::Outcome::ImageRejected: return {"failed", "fehlgeschlagen", ExitUsage};
    case Upload::Outcome::Failed:
    case Upload::Outcome::None: break;
    }
    return {"failed", "fehlgeschlagen", ExitFailed};
}

const Result kFailed{"failed", "fehlgeschlagen", ExitFailed};
const Result kCancelled{"cancelled", "abgebrochen", ExitCancelled};

struct Report {
    Result result;
    Phase uploadPhase = Phase::Refused;
    QString message;  // the final message box, or why the run did not start
    TransferCounters counters;
    QString error;  // empty when the run succeeded
    QString state;  // what state the device is in after a failed run; empty: as its phase says
};

// What a run adds to its report for scripts and campaigns.
struct RunFacts {
    const DeviceDescription &before;
    std::optional<FlashVerify::Result> verification;
    qint64 durationMs = 0;
    QString note;    // what the message leaves unsaid; empty: nothing
    QString record;  // the record written; empty: none
};

OrderedJson identityJson(const QString &version, int date)
{
    return OrderedJson().add("version", version.trimmed()).add("buildDate", isoDate(date));
}

int report(CliSession &s, const Report &r, const RunFacts &f)
{
    const QString phase = phaseName(r.uploadPhase);
    const std::optional<FlashVerify::Result> &v = f.verification;
    const bool readAfter = v && (v->status == FlashVerify::Status::Verified || v->status == FlashVerify::Status::Mismatch);
    if (s.json) {
        OrderedJson device;
        if (f.before.DeviceInfoRead)
            device.add("before", identityJson(f.before.VersionText, f.before.DeviceFwDate));
        else
            device.add("before", QJsonValue());
        if (readAfter)
            device.add("after", identityJson(v->device.version, v->device.date));
        else
            device.add("after", QJsonValue());
        OrderedJson o = jsonOutput();
        o.add("result", QLatin1String(r.result.name))
            .add("phase", phaseNumber(r.uploadPhase))
            .add("phaseName", phase)
            .add("message", r.message)
            .add("counters", OrderedJson().add("repeats", r.counters.repeats).add("address", r.counters.addressRecords).add("data", r.counters.dataRecords))
            .add("durationMs", f.durationMs)
            .add("note", textOrNull(f.note))
            .add("device", device);
        if (v)
            o.add("verification", OrderedJson().add("status", QLatin1String(FlashVerify::statusName(v->status))).add("text", v->text));
        else
            o.add("verification", QJsonValue());
        o.add("report", textOrNull(f.record));
        s.out << jsonLine(o, r.error, r.result.exitCode, s.reasonOf(r.error)) << Qt::flush;
    } else {
        // "PS: N" gets its meaning beside it.
        const bool namesPhase = r.message.endsWith(QStringLiteral("PS: ") + QString::number(phaseNumber(r.uploadPhase)));
        s.out << r.result.words << ": " << r.message << (namesPhase ? QStringLiteral(" (%1)").arg(phase) : QString()) << "\n"
              << recordCountersText(r.counters)
              << "\n";
        if (v)
            s.out << v->text << "\n";
        if (!f.record.isEmpty())
            s.out << "Protokoll: " << f.record << "\n";
        s.out.flush();
    }
    return r.result.exitCode;
}

const Result kMismatch{"mismatch", "Firmware im KRV stimmt nicht", ExitVerifyMismatch};

// The check after the restart decides the run's result.
void takeVerification(CliSession &s, Report &r, const FlashVerify::Result &v)
{
    if (!s.ui.holdMessages)  // else the text report says it where stderr goes
        s.err << v.text << Qt::endl;
    switch (v.status) {
    case FlashVerify::Status::Verified: return;
    case FlashVerify::Status::Mismatch: r.result = kMismatch; break;
    case FlashVerify::Status::NoAnswer: r.result = kFailed; break;
    case FlashVerify::Status::Cancelled: r.result = kCancelled; break;
    }
    r.error = v.text;
    r.state = QStringLiteral("Das KRV hat sein FLASH als erfolgreich gebrannt gemeldet; die Prüfung danach: ") + v.text;
}

RecordOutcome recordOutcomeOf(const Report &r) { return {QLatin1String(r.result.name), r.uploadPhase, r.message, r.counters}; }

// The end of every run that got to the device: the device's state after a
// failure, what the message leaves unsaid, a record that could not be
// written (a failure of its own), then the report.
int finishRun(CliSession &s, Report &r, const RecordedRunEnd &end, const std::optional<FlashVerify::Result> &verification)
{
    s.ui.holdMessages = false;
    if (const QString held = s.ui.takeHeldMessage(); !held.isEmpty() && s.ui.lastMessage() != r.message)
        s.err << held << Qt::endl;
    if (r.result.exitCode != ExitOk)
        s.err << "Zustand: " << (r.state.isEmpty() ? deviceStateAfter(s.upload) : r.state) << Qt::endl;
    RunFacts facts{s.ctx.device, verification, end.durationMs, end.note, {}};
    if (!facts.note.isEmpty())
        s.err << "Hinweis: " << facts.note << Qt::endl;
    if (!end.problem.isEmpty()) {
        const QString text = QStringLiteral("Upload-Protokoll nicht geschrieben: ") + end.problem;
        s.err << "flash: " << text << Qt::endl;
        r.error = r.error.isEmpty() ? text : r.error + QLatin1Char(' ') + text;
        if (r.result.exitCode == ExitOk)
            r.result = {"failed", "Protokoll fehlt", ExitFailed};
    } else if (!end.path.isEmpty()) {
        facts.record = QFileInfo(end.path).absoluteFilePath();
    }
    return report(s, r, facts);
}

// Reads the device and decides the answer to the pre-check question. A
// report when the run must not start.
std::optional<Report> prepareRun(CliSession &s, const FlashArgs &a)
{
    OptionsModel &panel = s.ui.options();
    if (const QString problem = s.openLink(); !problem.isEmpty())
        return Report{kFailed, Phase::Checking, problem, {}, problem, {}};
    const bool portFailed = portErrorEnded([&] { ReadDeviceInfo(s.ctx); });
    if (portFailed || !s.ctx.device.DeviceInfoRead || s.ctx.link.CancelRequested) {
        // A cancel is the user's, not the device's failure; a lost carrier is neither.
        const bool cancelled = s.ctx.link.CancelRequested && !carrierLost(s);
        const QString why = cancelled ? cancelText(s) : s.ui.lastMessage();
        return Report{cancelled ? kCancelled : kFailed, Phase::Checking, why, {}, s.ctx.link.CancelRequested ? cancelText(s) : why, {}};
    }
    applyOverrides(panel, a);  // took the same values before the readout
    if (a.onlyFabdata && !panel.cbOnlyFabdata.enabled()) {
        // The window would not let the box be ticked: the device's firmware
        // does not take the factory data alone.
        const QString why = QStringLiteral("--only-fabdata: die Firmware des KRV (Build %1) nimmt die Fabrikdaten nicht allein")
                                .arg(s.ctx.device.DeviceFwDate);
        return Report{{"failed", "fehlgeschlagen", ExitUsage}, Phase::Checking, why, {}, why, {}};
    }
    // The only question before anything is sent is the pre-check question,
    // where Yes ends the run; every later one (a client error) is answered
    // No. --yes goes on past the version checks; a file that does not fit
    // the device needs --force.
    const Phase check = runPreChecks(s.ctx.image, s.ctx.device, panel, true).code;
    const bool goOn = check == Phase::Checking || a.force || (a.yes && !fileDoesNotFit(check));
    s.ui.yesNoAnswer = !goOn;
    return std::nullopt;
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
    if (const int loaded = loadImageFile(s, "flash", a.file); loaded != ExitOk)
        return loaded;
    // Refuse bad values before the device is touched; the readout presets the
    // panel again, so they are applied once more after it.
    error = applyOverrides(panel, a);
    if (!error.isEmpty()) {
        s.err << "flash: " << error << Qt::endl;
        return ExitUsage;
    }

    Link &link = s.ctx.link;
    Upload &upload = s.upload;
    const FirmwareIdentity fileIdentity = identityOf(s.ctx.image);
    Report r{kFailed, Phase::Refused, {}, {}, {}, {}};
    std::optional<FlashVerify::Result> verification;
    std::unique_ptr<FlashProgress> bar;
    // Without a bar the status lines tell the share of the phase and its time left.
    TransferProgress latest;
    PhasePace pace;
    // Once the device programs, it cannot be stopped: say so, once.
    bool toldCannotStop = false;
    bool verifying = false;

    // In text the report on stdout carries the final message; where stderr
    // goes to the same place, it does not say it a second time (finishRun).
    s.ui.holdMessages = !s.json && stdoutIsStderr();
    RecordedRun run{QStringLiteral("quillon-cli"), TVersInfo().FileVersion(), s.recordLink, {}, a.report, {}, {}};
    run.before = [&]() -> std::optional<RecordOutcome> {
        // An image the upload refuses is refused before the readout too.
        if (Upload::acceptsImage(s.ctx.image)) {
            if (std::optional<Report> early = prepareRun(s, a)) {
                r = *early;
                return recordOutcomeOf(r);
            }
        }
        // --trace writes its own lines to stderr: no bar between them.
        if (const int columns = stderrTerminalColumns(); columns > 0 && !link.trace) {
            bar = std::make_unique<FlashProgress>(s.err, s.ui, columns);
            upload.progress = [&](const TransferProgress &p) { bar->update(p, upload.UploadPhase); };
        } else {
            s.ui.setStatusInterval(1000);  // one line per record would flood a log
            upload.progress = [&](const TransferProgress &p) {
                if (p.programming != latest.programming)
                    pace.restart();
                pace.step();
                latest = p;
            };
            s.ui.detailsSuffix = [&] {
                const bool running = pace.started() && !latest.finished && latest.letter != BlockTransfer::ProgrammingDone;
                return running ? pace.shareText(latest.phaseDone(), latest.phaseTotal()) : QString();
            };
        }
        s.onInterrupt = [&] {
            if (upload.UploadPhase != Phase::Programming || verifying) {
                link.cancel();
            } else if (!toldCannotStop) {
                toldCannotStop = true;
                const QString text = QStringLiteral("Das KRV programmiert sein FLASH und lässt sich jetzt nicht anhalten. Bitte warten.");
                if (bar)
                    bar->note(text);
                else
                    s.err << text << Qt::endl;
            }
        };
        return std::nullopt;
    };
    run.after = [&](UploadRecorder &recorder) {
        bar.reset();
        s.ui.flushStatus();
        s.ui.yesNoAnswer = false;

        r = {carrierLost(s) ? kFailed : resultOf(upload.outcome), upload.UploadPhase, upload.resultMessage, upload.recordCounters, {}, {}};
        if (upload.outcome == Upload::Outcome::Refused) {
            // A refused run shows no message box: the failed check says why.
            r.message = upload.CheckMessage;
            const bool unfit = fileDoesNotFit(runPreChecks(s.ctx.image, s.ctx.device, panel, true).code);
            r.error = upload.CheckMessage + (unfit ? QStringLiteral(" Die Datei passt nicht zu diesem KRV; senden nur mit --force.")
                                                   : QStringLiteral(" Weiter trotzdem mit --yes."));
            s.err << "flash: " << r.error << Qt::endl;
        } else if (upload.outcome != Upload::Outcome::Ok) {
            // A run a port error ended has shown that error instead of the final message.
            if (r.message.isEmpty())
                r.message = s.ui.lastMessage();
            r.error = carrierLost(s) ? cancelText(s) : r.message;
        }
        if (a.verify && upload.outcome == Upload::Outcome::Ok) {
            verifying = true;
            s.ui.offerPasswordAgain();
            FlashVerify verify(s.ctx);
            verification = verify.run(fileIdentity);
            recorder.setVerification(*verification);
            takeVerification(s, r, *verification);
        }
        return recordOutcomeOf(r);
    };
    const RecordedRunEnd end = runRecordedUpload(upload, s.ctx, run);
    return finishRun(s, r, end, verification);
}

const QList<CliOption> kOptions = {
    {"--fabnr", "TEXT", "Fabriknummer (höchstens 12 ASCII-Zeichen)"},
    {"--baujahr", "TEXT", "Baujahr (höchstens 4 Zeichen)"},
    {"--f4", "NUMMER", "Funktion der F4-Taste:", &OptionsModel::F4Items},
    {"--only-fabdata", nullptr, "nur die Fabrikdaten senden"},
    {"--yes", nullptr, "trotz Versionsprüfung weiter (gleiche oder ältere Firmware)"},
    {"--force", nullptr, "auch eine Datei senden, die nicht zum KRV passt (FLASH zu klein, andere Geräteart); schließt --yes ein"},
    {"--verify", nullptr, "nach dem Upload auf den Neustart des KRV warten (bis 60 s) und prüfen, ob es die Firmware der Datei meldet "
                          "(Build-Datum und Kennung); sonst Exit-Code 5"},
    {"--report", "DATEI.json", "ein Protokoll des Uploads als JSON in diese Datei schreiben (ohne Lese-Passwort)"},
};

const CliCommand registration("flash", "DATEI", "Firmware-Datei (HEX oder BIN) laden und ins KRV übertragen", kOptions, true, &runFlash);
}
