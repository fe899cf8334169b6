#include "orvabout/updatecheck.h"

#include <QTemporaryDir>

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

    // A folder only this user can enter: nobody can plant a link at the
    // file's name, and the folder goes with its content when the check ends.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("cur_ver.tmp"));
    QUrl url = base;
    url.setPath(base.path().chopped(base.path().endsWith(QLatin1Char('/')) ? 1 : 0) + QStringLiteral("/sw/cur_ver.txt"));
    if (!folder.isValid() || !fetch(url, path)) {
        log(UpdateText::VersionFileMissing);
        return result;
    }

    log(UpdateText::ReadingLatest);
    result.entry = readVersionFile(path, internalName);
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
