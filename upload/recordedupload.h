#pragma once
#include "upload/recordlink.h"

#include <QString>

struct Context;
class Upload;

// The window's upload with its record: with a record folder set, one record
// per run goes into it. A folder that cannot take it is asked about before
// the run, a record that could not be written is said after it.
void runRecordedUpload(Upload &upload, Context &ctx, const QString &folder, const RecordLink &link, const QString &version);
