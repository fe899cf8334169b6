#include "sim/sampleimage.h"

#include <QRandomGenerator>

namespace {
constexpr int kIdentificationOffset = 0xFF00;
constexpr int kInfoBlockSize = 32;

void fillCode(QByteArray &image, int from, int to, QRandomGenerator &random)
{
    for (int i = from; i < to; ++i)
        image[i] = char(random.bounded(256));
}
}

QByteArray SampleImage::build() const
{
    Q_ASSERT(size >= 0x10000);
    QByteArray image(size, char(0xFF));
    QRandomGenerator random(seed);
    // Code, an erased gap, code with a single erased block, the identification
    // area, then code up to half the image and a last run before the end.
    fillCode(image, 0x0000, 0x4000, random);
    fillCode(image, 0x8000, 0x9000, random);
    fillCode(image, 0x9100, kIdentificationOffset, random);
    fillCode(image, 0x10000, size / 2, random);
    fillCode(image, size - 0x2000, size - kInfoBlockSize, random);

    const QByteArray date = QByteArray::number(firmwareDate % 100).rightJustified(2, '0')
        + QByteArray::number(firmwareDate / 100 % 100).rightJustified(2, '0')
        + QByteArray::number(firmwareDate / 10000).rightJustified(4, '0');
    QByteArray area = identification.left(6);
    area.append(QByteArray(7 - area.size(), '\0'));
    area.append(date);
    image.replace(kIdentificationOffset, int(area.size()), area);

    const int info = size - kInfoBlockSize;
    image[info + 20] = 1;                                      // time service included
    image[info + 21] = char(deviceKind == 1 ? 0xFF : 0x7F);   // bit 7: KRV470
    image[info + 30] = 0;
    image[info + 31] = char(analogInputs);
    return image;
}

QByteArray intelHexRecord(quint8 type, quint16 address, const QByteArray &data, const char *lineEnd)
{
    QByteArray bytes;
    bytes.append(char(data.size())).append(char(address >> 8)).append(char(address)).append(char(type)).append(data);
    quint8 sum = 0;
    for (char c : bytes)
        sum += quint8(c);
    bytes.append(char(quint8(-sum)));
    return ':' + bytes.toHex().toUpper() + lineEnd;
}

QByteArray toIntelHex(const QByteArray &image)
{
    QByteArray hex;
    for (int offset = 0; offset < image.size(); offset += 16) {
        if (offset % 0x10000 == 0) {
            QByteArray upper(2, '\0');
            upper[1] = char(offset >> 16);
            hex += intelHexRecord(4, 0, upper);
        }
        hex += intelHexRecord(0, quint16(offset), image.mid(offset, 16));
    }
    hex += intelHexRecord(1, 0, {});
    return hex;
}
