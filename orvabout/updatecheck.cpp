#include "orvabout/updatecheck.h"


QUrl updateBaseUrl()
{
    const QString override = qEnvironmentVariable("ORV_UPDATE_URL");
    return QUrl(override.isEmpty() ? QStringLiteral(ORV_UPDATE_BASE) : override);
}

UpdateCheckResult UpdateCheck::run(const QString &installedVersion, const QString &internalName, const QUrl &base,
                                   const Log &log, const Fetch &fetch)
{
    UpdateCheckResult result;
    log(UpdateText::ReadingInstalled);
    result.installed = versInfoToInt(installedVersion);
    log(UpdateText::Connecting);
    log(UpdateText::Patience);

    QUrl url = base;
    url.setPath(base.path().chopped(base.path().endsWith(QLatin1Char('/')) ? 1 : 0) + QStringLiteral("/sw/cur_ver.txt"));
    const std::optional<QByteArray> text = fetch(url);
    if (!text) {
        log(UpdateText::VersionFileMissing);
        return result;
    }

    log(UpdateText::ReadingLatest);
    result.entry = readVersionFile(*text, internalName);
    result.latest = versInfoToInt(result.entry.version);
    if (result.latest < 0) {
        result.outcome = UpdateOutcome::Unknown;
        log(UpdateText::NoVersionInfo);
    } else if (result.installed < result.latest) {
        result.outcome = UpdateOutcome::Newer;
        log(UpdateText::NewerAvailable);
    } else if (result.installed == result.latest) {
        result.outcome = UpdateOutcome::Current;
        log(UpdateText::UpToDate);
    } else {
        result.outcome = UpdateOutcome::Older;
        log(UpdateText::InstalledNewer);
    }
    return result;
}
