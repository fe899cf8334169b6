#include "upload/factorydata.h"

#include "image/firmwareimage.h"
#include "options/optionsmodel.h"

#include <algorithm>

namespace {
// Firmware dates at which the device changed how it reads the record.
constexpr int kOptionMaskSince = 20030701;
constexpr int kAnalogCountSince = 20050601;
constexpr int kAnalogFullCountSince = 20061101;
constexpr int kOptionByte = 21;

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
    const bool analog = o.box(OptionBox::Analog).checked();
    if (image.FileFwDate < kAnalogCountSince)
        return analog ? '1' : '0';
    if (!analog)
        return 0;
    const int inputs = o.box(OptionBox::Rack470Z).checked() ? image.FileAnalogInputs : 2;
    return quint8(image.FileFwDate < kAnalogFullCountSince ? inputs / 2 : inputs);
}

quint8 optionByte(const OptionsModel &o, const FirmwareImage &image)
{
    // Older firmware knows the clock chip only.
    if (image.FileFwDate < kOptionMaskSince)
        return o.box(OptionBox::RTC).checked() ? 1 : 0;
    quint8 bits = 0xFF;
    for (const OptionBoxEntry &entry : optionBoxes()) {
        const FactoryField &field = entry.factory;
        const bool checked = o.box(entry.box).checked();
        if (field.byte == kOptionByte
            && ((field.kind == FactoryField::ClearedWhenTicked && checked) || (field.kind == FactoryField::ClearedWhenClear && !checked)))
            bits &= quint8(~(1u << field.bit));
    }
    return bits;
}

quint8 networkByte(const OptionsModel &o, const FirmwareImage &image)
{
    if (image.FileFwDate < kOptionMaskSince || !o.box(OptionBox::Netz).checked())
        return 0xFF;
    return o.box(OptionBox::Master).checked() ? 1 : 2;
}
}

QByteArray buildFactoryData(const OptionsModel &o, const FirmwareImage &image)
{
    // What is not written below stays 0xFF: bytes 23 and 25 to 29.
    QByteArray block(FirmwareImage::InfoBlockSize, char(0xFF));
    block.replace(0, 13, blankPadded(o.edFabNr.text, 12));
    block.replace(13, 5, blankPadded(o.edBaujahr.text, 4));
    block[18] = char(analogCode(o, image));
    block[19] = char(o.cbF4 < 0 ? 0xFF : o.cbF4);
    block[kOptionByte] = char(optionByte(o, image));
    block[22] = char(networkByte(o, image));
    for (const OptionBoxEntry &entry : optionBoxes()) {
        if (entry.factory.kind == FactoryField::Flag)
            block[entry.factory.byte] = char(o.box(entry.box).checked() ? 1 : 0);
    }
    block[30] = char(image.FileExdevType);
    block[31] = char(image.FileAnalogInputs);
    return block;
}

void writeFactoryData(const OptionsModel &options, FirmwareImage &image)
{
    Q_ASSERT(image.hasInfoBlock());
    const QByteArray block = buildFactoryData(options, image);
    std::copy(block.begin(), block.end(), image.ImageBuffer.begin() + image.InfoBlockOffset());
}
