#pragma once
#include "upload/recordlink.h"
#include "upload/uploadrecord.h"

#include <QString>
#include <functional>
#include <optional>

struct Context;
class Upload;

// One upload run with its record, as the window and the command line run it.
struct RecordedRun {
    QString program;  // "quillon" or "quillon-cli"
    QString version;  // the program's version
    RecordLink link;
    // Where the record goes: a file of its own in folder, which replaces
    // nothing, or file, which may replace an earlier record (checked before).
    // Neither: the run is timed, but no record is written.
    QString folder;
    QString file;
    // Once the record has begun: an outcome when the run must not start.
    std::function<std::optional<RecordOutcome>()> before;
    // After the upload, before the record ends: the outcome to record; by
    // default as the upload left it. A check after the restart goes into
    // the recorder here.
    std::function<RecordOutcome(UploadRecorder &)> after;
};

// How a recorded run ended, for the front end's report.
struct RecordedRunEnd {
    qint64 durationMs = 0;
    QString note;     // what the final message leaves unsaid; empty: nothing
    QString path;     // the record written; empty: none
    QString problem;  // why the record could not be written; empty: it was, or none was due
};

RecordedRunEnd runRecordedUpload(Upload &upload, Context &ctx, const RecordedRun &run);

// The window's upload: with a record folder set, one record per run goes
// into it. A folder that cannot take it is asked about before the run, a
// record that could not be written is said after it.
void runWindowUpload(Upload &upload, Context &ctx, const QString &folder, const RecordLink &link, const QString &version);
