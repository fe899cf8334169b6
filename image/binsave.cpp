#include "image/binsave.h"

#include "image/firmwareimage.h"
#include "frontend/frontend.h"
#include "settings/regularfile.h"

#include <QDir>

QByteArray imageBytes(const FirmwareImage &image)
{
    return QByteArray(reinterpret_cast<const char *>(image.ImageBuffer.data()), image.ImageSize);
}

QString writeImageFile(const FirmwareImage &image, const QString &path)
{
    return writeFileAtomically(path, imageBytes(image), Replace::RegularFile);
}

void lbConvMouseDown(Frontend &ui, FirmwareImage &image, Qt::MouseButton button)
{
    if (button != Qt::RightButton || !image.fileName.endsWith(QLatin1String(".HEX"), Qt::CaseInsensitive))
        return;
    const QString stem = image.fileName.chopped(4);
    const QString binName = stem + QStringLiteral(".BIN");
    if (!writeImageFile(image, binName).isEmpty())
        ui.setStatus(1, QStringLiteral("Fehler beim Schreiben von %1").arg(QDir::toNativeSeparators(binName)));
    image.fileName = stem + QStringLiteral(".HEX");
}
