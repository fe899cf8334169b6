#include "upload/factorydata.h"

#include "image/firmwareimage.h"
#include "options/optionsmodel.h"

#include <algorithm>

namespace {
// Firmware dates at which the device changed how it reads the record.
constexpr int kOptionMaskSince = 20030701;
constexpr int kAnalogCountSince = 20050601;
constexpr int kAnalogFullCountSince = 20061101;

// ASCII text filled up with blanks to exactly width characters, then 0x00.
QByteArray blankPadded(const QString &text, int width)
{
    QByteArray field = text.toLatin1().left(width);
    field.append(QByteArray(width - field.size(), ' '));
    field.append('\0');
    return field;
}

quint8 analogCode(const OptionsModel &o, const FirmwareImage &image)
{
    if (image.FileFwDate < kAnalogCountSince)
        return o.cbAnalog.checked() ? '1' : '0';
    if (!o.cbAnalog.checked())
        return 0;
    const int inputs = o.cb470Z.checked() ? image.FileAnalogInputs : 2;
    return quint8(image.FileFwDate < kAnalogFullCountSince ? inputs / 2 : inputs);
}

quint8 optionByte(const OptionsModel &o, const FirmwareImage &image)
{
    if (image.FileFwDate < kOptionMaskSince)
        return o.cbRTC.checked() ? 1 : 0;
    quint8 bits = 0xFF;
    const auto clearIf = [&bits](bool condition, int bit) {
        if (condition)
            bits &= quint8(~(1u << bit));
    };
    clearIf(o.cb470Z.checked(), 0);
    clearIf(o.cbKlemm.checked(), 1);
    clearIf(o.cbRTC.checked(), 2);
    clearIf(!o.cbBatt.checked(), 3);
    clearIf(o.cbU230.checked(), 4);
    clearIf(o.cbU24.checked(), 5);
    clearIf(o.cb465.checked(), 7);
    return bits;
}

quint8 networkByte(const OptionsModel &o, const FirmwareImage &image)
{
    if (image.FileFwDate < kOptionMaskSince || !o.cbNetz.checked())
        return 0xFF;
    return o.cbMaster.checked() ? 1 : 2;
}
}

QByteArray buildFactoryData(const OptionsModel &o, const FirmwareImage &image)
{
    QByteArray block;
    block.reserve(FirmwareImage::InfoBlockSize);
    block += blankPadded(o.edFabNr.text, 12);    // 0..12
    block += blankPadded(o.edBaujahr.text, 4);   // 13..17
    block += char(analogCode(o, image));         // 18
    block += char(o.cbF4 < 0 ? 0xFF : o.cbF4);   // 19
    block += char(o.cbPTB.checked() ? 1 : 0);    // 20
    block += char(optionByte(o, image));         // 21
    block += char(networkByte(o, image));        // 22
    block += char(0xFF);                         // 23
    block += char(o.cbDSfG.checked() ? 1 : 0);   // 24
    block += QByteArray(5, char(0xFF));          // 25..29
    block += char(image.FileExdevType);          // 30
    block += char(image.FileAnalogInputs);       // 31
    Q_ASSERT(block.size() == FirmwareImage::InfoBlockSize);
    return block;
}

void writeFactoryData(const OptionsModel &options, FirmwareImage &image)
{
    Q_ASSERT(image.hasInfoBlock());
    const QByteArray block = buildFactoryData(options, image);
    std::copy(block.begin(), block.end(), image.ImageBuffer.begin() + image.InfoBlockOffset());
}
