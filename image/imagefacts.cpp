#include "image/imagefacts.h"

#include "image/firmwareimage.h"

#include <QDate>
#include <algorithm>

namespace {
// Decimal number in a fixed-width field: leading blanks, then digits up to the
// first other character; no digits give 0.
int decimalField(const FirmwareImage &image, int offset, int width)
{
    const int end = std::min(offset + width, image.ImageSize);
    int pos = offset;
    while (pos < end && image.ImageBuffer[pos] == ' ')
        ++pos;
    int value = 0;
    for (; pos < end && image.ImageBuffer[pos] >= '0' && image.ImageBuffer[pos] <= '9'; ++pos)
        value = value * 10 + (image.ImageBuffer[pos] - '0');
    return value;
}
}

QString identificationText(const FirmwareImage &image)
{
    const quint8 *data = image.ImageBuffer.data();
    const quint8 *begin = data + std::min(FirmwareImage::IdentificationOffset, image.ImageSize);
    const quint8 *end = std::find(begin, data + image.ImageSize, quint8(0));
    return QString::fromLatin1(reinterpret_cast<const char *>(begin), end - begin);
}

int firmwareDate(const FirmwareImage &image)
{
    const int day = decimalField(image, 0xFF07, 2);
    const int month = decimalField(image, 0xFF09, 2);
    const int year = decimalField(image, 0xFF0B, 4);
    return year * 10000 + month * 100 + day;
}

QString notFirmwareReason(const FirmwareImage &image, int currentYear)
{
    if (!image.hasInfoBlock() || !image.hasIdentification())
        return QStringLiteral("Upload nicht möglich: Das Image (%1 Bytes) hat keinen Informationsblock "
                              "oder keine Kennung!")
            .arg(image.ImageSize);
    if (image.ImageSize > FirmwareImage::LargestFlash)
        return QStringLiteral("Upload nicht möglich: Das Image (%1 Bytes) ist größer als das FLASH jedes KRV (%2 Bytes)!")
            .arg(image.ImageSize)
            .arg(FirmwareImage::LargestFlash);
    const QString notFirmware = QStringLiteral("Upload nicht möglich: Die Datei ist keine KRV-Firmware! ");
    const QString identification = identificationText(image);
    if (identification.isEmpty())
        return notFirmware + QStringLiteral("Die Kennung bei 0xFF00 ist leer.");
    const bool printable = std::all_of(identification.cbegin(), identification.cend(),
                                       [](QChar c) { return c.unicode() >= 0x20 && c.unicode() <= 0x7E; });
    if (!printable)
        return notFirmware + QStringLiteral("Die Kennung bei 0xFF00 ist kein lesbarer Text.");
    const int date = firmwareDate(image);
    const int year = date / 10000;
    if (!QDate(year, date / 100 % 100, date % 100).isValid() || year < 1990 || year > currentYear + 1) {
        const auto *field = reinterpret_cast<const char *>(image.ImageBuffer.data() + 0xFF07);
        QString shown;
        for (char c : QByteArrayView(field, 8))
            shown += c >= 0x20 && c <= 0x7E ? QChar::fromLatin1(c) : QChar(u'.');
        return notFirmware
               + QStringLiteral("Das Firmware-Datum bei 0xFF07 (\"%1\") ist kein gültiger Tag zwischen 1990 und %2.")
                     .arg(shown)
                     .arg(currentYear + 1);
    }
    return {};
}

QString notFirmwareReason(const FirmwareImage &image) { return notFirmwareReason(image, QDate::currentDate().year()); }

std::optional<quint8> infoBlockByte(const FirmwareImage &image, int index)
{
    if (!image.hasInfoBlock())
        return std::nullopt;
    return image.ImageBuffer[image.InfoBlockOffset() + index];
}
