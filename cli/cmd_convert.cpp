// convert FILE.hex OUT.bin: the open command's HEX conversion, written to a file.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "cli/showtext.h"
#include "image/binsave.h"
#include "image/fileload.h"
#include "image/firmwareimage.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {
int runConvert(CliSession &s, const QStringList &args)
{
    if (args.size() != 2 || args[0].startsWith(QLatin1String("--")) || args[1].startsWith(QLatin1String("--"))) {
        s.err << "convert: give FILE.hex and OUT.bin" << Qt::endl;
        return ExitUsage;
    }
    const QString &input = args[0];
    const QString &output = args[1];
    if (!input.endsWith(QLatin1String(".hex"), Qt::CaseInsensitive)) {
        s.err << "convert: " << input << " ist keine Intel-HEX-Datei (Endung .hex)" << Qt::endl;
        return ExitUsage;
    }

    FirmwareImage &image = s.ctx.image;
    switch (loadFirmwareFile(s.ui, image, input)) {
    case LoadResult::Loaded:
        break;
    case LoadResult::ConversionFailed:
        s.err << "convert: " << s.ui.caption(QStringLiteral("lbConv")) << ' ' << s.ui.status(1) << Qt::endl;
        return ExitUsage;
    case LoadResult::TooLarge:
    case LoadResult::ReadFailed:
        // The front end has shown the message box's text.
        return ExitUsage;
    }
    if (!writeImageFile(image, output)) {
        s.err << "convert: " << output << " kann nicht geschrieben werden" << Qt::endl;
        return ExitFailed;
    }

    if (s.json) {
        const QJsonObject o{{"ImageSize", image.ImageSize},
                            {"FileFwDate", image.FileFwDate},
                            {"FileDeviceKind", image.FileDeviceKind},
                            {"FileAnalogInputs", image.FileAnalogInputs},
                            {"FileExdevType", image.FileExdevType},
                            {"lbDSfGFile", s.ui.caption(QStringLiteral("lbDSfGFile"))}};
        s.out << QJsonDocument(o).toJson(QJsonDocument::Compact) << Qt::endl;
    } else {
        s.out << s.ui.caption(QStringLiteral("lbFileInfo")) << Qt::endl
              << "Firmware-Datum: " << image.FileFwDate << Qt::endl
              << "Gerät: " << image.FileDeviceKind << " (" << deviceKindName(image.FileDeviceKind) << ")" << Qt::endl;
    }
    return ExitOk;
}

const CliCommand registration("convert", "convert FILE.hex OUT.bin   convert an Intel-HEX file into the binary image the upload would send", false, &runConvert);
}
