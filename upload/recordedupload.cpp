#include "upload/recordedupload.h"

#include "frontend/context.h"
#include "frontend/frontend.h"
#include "settings/regularfile.h"
#include "upload/upload.h"

RecordedRunEnd runRecordedUpload(Upload &upload, Context &ctx, const RecordedRun &run)
{
    UploadRecorder recorder(ctx, upload, run.program, run.version);
    recorder.begin();
    std::optional<RecordOutcome> outcome = run.before ? run.before() : std::nullopt;
    if (!outcome) {
        upload.btUpdateClick();
        outcome = run.after ? run.after(recorder) : UploadRecorder::outcomeOf(upload);
    }
    recorder.end();

    RecordedRunEnd end{recorder.durationMs(), recorder.note(), {}, {}};
    if (run.folder.isEmpty() && run.file.isEmpty())
        return end;
    // A name of its own is new; a name the user gave replaces what was checked before.
    const QString path = run.file.isEmpty() ? newRecordPath(run.folder, recorder.startedUtc()) : run.file;
    end.problem = writeFileAtomically(path, recorder.json(run.link, *outcome), run.file.isEmpty() ? Replace::Nothing : Replace::RegularFile);
    if (end.problem.isEmpty())
        end.path = path;
    return end;
}

void runWindowUpload(Upload &upload, Context &ctx, const QString &folder, const RecordLink &link, const QString &version)
{
    if (folder.isEmpty() || upload.running()) {
        upload.btUpdateClick();
        return;
    }
    const QString notWritten = QStringLiteral("Das Upload-Protokoll kann nicht geschrieben werden!\n");
    if (const QString problem = recordFolderProblem(folder); !problem.isEmpty()
        && !ctx.ui.askYesNo(notWritten + problem + QStringLiteral("\n\nUpload trotzdem starten?")))
        return;
    const RecordedRunEnd end = runRecordedUpload(upload, ctx, {QStringLiteral("quillon"), version, link, folder, {}, {}, {}});
    if (!end.problem.isEmpty())
        ctx.ui.showMessage(notWritten + end.problem);
}
