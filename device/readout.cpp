#include "device/readout.h"

#include "image/firmwareimage.h"
#include "frontend/context.h"
#include "device/devicecommand.h"
#include "device/devicedescription.h"
#include "frontend/frontend.h"
#include "link/link.h"
#include "device/readoutdecode.h"
#include "device/wakeup.h"
#include "options/optionsmodel.h"

#include <QCoreApplication>

namespace {
// The first build date whose firmware takes the factory data alone.
constexpr int kFirstFabdataOnlyBuild = 20071211;

char charAt(const QByteArray &frame, int offset) { return offset < frame.size() ? frame.at(offset) : '\0'; }

// The device does not know the command: STX "?" ETX.
bool unknownToDevice(const FrameResult &result, const QByteArray &frame)
{
    return result.is(ShortAnswerLength) && charAt(frame, 1) == '?';
}

FrameResult ask(Context &ctx, const DeviceCommand &command, const QString &status, QByteArray &answer)
{
    ctx.ui.setStatus(1, status);
    return askDevice(ctx.link, command, answer);
}

// Older firmware lacks the last three commands; a "?" (or any three-byte
// answer) lets the readout go on without decoding.
bool goesOnWhenUnknown(const FrameResult &result, const QByteArray &answer)
{
    return result.is(ShortAnswerLength) || (result.ok() && charAt(answer, 1) == '?');
}

void clearWindow(Context &ctx)
{
    OptionsModel &panel = ctx.ui.options();
    for (Control label : DeviceLabels)
        ctx.ui.setCaption(label, QString());
    panel.setFabNr(QString());
    panel.setBaujahr(QString());
    panel.setF4Index(0);
    for (const OptionBoxEntry &entry : optionBoxes()) {
        if (entry.has(ReadoutClears))
            panel.box(entry.box).setChecked(false);
    }
    panel.setLabel(panel.lbGExdev, panel.lbGExdev.caption, false);
    panel.cbOnlyFabdata.setChecked(false);
    panel.cbOnlyFabdata.setEnabled(false);
    // These show the device's answer and stay locked.
    for (const OptionBoxEntry &entry : optionBoxes()) {
        if (entry.has(ReadoutLocks))
            panel.box(entry.box).setEnabled(false);
    }
}

// One readout pass: the steps of the table share the answer buffer. A step
// says whether the pass goes on.
struct Pass {
    Context &ctx;
    int f4Before;      // cbF4 as the user saw it before the pass
    QString f4Notice;  // an unknown F4 mode, shown once the pass is over
    QByteArray a;      // the answer buffer

    bool readVersion();
    bool readFabNr();
    bool readBuild();
    bool readBaujahr();
    bool readHardware();
    bool readF4();
    bool readAnalog();
    FrameResult readEnable(const DeviceCommand &command, const QString &status, OptionBox box);
    bool readPtb();
    bool readDsfg();
    bool readNetwork();
    bool readFlash();
    bool readExdev();

    void learnt(DeviceFact fact) { ctx.device.FactsRead |= fact; }
    void learnt(OptionBox box) { ctx.device.BoxesRead.set(boxIndex(box)); }
    // The boxes an answer sets, each by its own rule in the table.
    template <typename SetBy>
    void learntBoxes(SetBy setBy)
    {
        for (const OptionBoxEntry &entry : optionBoxes()) {
            if (setBy(entry))
                learnt(entry.box);
        }
    }
};

bool Pass::readVersion()
{
    const FrameResult result = ask(ctx, DeviceCommands::Version, QStringLiteral("Lese Version"), a);
    if (DeviceCommands::Version.answeredBy(result)) {
        ctx.device.VersionText = QString::fromLatin1(a.mid(5, 14));
        learnt(DeviceFact::Version);
        ctx.ui.setCaption(Control::lbVersion, ctx.device.VersionText);
    }
    return result.ok();
}

bool Pass::readFabNr()
{
    const FrameResult result = ask(ctx, DeviceCommands::FabNr, QStringLiteral("Lese Fabriknummer"), a);
    if (DeviceCommands::FabNr.answeredBy(result)) {
        ctx.device.FabNr = factoryNumber(a);
        learnt(DeviceFact::FactoryNumber);
        ctx.ui.options().setFabNr(ctx.device.FabNr);
    }
    return result.ok();
}

bool Pass::readBuild() { return ReadFwBuild(ctx).ok(); }

bool Pass::readBaujahr()
{
    const FrameResult result = ask(ctx, DeviceCommands::Baujahr, QStringLiteral("Lese Baujahr"), a);
    if (DeviceCommands::Baujahr.answeredBy(result)) {
        ctx.device.Baujahr = QString::fromLatin1(a.mid(5, 4));
        learnt(DeviceFact::YearOfConstruction);
        ctx.ui.options().setBaujahr(ctx.device.Baujahr);
    }
    return result.ok();
}

bool Pass::readHardware()
{
    const FrameResult result = ask(ctx, DeviceCommands::Hardware, QStringLiteral("Ermittle HW"), a);
    if (DeviceCommands::Hardware.answeredBy(result)) {
        applyHardwareWord(ctx, int(answerNumber(a, 5, 3)));
        learnt(DeviceFact::HardwareWord);
        learntBoxes([](const OptionBoxEntry &entry) { return entry.hardware.any(); });
        return true;
    }
    if (!unknownToDevice(result, a))
        return false;
    // Older firmware tells only the clock chip; its answer is optional.
    if (DeviceCommands::Rtc.answeredBy(ask(ctx, DeviceCommands::Rtc, QStringLiteral("Ermittle RTC"), a))) {
        if (a.at(5) == '1')
            ctx.ui.options().box(OptionBox::RTC).setChecked(true);
        learnt(OptionBox::RTC);
    }
    return true;
}

bool Pass::readF4()
{
    const FrameResult result = ask(ctx, DeviceCommands::F4Mode, QStringLiteral("Lese F4-Modus"), a);
    if (!DeviceCommands::F4Mode.answeredBy(result))
        return result.ok();
    // An index the list does not have must never reach the factory data:
    // keep the selection the user saw before the pass and say so after it.
    const long index = answerNumber(a, 5, 3);
    if (index < 0 || index >= OptionsModel::F4Items.size()) {
        ctx.ui.options().setF4Index(f4Before);
        f4Notice = QStringLiteral("Unbekannter F4-Modus %1, Auswahl bleibt").arg(index);
    } else {
        ctx.ui.options().setF4Index(int(index));
        learnt(DeviceFact::F4Function);
    }
    return true;
}

bool Pass::readAnalog()
{
    const FrameResult result = ask(ctx, DeviceCommands::Analog, QStringLiteral("Lese Analogfreigabe"), a);
    if (DeviceCommands::Analog.answeredBy(result)) {
        applyAnalogInputs(ctx.ui.options(), a.at(5) - '0');
        learnt(DeviceFact::AnalogInputs);
        return true;
    }
    if (result.is(ShortAnswerLength) && ctx.device.DeviceKind == KrvModel::KRV465) {  // a KRV465 without analog inputs
        applyAnalogInputs(ctx.ui.options(), 0);
        learnt(DeviceFact::AnalogInputs);
        return true;
    }
    return result.ok();
}

// A function the device enables or not: the first data character is "0" when not.
FrameResult Pass::readEnable(const DeviceCommand &command, const QString &status, OptionBox box)
{
    const FrameResult result = ask(ctx, command, status, a);
    if (command.answeredBy(result)) {
        ctx.ui.options().box(box).setChecked(a.at(5) != '0');
        learnt(box);
    }
    return result;
}

bool Pass::readPtb() { return readEnable(DeviceCommands::PtbEnable, QStringLiteral("Lese PTB-Freigabe"), OptionBox::PTB).ok(); }

bool Pass::readDsfg()
{
    const FrameResult result = readEnable(DeviceCommands::DsfgEnable, QStringLiteral("Lese DSfG-Freigabe"), OptionBox::DSfG);
    if (DeviceCommands::DsfgEnable.answeredBy(result) && quint8(a.at(5)) > '0')
        ctx.ui.setCaption(Control::lbDSfG, QStringLiteral("DSfG"));
    return result.ok();
}

bool Pass::readNetwork()
{
    const FrameResult result = ask(ctx, DeviceCommands::Network, QStringLiteral("Ermittle Vernetzung"), a);
    if (!DeviceCommands::Network.answeredBy(result))
        return goesOnWhenUnknown(result, a);
    applyNetwork(ctx.ui.options(), answerNumber(a, 5, 3));
    learntBoxes([](const OptionBoxEntry &entry) { return entry.networkValues != 0; });
    return true;
}

bool Pass::readFlash()
{
    ctx.device.FlashClass = FlashChip::Undetermined;
    const FrameResult result = ask(ctx, DeviceCommands::FlashType, QStringLiteral("Ermittle FLASH-Type"), a);
    if (!DeviceCommands::FlashType.answeredBy(result))
        return goesOnWhenUnknown(result, a);
    applyFlashId(ctx.ui.options(), ctx.device, a.mid(5, 4));
    learnt(DeviceFact::FlashChip);
    return true;
}

bool Pass::readExdev()
{
    ctx.device.DeviceExdevType = 0;
    const FrameResult result = ask(ctx, DeviceCommands::Exdev, QStringLiteral("Ermittle EXDEV-Art"), a);
    if (!DeviceCommands::Exdev.answeredBy(result))
        return goesOnWhenUnknown(result, a);
    applyExdev(ctx.ui.options(), ctx.device, answerNumber(a, 5, 3));
    learnt(DeviceFact::Exdev);
    return true;
}

using Step = bool (Pass::*)();
const Step kSteps[] = {&Pass::readVersion, &Pass::readFabNr, &Pass::readBuild, &Pass::readBaujahr,
                       &Pass::readHardware, &Pass::readF4, &Pass::readAnalog, &Pass::readPtb,
                       &Pass::readDsfg, &Pass::readNetwork, &Pass::readFlash, &Pass::readExdev};
}

void ReadDeviceInfo(Context &ctx)
{
    Frontend &ui = ctx.ui;
    // Busy until the pass is over, also when a port error aborts it.
    const ActivityScope busy(ui, Activity::Busy);
    Pass pass{ctx, ui.options().cbF4, {}, {}};
    clearWindow(ctx);
    ctx.device.DeviceKind = KrvModel::None;
    ctx.device.VersionText.clear();
    ctx.device.FabNr.clear();
    ctx.device.Baujahr.clear();
    ctx.device.FactsRead = {};
    ctx.device.BoxesRead.reset();
    ctx.link.clearCancel();

    bool goOn = WakeDevice(ctx);
    if (goOn) {
        ctx.link.PurgeInput();
        ui.setStatus(0, QStringLiteral("Anfordern der Konfigurationsdaten"));
    }
    for (Step step : kSteps) {
        if (!goOn)
            break;
        goOn = (pass.*step)();
    }

    if (goOn) {
        ctx.device.DeviceInfoRead = true;
    } else {
        ui.setStatus(1, QStringLiteral("KRV reagiert falsch oder nicht!!"));
        if (!ui.exitRequested())
            ui.showMessage(QStringLiteral("KRV reagiert falsch oder nicht!"));
    }
    ui.setStatus(0, QString());
    ui.setStatus(1, pass.f4Notice);
}

FrameResult ReadFwBuild(Context &ctx)
{
    ctx.ui.setStatus(1, QStringLiteral("Lese FW-Build"));
    ctx.ui.setCaption(Control::lbIntVersion, QString());
    QCoreApplication::processEvents();

    QByteArray answer;
    const FrameResult result = askDevice(ctx.link, DeviceCommands::FwBuild, answer);
    if (DeviceCommands::FwBuild.answeredBy(result)) {
        ctx.device.DeviceFwDate = firmwareDate(answer);
        ctx.device.FactsRead |= DeviceFact::BuildDate;
        OptionsModel &panel = ctx.ui.options();
        if (ctx.device.DeviceFwDate >= kFirstFabdataOnlyBuild) {
            panel.cbOnlyFabdata.setEnabled(true);
        } else {
            panel.cbOnlyFabdata.setChecked(false);
            panel.cbOnlyFabdata.setEnabled(false);
        }
    }
    ctx.ui.setStatus(1, QString());
    return result;
}
