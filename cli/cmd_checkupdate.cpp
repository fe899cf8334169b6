// check-update [--url BASE] [--download DIR]: the web-update window's check,
// with its log texts on stderr; optionally downloads a newer installer.
#include "cli/clisession.h"
#include "cli/jsonoutput.h"
#include "orvabout/httpdownload.h"
#include "orvabout/installerfile.h"
#include "orvabout/updatecheck.h"
#include "orvabout/updatetexts.h"
#include "orvabout/versinfo.h"

#include <QDate>
#include <QDir>

namespace {
constexpr int German = 0;

struct CheckOptions {
    QUrl base = updateBaseUrl();
    QString downloadDir;
};

// Empty when the options are good.
QString parseCheckOptions(const QStringList &args, CheckOptions &o)
{
    // The command line has checked the names; each option comes with its value.
    for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--url"))
            o.base = QUrl(args[i + 1]);
        else if (args[i] == QLatin1String("--download"))
            o.downloadDir = args[i + 1];
        else
            return QStringLiteral("unerwartetes Argument ") + args[i];
    }
    if (args.size() % 2 != 0)
        return QStringLiteral("unerwartetes Argument ") + args.last();
    const QString scheme = o.base.scheme().toLower();
    if (!o.base.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return QStringLiteral("--url braucht eine http- oder https-Adresse");
    if (!o.downloadDir.isEmpty() && UpdatesByPackageManager)
        return QStringLiteral("--download: ") + updateText(UpdateText::PackageManagerUpdates, German);
    if (!o.downloadDir.isEmpty() && !QDir(o.downloadDir).exists())
        return QStringLiteral("--download: Ordner gibt es nicht: ") + o.downloadDir;
    return {};
}

// A transfer with the window's start text, its last progress line and why
// it failed. Ctrl-C aborts it.
bool transfer(CliSession &s, const bool &interrupted, HttpDownload &download,
              const std::function<bool(const HttpDownload::Progress &)> &run)
{
    if (interrupted)
        return false;
    s.err << updateText(UpdateText::DownloadStarting, German) << Qt::endl;
    QString lastProgress;
    const bool ok = run([&lastProgress](qint64 received, qint64 total) {
        if (total > 0)
            lastProgress = progressLine(received, total, German);
        return true;
    });
    if (!lastProgress.isEmpty())
        s.err << "\n" << lastProgress << Qt::endl;
    if (!ok && !interrupted)
        s.err << download.errorString() << Qt::endl;
    return ok;
}

// The installer into dir under its safe name, checked against the version
// file's checksum; the saved path, or empty (a file of that name in dir
// stays as it was) with why in failure.
QString downloadInstaller(CliSession &s, const bool &interrupted, HttpDownload &download, const VersionFileEntry &entry,
                          const QString &dir, QString &failure)
{
    const QString name = safeInstallerName(entry.fileName);
    if (name.isEmpty()) {
        failure = updateText(UpdateText::BadFileName, German);
        s.err << failure << Qt::endl;
        return {};
    }
    const QString path = QDir(dir).filePath(name);
    const bool ok = transfer(s, interrupted, download, [&](const HttpDownload::Progress &progress) {
        return download.run(QUrl(entry.downloadUrl), path, HttpDownload::InstallerLimits, progress, entry.sha256);
    });
    if (!ok) {
        failure = updateText(UpdateText::DownloadFailed, German);
        if (!interrupted)
            s.err << failure << Qt::endl;
        return {};
    }
    s.err << path << Qt::endl << updateText(UpdateText::Saved, German) << Qt::endl;
    return path;
}

const char *outcomeName(UpdateOutcome outcome)
{
    switch (outcome) {
    case UpdateOutcome::Unreachable: return "unreachable";
    case UpdateOutcome::Unknown: return "unknown";
    case UpdateOutcome::Newer: return "newer";
    case UpdateOutcome::Current: return "current";
    case UpdateOutcome::Older: return "older";
    }
    return "unknown";
}

// The server's "TT.MM.JJJJ" as an ISO date; null when it is none.
QJsonValue releaseDate(const QString &text)
{
    const QDate date = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
    return date.isValid() ? QJsonValue(date.toString(Qt::ISODate)) : QJsonValue();
}

int runCheckUpdate(CliSession &s, const QStringList &args)
{
    CheckOptions options;
    const QString problem = parseCheckOptions(args, options);
    if (!problem.isEmpty()) {
        s.err << "check-update: " << problem << Qt::endl;
        return ExitUsage;
    }

    const TVersInfo info;
    HttpDownload download;
    bool interrupted = false;
    // The check's last line says how it ended.
    UpdateText verdict = UpdateText::VersionFileMissing;
    // Ctrl-C ends the transfer that runs, and keeps the next from starting.
    s.onInterrupt = [&] {
        interrupted = true;
        download.abort();
    };
    const UpdateCheckResult result = UpdateCheck::run(
        info.FileVersion(), info.InternalName(), options.base,
        // After Ctrl-C the failed fetch is no news: the cancel line says it.
        [&](UpdateText line) {
            verdict = line;
            if (!interrupted)
                s.err << updateText(line, German) << Qt::endl;
        },
        [&](const QUrl &url) {
            std::optional<QByteArray> text;
            transfer(s, interrupted, download, [&](const HttpDownload::Progress &progress) {
                text = download.fetch(url, HttpDownload::VersionFileLimits, progress);
                return text.has_value();
            });
            return text;
        });

    int code = ExitOk;
    QString saved;
    QString error;
    switch (result.outcome) {
    case UpdateOutcome::Unreachable:
    case UpdateOutcome::Unknown:
        code = ExitFailed;
        error = updateText(verdict, German);
        break;
    case UpdateOutcome::Newer:
        if (options.downloadDir.isEmpty()) {
            code = ExitNewerAvailable;
        } else {
            saved = downloadInstaller(s, interrupted, download, result.entry, options.downloadDir, error);
            code = saved.isEmpty() ? ExitFailed : ExitOk;
        }
        break;
    case UpdateOutcome::Current:
    case UpdateOutcome::Older:
        break;
    }
    if (interrupted) {
        error = cancelText(s);
        s.err << error << Qt::endl;
        code = ExitCancelled;
    }

    if (s.json) {
        // What the server's version file says; null when it was not read or
        // does not name it (the window shows a placeholder then).
        const bool reached = result.outcome != UpdateOutcome::Unreachable;
        const VersionFileEntry placeholders = readVersionFile({}, info.InternalName());
        const auto fromServer = [reached](const QString &value, const QString &placeholder) {
            return reached && value != placeholder ? QJsonValue(value) : QJsonValue();
        };
        OrderedJson json = jsonOutput();
        json.add("installed", info.FileVersion())
            .add("latest", fromServer(result.entry.version, placeholders.version))
            .add("releaseDate", reached ? releaseDate(result.entry.date) : QJsonValue())
            .add("downloadUrl", fromServer(result.entry.downloadUrl, placeholders.downloadUrl))
            .add("fileName", fromServer(result.entry.fileName, placeholders.fileName))
            .add("result", QString::fromLatin1(interrupted ? "cancelled" : outcomeName(result.outcome)))
            .add("saved", textOrNull(saved));
        s.out << jsonLine(json, error, code) << Qt::flush;
    }
    return code;
}

const QList<CliOption> kOptions = {
    {"--url", "ADRESSE", "Basisadresse des Updateservers (sonst die eingebaute oder ORV_UPDATE_URL)"},
    {"--download", "ORDNER", "ein neueres Setup in diesen Ordner laden und prüfen"},
};

const CliCommand registration("check-update", "",
                              "auf eine neuere Programmversion prüfen (Exit 10: es gibt eine, Exit 1: keine Auskunft)",
                              kOptions, false, &runCheckUpdate);
}  // namespace
