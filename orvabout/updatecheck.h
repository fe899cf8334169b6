#pragma once
#include "orvabout/updatetexts.h"
#include "orvabout/versionfile.h"

#include <QString>
#include <QUrl>

#include <functional>

// The update server's base address: ORV_UPDATE_URL from the environment when
// set, else the address the build was configured with.
QUrl updateBaseUrl();

enum class UpdateOutcome {
    Unreachable,  // the version file could not be fetched
    Unknown,      // it names no usable version for the program
    Newer,        // the server has a newer version
    Current,      // same version
    Older,        // the installed program is newer
};

struct UpdateCheckResult {
    UpdateOutcome outcome = UpdateOutcome::Unreachable;
    int installed = -1;
    int latest = -1;
    VersionFileEntry entry;  // as read; empty when unreachable
};

// The check the web-update window runs on activation and quillon-cli runs as
// check-update: log the steps, fetch the version file into a private
// temporary folder, compare, remove the file again.
struct UpdateCheck {
    using Log = std::function<void(UpdateText)>;
    // Fetches url into the file at path; true on success.
    using Fetch = std::function<bool(const QUrl &url, const QString &path)>;

    static UpdateCheckResult run(const QString &installedVersion, const QString &internalName, const QUrl &base,
                                 const Log &log, const Fetch &fetch);
};
