#pragma once
#include <QString>

// The web-update texts by role. Language 0 is German, any other value English.
enum class UpdateText {
    InstalledCaption,
    LatestCaption,
    HistoryCaption,
    CloseCaption,
    CloseHint,
    CancelCaption,
    CancelHint,
    UpdateHint,
    ReadingInstalled,
    Connecting,
    Patience,
    ReadingLatest,
    NewerAvailable,
    NoVersionInfo,
    UpToDate,
    InstalledNewer,
    VersionFileMissing,
    DownloadStarting,
    Cancelled,
    Saved,
    NotSaved,
    ReadyToInstall,
    InstallCaption,
    EndProgramToInstall,
    DownloadFailed,
    ProgressFrom,
    // Refusals of what the network sent; German in both languages.
    ChecksumMismatch,
    BadFileName,
    InstallerNotStarted,
    // Where the system's package manager installs the program.
    PackageManagerUpdates,
};

QString updateText(UpdateText role, int language);

// "51200 von 1048576 Bytes downloaded."
QString progressLine(qint64 received, qint64 total, int language);
