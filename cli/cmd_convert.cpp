// convert FILE.hex OUT.bin: the open command's HEX conversion, written to a file
// or, for OUT "-", to stdout.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "cli/imagefile.h"
#include "cli/jsonoutput.h"
#include "cli/showtext.h"
#include "cli/terminal.h"
#include "image/binsave.h"
#include "image/firmwareimage.h"
#include "image/imagefacts.h"
#include "settings/regularfile.h"

#include <QFile>
#include <QFileInfo>

namespace {
// The output name that means standard output.
constexpr char ToStdout[] = "-";

// Empty when all bytes went out, else why not.
QString writeStdout(const QByteArray &bytes)
{
    makeStdoutBinary();
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush())
        return QStringLiteral("stdout: ") + out.errorString();
    return {};
}

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
    const bool toStdout = output == QLatin1String(ToStdout);
    if (toStdout && s.json) {
        s.err << "convert: --json und die Ausgabe - (stdout) schließen einander aus" << Qt::endl;
        return ExitUsage;
    }
    if (toStdout && stdoutIsTerminal()) {
        s.err << "convert: das Binärabbild gehört nicht auf das Terminal; stdout umleiten (> datei.bin) oder einen Dateinamen angeben"
              << Qt::endl;
        return ExitUsage;
    }
    if (!toStdout && sameFile(input, output)) {
        s.err << "convert: die Ausgabe " << output << " ist die Eingabedatei; sie würde überschrieben" << Qt::endl;
        return ExitUsage;
    }

    FirmwareImage &image = s.ctx.image;
    if (const int loaded = loadImageFile(s, "convert", input); loaded != ExitOk)
        return loaded;
    QString error;
    // Whatever the text stream holds goes out before the image's bytes.
    s.out.flush();
    if (const QString problem = toStdout ? writeStdout(imageBytes(image)) : writeImageFile(image, output); !problem.isEmpty()) {
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
        // With the image on stdout the summary is a message like any other.
        QTextStream &summary = toStdout ? s.err : s.out;
        summary << s.ui.caption(Control::lbFileInfo) << Qt::endl
                << "Firmware-Datum: " << image.FileFwDate << Qt::endl
                << "Gerät: " << krvModelNumber(image.FileDeviceKind) << " (" << deviceKindName(image.FileDeviceKind) << ")" << Qt::endl;
    }
    return code;
}

const CliCommand registration("convert", "DATEI.hex AUSGABE.bin", "Intel-HEX-Datei in das Binärabbild wandeln, das der Upload senden würde; AUSGABE - ist stdout",
                              {}, false, &runConvert);
}
