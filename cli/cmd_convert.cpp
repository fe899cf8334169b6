// convert FILE.hex OUT.bin: the open command's HEX conversion, written to a file.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "cli/imagefile.h"
#include "cli/showtext.h"
#include "image/binsave.h"
#include "image/firmwareimage.h"
#include "settings/regularfile.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {
int runConvert(CliSession &s, const QStringList &args)
{
    if (args.size() != 2) {
        s.err << "convert: DATEI.hex und AUSGABE.bin angeben" << Qt::endl;
        return ExitUsage;
    }
    const QString &input = args[0];
    const QString &output = args[1];
    if (!input.endsWith(QLatin1String(".hex"), Qt::CaseInsensitive)) {
        s.err << "convert: " << input << " ist keine Intel-HEX-Datei (Endung .hex)";
        if (looksLikeIntelHex(input))
            s.err << "; der Inhalt sieht nach Intel-HEX aus: Datei in *.hex umbenennen";
        s.err << Qt::endl;
        return ExitUsage;
    }
    if (sameFile(input, output)) {
        s.err << "convert: die Ausgabe " << output << " ist die Eingabedatei; sie würde überschrieben" << Qt::endl;
        return ExitUsage;
    }

    FirmwareImage &image = s.ctx.image;
    if (const int loaded = loadImageFile(s, "convert", input); loaded != ExitOk)
        return loaded;
    if (const QString problem = writeImageFile(image, output); !problem.isEmpty()) {
        s.err << "convert: Ausgabe nicht geschrieben: " << problem << Qt::endl;
        return ExitFailed;
    }

    if (s.json) {
        const QJsonObject o{{"ImageSize", image.ImageSize},
                            {"FileFwDate", image.FileFwDate},
                            {"FileDeviceKind", krvModelNumber(image.FileDeviceKind)},
                            {"FileAnalogInputs", image.FileAnalogInputs},
                            {"FileExdevType", image.FileExdevType},
                            {"lbDSfGFile", s.ui.caption(Control::lbDSfGFile)}};
        s.out << QJsonDocument(o).toJson(QJsonDocument::Compact) << Qt::endl;
    } else {
        s.out << s.ui.caption(Control::lbFileInfo) << Qt::endl
              << "Firmware-Datum: " << image.FileFwDate << Qt::endl
              << "Gerät: " << krvModelNumber(image.FileDeviceKind) << " (" << deviceKindName(image.FileDeviceKind) << ")" << Qt::endl;
    }
    return ExitOk;
}

const CliCommand registration("convert", "DATEI.hex AUSGABE.bin", "Intel-HEX-Datei in das Binärabbild wandeln, das der Upload senden würde",
                              {}, false, &runConvert);
}
