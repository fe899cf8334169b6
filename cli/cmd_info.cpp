// info: the device information readout, as text or one JSON object.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "cli/orderedjson.h"
#include "cli/showtext.h"
#include "link/devicedescription.h"
#include "link/link.h"
#include "link/readout.h"
#include "options/optionsmodel.h"

namespace {
QByteArray infoJson(CliSession &s, const QString &error)
{
    const DeviceDescription &d = s.ctx.device;
    OptionsModel &panel = s.ui.options();
    OrderedJson checked;
    OrderedJson enabled;
    for (const CheckBoxModel *box : panel.boxes()) {
        checked.add(box->name(), box->checked());
        enabled.add(box->name(), box->enabled());
    }
    // The label's text before any readout is a placeholder, not a version.
    const QString version = s.ui.caption(Control::lbVersion);
    const bool versionRead = !version.isEmpty() && version != QLatin1String(".");
    OrderedJson o;
    o.add("DeviceInfoRead", d.DeviceInfoRead)
        .add("DeviceKind", krvModelNumber(d.DeviceKind))
        .add("DeviceFwDate", d.DeviceFwDate)
        .add("FlashClass", flashClassNumber(d.FlashClass))
        .add("DeviceExdevType", d.DeviceExdevType)
        .add("lbVersion", versionRead ? QJsonValue(version) : QJsonValue(QJsonValue::Null))
        .add("edFabNr", panel.edFabNr.text)
        .add("edBaujahr", panel.edBaujahr.text)
        .add("cbF4", panel.cbF4)
        .add("lbF4", panel.lbF4.caption)
        .add("lbGExdev", panel.lbGExdev.visible ? QJsonValue(panel.lbGExdev.caption) : QJsonValue(QJsonValue::Null))
        .add("checked", checked)
        .add("enabled", enabled)
        .add("captions", OrderedJson().add("cbAnalog", panel.cbAnalog.caption()).add("cb40", panel.cb40.caption()));
    if (!error.isEmpty())
        o.add("error", error);
    return o.text();
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
    if (s.json)
        s.out << infoJson(s, error) << Qt::endl;
    else if (s.ctx.device.DeviceInfoRead)
        printInfo(s);
    if (s.ctx.device.DeviceInfoRead)
        return ExitOk;
    return cancelled ? cancelExit(s) : ExitFailed;
}

const CliCommand registration("info", "", "Version und Konfiguration des KRV lesen", {}, true, &runInfo);
}
