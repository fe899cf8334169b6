#pragma once
#include "orvabout/updatetexts.h"
#include "orvabout/versionfile.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// The update server's base address: ORV_UPDATE_URL from the environment when
// set, else the address the build was configured with.
QUrl updateBaseUrl();

// A build for a system whose package manager installs the program: the check
// shows a newer version but downloads and starts no installer.
inline constexpr bool UpdatesByPackageManager = QUILLON_PACKAGE_MANAGER_UPDATES;

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
// check-update: log the steps, fetch the version file, compare. The file is
// held in memory only: nothing is left behind, however the process ends.
struct UpdateCheck {
    using Log = std::function<void(UpdateText)>;
    // The body at url (within HttpDownload::VersionFileLimits), or nothing.
    using Fetch = std::function<std::optional<QByteArray>(const QUrl &url)>;

    static UpdateCheckResult run(const QString &installedVersion, const QString &internalName, const QUrl &base,
                                 const Log &log, const Fetch &fetch);
};
