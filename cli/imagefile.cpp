#include "cli/imagefile.h"

#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "image/fileload.h"
#include "image/firmwareimage.h"
#include "settings/regularfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
bool hexName(const QString &path) { return path.endsWith(QLatin1String(".hex"), Qt::CaseInsensitive); }
}

bool looksLikeIntelHex(const QString &path)
{
    QFile file;
    if (!openRegularFile(file, path).isEmpty())
        return false;
    // A record: colon, byte count, address, type, data, checksum, in hex digits.
    static const QRegularExpression record(QStringLiteral("^:([0-9A-Fa-f]{2}){5,}\\r?\\n"));
    return record.match(QString::fromLatin1(file.read(600))).hasMatch();
}

int loadImageFile(CliSession &s, const char *command, const QString &path)
{
    if (!hexName(path) && looksLikeIntelHex(path))
        s.err << command << ": Hinweis: " << path << " sieht nach Intel-HEX aus, wird ohne die Endung .hex aber als Binärdatei geladen"
              << Qt::endl;
    switch (loadFirmwareFile(s.ui, s.ctx.image, path)) {
    case LoadResult::Loaded:
        return ExitOk;
    case LoadResult::ConversionFailed:
        s.err << command << ": " << path << ": " << s.ui.caption(Control::lbConv) << ' ' << s.ui.status(1) << Qt::endl;
        break;
    case LoadResult::TooLarge:
        s.err << command << ": " << path << ": " << QFileInfo(path).size() << " Bytes, erlaubt sind weniger als "
              << FirmwareImage::BufferSize << Qt::endl;
        break;
    case LoadResult::ReadFailed:
        s.err << command << ": " << path << ": " << readProblem(path) << Qt::endl;
        break;
    }
    return ExitUsage;
}
