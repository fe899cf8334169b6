// info: the device information readout, as text or one JSON object.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "cli/jsonoutput.h"
#include "cli/showtext.h"
#include "device/devicedescription.h"
#include "link/link.h"
#include "device/readout.h"
#include "options/optionsmodel.h"

#include <algorithm>
#include <vector>

namespace {
// The boxes of the info output, in its order.
std::vector<const OptionBoxEntry *> infoBoxes()
{
    std::vector<const OptionBoxEntry *> boxes;
    for (const OptionBoxEntry &entry : optionBoxes()) {
        if (entry.jsonName)
            boxes.push_back(&entry);
    }
    std::sort(boxes.begin(), boxes.end(), [](const OptionBoxEntry *a, const OptionBoxEntry *b) { return a->jsonRank < b->jsonRank; });
    return boxes;
}

// The inputs the box's caption names ("4 Analogeingänge"); none when unticked.
int analogInputsShown(const CheckBoxModel &box) { return box.checked() ? box.caption().section(QLatin1Char(' '), 0, 0).toInt() : 0; }

// The chip's name as its box shows it; null for an identification not in the table.
QJsonValue flashChipName(const OptionsModel &panel, FlashChip chip)
{
    switch (chip) {
    case FlashChip::Chip256K: return panel.box(OptionBox::Flash20).caption();
    case FlashChip::Chip512K: return panel.box(OptionBox::Flash40).caption();
    case FlashChip::Undetermined:
    case FlashChip::Unlisted: break;
    }
    return {};
}

QByteArray infoJson(CliSession &s, const QString &error, int exitCode)
{
    const DeviceDescription &d = s.ctx.device;
    const OptionsModel &panel = s.ui.options();
    // A control the readout did not fill, a box included, shows its cleared state, which is no answer.
    const auto known = [&d](DeviceFacts from, const QJsonValue &value) { return d.FactsRead.testAnyFlags(from) ? value : QJsonValue(); };
    OrderedJson options;
    for (const OptionBoxEntry *entry : infoBoxes())
        options.add(entry->jsonName, d.BoxesRead.test(boxIndex(entry->box)) ? QJsonValue(panel.box(entry->box).checked()) : QJsonValue());
    const int f4 = panel.cbF4;
    OrderedJson o = jsonOutput();
    o.add("complete", d.DeviceInfoRead)
        .add("model", known(DeviceFact::HardwareWord, modelName(d.DeviceKind)))
        .add("version", known(DeviceFact::Version, d.VersionText.trimmed()))
        .add("buildDate", known(DeviceFact::BuildDate, isoDate(d.DeviceFwDate)))
        .add("factoryNumber", known(DeviceFact::FactoryNumber, d.FabNr.trimmed()))
        .add("yearOfConstruction", known(DeviceFact::YearOfConstruction, d.Baujahr.trimmed()))
        .add("f4Function", known(DeviceFact::F4Function, f4))
        .add("f4FunctionText", known(DeviceFact::F4Function, OptionsModel::F4Items.value(f4)))
        .add("analogInputs", known(DeviceFact::AnalogInputs, analogInputsShown(panel.box(OptionBox::Analog))))
        .add("flashClass", known(DeviceFact::FlashChip, flashClassNumber(d.FlashClass)))
        .add("flashChip", known(DeviceFact::FlashChip, flashChipName(panel, d.FlashClass)))
        .add("exdevType", known(DeviceFact::Exdev, d.DeviceExdevType))
        .add("options", options);
    return jsonLine(o, error, exitCode, s.reasonOf(error));
}

void printInfo(CliSession &s)
{
    const DeviceDescription &d = s.ctx.device;
    OptionsModel &panel = s.ui.options();
    QTextStream &out = s.out;
    const auto line = [&out](const QString &label, const QString &value) { out << (label + QLatin1Char(':')).leftJustified(22) << ' ' << value << "\n"; };

    line(QStringLiteral("Version"), s.ui.caption(Control::lbVersion));
    line(QStringLiteral("Gerät"), deviceKindName(d.DeviceKind));
    line(QStringLiteral("FW-Build"), QString::number(d.DeviceFwDate));
    line(QStringLiteral("Fabriknummer"), QLatin1Char('"') + panel.edFabNr.text + QLatin1Char('"'));
    line(QStringLiteral("Baujahr"), panel.edBaujahr.text);
    const QString f4 = panel.cbF4 >= 0 && panel.cbF4 < OptionsModel::F4Items.size() ? OptionsModel::F4Items.at(panel.cbF4) : QString();
    line(panel.lbF4.caption, QStringLiteral("%1 %2").arg(panel.cbF4).arg(f4));
    line(QStringLiteral("FLASH-Klasse"), QString::number(flashClassNumber(d.FlashClass)));
    line(QStringLiteral("EXDEV-Art"), panel.lbGExdev.visible ? panel.lbGExdev.caption : QStringLiteral("keine"));
    out << "Optionen:\n";
    for (const CheckBoxModel *box : panel.boxes())
        out << "  [" << (box->checked() ? 'x' : ' ') << "] " << box->caption().leftJustified(18) << QString::fromLatin1(box->name()).leftJustified(9)
            << (box->enabled() ? "" : " gesperrt") << "\n";
    out.flush();
}

int runInfo(CliSession &s, const QStringList &args)
{
    if (!args.isEmpty()) {
        s.err << "info: unerwartetes Argument " << args.first() << Qt::endl;
        return ExitUsage;
    }
    QString error = s.openLink();
    if (error.isEmpty())
        portErrorEnded([&] { ReadDeviceInfo(s.ctx); });
    const bool cancelled = s.ctx.link.CancelRequested;
    if (error.isEmpty() && !s.ctx.device.DeviceInfoRead)
        error = cancelled ? cancelText(s) : s.ui.lastMessage();
    const int code = s.ctx.device.DeviceInfoRead ? ExitOk : cancelled ? cancelExit(s) : ExitFailed;
    if (s.json)
        s.out << infoJson(s, error, code) << Qt::flush;
    else if (s.ctx.device.DeviceInfoRead)
        printInfo(s);
    return code;
}

const CliCommand registration("info", "", "Version und Konfiguration des KRV lesen", {}, true, &runInfo);
}
