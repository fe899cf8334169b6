#include "device/readoutdecode.h"

#include "image/firmwareimage.h"
#include "frontend/context.h"
#include "device/devicedescription.h"
#include "frontend/frontend.h"
#include "options/optionsmodel.h"

namespace {
constexpr int kFabNrLength = 12;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
}

long answerNumber(const QByteArray &frame, int offset, int length)
{
    const int end = qMin(offset + length, int(frame.size()));
    int i = offset;
    while (i < end && isBlank(frame.at(i)))
        ++i;
    bool negative = false;
    if (i < end && (frame.at(i) == '+' || frame.at(i) == '-'))
        negative = frame.at(i++) == '-';
    long value = 0;
    for (; i < end && isDigit(frame.at(i)); ++i)
        value = value * 10 + (frame.at(i) - '0');
    return negative ? -value : value;
}

QString factoryNumber(const QByteArray &frame)
{
    QByteArray number(kFabNrLength, ' ');
    for (int i = 0; i < kFabNrLength && 5 + i < frame.size(); ++i) {
        const quint8 c = quint8(frame.at(5 + i));
        if (c < 0x20 || c > 0x7F)
            break;
        number[i] = char(c);
    }
    return QString::fromLatin1(number);
}

int firmwareDate(const QByteArray &frame)
{
    return int(answerNumber(frame, 11, 4) * 10000 + answerNumber(frame, 9, 2) * 100 + answerNumber(frame, 7, 2));
}

void applyHardwareWord(Context &ctx, int word)
{
    OptionsModel &panel = ctx.ui.options();
    for (const OptionBoxEntry &entry : optionBoxes()) {
        if (entry.hardware.ticks(word))
            panel.box(entry.box).setChecked(true);
    }

    if (word & 0x80) {
        ctx.device.DeviceKind = KrvModel::KRV470;
        panel.setLabel(panel.lbF4, QStringLiteral("Funktion der F4-Taste"), panel.lbF4.visible);
        return;
    }
    // A KRV465: no rack variant, and the options its model fixes are locked.
    ctx.device.DeviceKind = KrvModel::KRV465;
    if (ctx.image.FileDeviceKind != KrvModel::KRV465)
        ctx.image.FileAnalogInputs = 0;
    panel.box(OptionBox::KRV465).setChecked(true);
    panel.box(OptionBox::Rack470Z).setChecked(false);
    for (const OptionBoxEntry &entry : optionBoxes()) {
        if (entry.on465 != On465::Free)
            panel.box(entry.box).setEnabled(false);
    }
    for (const OptionBoxEntry &entry : optionBoxes()) {
        if (entry.on465 == On465::Present)
            panel.box(entry.box).setChecked(true);
    }
    panel.setLabel(panel.lbF4, QStringLiteral("Funktion der 'Doppel-C-Taste'"), panel.lbF4.visible);
}

void applyAnalogInputs(OptionsModel &panel, int count)
{
    CheckBoxModel &analog = panel.box(OptionBox::Analog);
    analog.setCaption(panel.deviceAnalogCaption(count));
    analog.setChecked(count != 0);
}

void applyFlashId(OptionsModel &panel, DeviceDescription &device, const QByteArray &id)
{
    struct Chip {
        const char *id;
        FlashChip flashClass;
        const char *caption;  // of the box it ticks
    };
    static const Chip chips[] = {
        {"1FBA", FlashChip::Chip256K, "AT29LV020"},
        {"1FC4", FlashChip::Chip512K, "AT29LV040"},
        {"014F", FlashChip::Chip512K, "AM29LV040"},
        {"BFD7", FlashChip::Chip512K, "SST39VF040"},
    };
    device.FlashClass = FlashChip::Unlisted;
    for (const Chip &chip : chips) {
        if (id != chip.id)
            continue;
        device.FlashClass = chip.flashClass;
        CheckBoxModel &box = panel.box(chip.flashClass == FlashChip::Chip256K ? OptionBox::Flash20 : OptionBox::Flash40);
        box.setChecked(true);
        box.setCaption(QString::fromLatin1(chip.caption));
        return;
    }
}

void applyNetwork(OptionsModel &panel, long value)
{
    if (value < 0 || value >= 8)
        return;
    for (const OptionBoxEntry &entry : optionBoxes()) {
        if (entry.networkValues & (1u << value))
            panel.box(entry.box).setChecked(true);
    }
}

void applyExdev(OptionsModel &panel, DeviceDescription &device, long value)
{
    const quint8 type = quint8(value);
    device.DeviceExdevType = type == 255 ? 0 : type;
    if (device.DeviceExdevType != 0)
        panel.setLabel(panel.lbGExdev, QString::number(qint8(device.DeviceExdevType)), true);
}
