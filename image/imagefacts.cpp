#include "image/imagefacts.h"

#include "image/firmwareimage.h"

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

std::optional<quint8> infoBlockByte(const FirmwareImage &image, int index)
{
    if (!image.hasInfoBlock())
        return std::nullopt;
    return image.ImageBuffer[image.InfoBlockOffset() + index];
}
