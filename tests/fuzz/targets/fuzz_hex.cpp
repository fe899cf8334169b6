// A firmware file as the user opens it: Intel-HEX when it starts like one,
// else a binary image; converted, evaluated, shown on the options panel.
#include "image/fileload.h"
#include "tests/fuzz/targets/fuzztargets.h"
#include "tests/fuzz/targets/fuzzstation.h"

#include <QFile>
#include <QTemporaryDir>

int fuzzHexImage(const quint8 *data, std::size_t size)
{
    static const QTemporaryDir dir;
    const QByteArrayView bytes(data, qsizetype(size));
    const QString path = dir.filePath(bytes.startsWith(':') ? QStringLiteral("f.hex") : QStringLiteral("f.bin"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes.data(), bytes.size()) != bytes.size())
        qFatal("fuzz: cannot write %s", qPrintable(path));
    file.close();

    FuzzStation st;
    const LoadResult result = loadFirmwareFile(st.ui, st.image, path);
    FUZZ_CHECK(result == LoadResult::Loaded || result == LoadResult::ConversionFailed);
    FUZZ_CHECK(st.image.ImageSize >= 0 && st.image.ImageSize < FirmwareImage::BufferSize);
    if (path.endsWith(QLatin1String(".hex")))
        FUZZ_CHECK(st.image.ImageSize == 0 || st.image.ImageSize == 0x40000 || st.image.ImageSize == 0x80000);
    return 0;
}
