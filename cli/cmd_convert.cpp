// convert FILE.hex OUT.bin: the open command's HEX conversion, written to a file.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "cli/imagefile.h"
#include "cli/jsonoutput.h"
#include "cli/showtext.h"
#include "image/binsave.h"
#include "image/firmwareimage.h"
#include "image/imagefacts.h"
#include "settings/regularfile.h"

#include <QFileInfo>

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
    QString error;
    if (const QString problem = writeImageFile(image, output); !problem.isEmpty()) {
        error = QStringLiteral("Ausgabe nicht geschrieben: ") + problem;
        s.err << "convert: " << error << Qt::endl;
    }
    const int code = error.isEmpty() ? ExitOk : ExitFailed;

    if (s.json) {
        // The information block holds the analog inputs and the EXDEV type;
        // an erased type byte is none, as on the device.
        const auto inBlock = [&image](int value) { return image.hasInfoBlock() ? QJsonValue(value) : QJsonValue(); };
        const int exdevType = image.FileExdevType == 0xFF ? 0 : image.FileExdevType;
        OrderedJson o = jsonOutput();
        o.add("size", image.ImageSize)
            .add("identification", textOrNull(identificationText(image)))
            .add("buildDate", isoDate(image.FileFwDate))
            .add("model", modelName(image.FileDeviceKind))
            .add("analogInputs", inBlock(image.FileAnalogInputs))
            .add("exdevType", inBlock(exdevType))
            .add("output", error.isEmpty() ? QJsonValue(QFileInfo(output).absoluteFilePath()) : QJsonValue());
        s.out << jsonLine(o, error, code) << Qt::flush;
    } else if (error.isEmpty()) {
        s.out << s.ui.caption(Control::lbFileInfo) << Qt::endl
              << "Firmware-Datum: " << image.FileFwDate << Qt::endl
              << "Gerät: " << krvModelNumber(image.FileDeviceKind) << " (" << deviceKindName(image.FileDeviceKind) << ")" << Qt::endl;
    }
    return code;
}

const CliCommand registration("convert", "DATEI.hex AUSGABE.bin", "Intel-HEX-Datei in das Binärabbild wandeln, das der Upload senden würde",
                              {}, false, &runConvert);
}
