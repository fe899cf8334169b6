// sample-image: writes a sample firmware image for the demo and for tests
// that run quillon-cli as a process.
#include "sim/sampleimage.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a sample KRV470 firmware image: Intel-HEX when OUT ends in .hex, else binary."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("File to write."));
    const QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("Image size in bytes: 262144 or 524288."), QStringLiteral("BYTES"), QStringLiteral("524288"));
    const QCommandLineOption dateOption(QStringLiteral("date"), QStringLiteral("Firmware date yyyymmdd."), QStringLiteral("DATE"), QStringLiteral("20090301"));
    parser.addOptions({sizeOption, dateOption});
    parser.process(app);

    QTextStream err(stderr);
    SampleImage sample;
    bool sizeOk = false, dateOk = false;
    sample.size = parser.value(sizeOption).toInt(&sizeOk);
    sample.firmwareDate = parser.value(dateOption).toInt(&dateOk);
    if (parser.positionalArguments().size() != 1 || !sizeOk || (sample.size != 0x40000 && sample.size != 0x80000)
        || !dateOk || sample.firmwareDate < 19900101 || sample.firmwareDate > 99991231) {
        err << parser.helpText();
        return 2;
    }
    const QString path = parser.positionalArguments().constFirst();
    const QByteArray image = sample.build();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(path.endsWith(QLatin1String(".hex"), Qt::CaseInsensitive) ? toIntelHex(image) : image) < 0) {
        err << "sample-image: cannot write " << path << Qt::endl;
        return 1;
    }
    return 0;
}
