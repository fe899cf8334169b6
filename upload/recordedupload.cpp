#include "upload/recordedupload.h"

#include "frontend/context.h"
#include "frontend/frontend.h"
#include "settings/regularfile.h"
#include "upload/upload.h"
#include "upload/uploadrecord.h"

void runRecordedUpload(Upload &upload, Context &ctx, const QString &folder, const RecordLink &link, const QString &version)
{
    if (folder.isEmpty() || upload.running()) {
        upload.btUpdateClick();
        return;
    }
    const QString notWritten = QStringLiteral("Das Upload-Protokoll kann nicht geschrieben werden!\n");
    if (const QString problem = recordFolderProblem(folder); !problem.isEmpty()
        && !ctx.ui.askYesNo(notWritten + problem + QStringLiteral("\n\nUpload trotzdem starten?")))
        return;

    UploadRecorder recorder(ctx, upload, QStringLiteral("quillon"), version);
    recorder.begin();
    upload.btUpdateClick();
    recorder.end();
    const QString path = newRecordPath(folder, recorder.startedUtc());
    const QString problem = writeFileAtomically(path, recorder.json(link, UploadRecorder::outcomeOf(upload)), Replace::Nothing);
    if (!problem.isEmpty())
        ctx.ui.showMessage(notWritten + problem);
}
