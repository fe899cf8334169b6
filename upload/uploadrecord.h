#pragma once
#include "upload/blocktransfer.h"
#include "upload/flashverify.h"
#include "upload/recordlink.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <optional>

struct Context;
class Upload;

// How the run ended, as the front end reported it.
struct RecordOutcome {
    QString result;  // "ok", "failed", "cancelled", "refused", "switch-closed", "image-rejected", "mismatch"
    Phase uploadPhase = Phase::Refused;
    QString message;  // the final message box, or why the run did not start
    TransferCounters counters;
};

// One upload run as a JSON object, for the traceability calibrated
// instruments need: when, with what program, over which link, the device as
// read before, the file and the image as sent (SHA-256), the factory data,
// the pre-check and its answer, the outcome and, where it ran, the check after
// the restart. It never holds the read password.
class UploadRecorder {
public:
    // program: "quillon" or "quillon-cli"; version: the program's version.
    UploadRecorder(const Context &ctx, const Upload &upload, QString program, QString version);

    // Before the run: the start time, the file's SHA-256 and what the run
    // will send.
    void begin();
    // After the run.
    void end();
    void setVerification(const FlashVerify::Result &result) { m_verification = result; }
    const std::optional<FlashVerify::Result> &verification() const { return m_verification; }

    QByteArray json(const RecordLink &link, const RecordOutcome &outcome) const;
    QDateTime startedUtc() const { return m_started.toUTC(); }
    qint64 durationMs() const { return m_durationMs; }
    // What the final message leaves unsaid; empty when nothing.
    const QString &note() const { return m_note; }

    // The outcome as the upload left it.
    static RecordOutcome outcomeOf(const Upload &upload);

private:
    const Context &m_ctx;
    const Upload &m_upload;
    QString m_program;
    QString m_version;
    QDateTime m_started;
    QDateTime m_ended;
    QElapsedTimer m_clock;
    qint64 m_durationMs = 0;
    QString m_note;
    QString m_fileName;
    QString m_fileSha256;  // empty when the file could not be read again
    qint64 m_fileSize = -1;
    bool m_onlyFabdata = false;
    std::optional<FlashVerify::Result> m_verification;
};

// A path for a new record in folder, unique to this process and run.
QString newRecordPath(const QString &folder, const QDateTime &startedUtc);

// Why a record cannot be written into folder; empty when it can.
QString recordFolderProblem(const QString &folder);

// True when path holds a record of an earlier run: the only file a new
// record may replace.
bool isEarlierRecord(const QString &path);
