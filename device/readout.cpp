#include "device/readout.h"

#include "image/firmwareimage.h"
#include "frontend/context.h"
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

// Disables the controls that could start a second device operation for the
// pass and gives them their state back after it, also when a port error
// aborts the pass.
class LockedControls {
public:
    explicit LockedControls(Frontend &ui) : m_ui(ui)
    {
        for (size_t i = 0; i < std::size(kLocked); ++i) {
            m_wasEnabled[i] = ui.isEnabled(kLocked[i]);
            ui.setEnabled(kLocked[i], false);
        }
    }
    ~LockedControls()
    {
        for (size_t i = 0; i < std::size(kLocked); ++i)
            m_ui.setEnabled(kLocked[i], m_wasEnabled[i]);
    }
    LockedControls(const LockedControls &) = delete;
    LockedControls &operator=(const LockedControls &) = delete;

private:
    static constexpr Control kLocked[] = {Control::pnFile, Control::pnFab, Control::pnKRV, Control::pnModem,
                                          Control::sbOpen, Control::sbUpdate, Control::sbComm};
    Frontend &m_ui;
    bool m_wasEnabled[std::size(kLocked)];
};

char charAt(const QByteArray &frame, int offset) { return offset < frame.size() ? frame.at(offset) : '\0'; }

// The device does not know the command: STX "?" ETX.
bool unknownToDevice(int result, const QByteArray &frame) { return result == 3 && charAt(frame, 1) == '?'; }

int ask(Context &ctx, const char *command, const QString &status, QByteArray &answer)
{
    ctx.ui.setStatus(1, status);
    ctx.link.SendCommand(command, ctx.link.UseCrc);
    return ctx.link.ReceiveFrame(answer, ctx.link.UseCrc, ctx.link.limits.commandTimeoutMs);
}

// Older firmware lacks the last three commands; a "?" (or any three-byte
// answer) lets the readout go on without decoding.
int keepWhenUnknown(int result, const QByteArray &answer)
{
    return result == 3 || (result > 0 && charAt(answer, 1) == '?') ? result : 0;
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

// One readout pass: the steps of the table share the answer buffer.
struct Pass {
    Context &ctx;
    int f4Before;      // cbF4 as the user saw it before the pass
    QString f4Notice;  // an unknown F4 mode, shown once the pass is over
    QByteArray a;      // the answer buffer

    int readVersion();
    int readFabNr();
    int readBuild();
    int readBaujahr();
    int readHardware();
    int readF4();
    int readAnalog();
    int readEnable(const char *command, const QString &status, OptionBox box);
    int readPtb();
    int readDsfg();
    int readNetwork();
    int readFlash();
    int readExdev();

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

int Pass::readVersion()
{
    const int result = ask(ctx, "B004", QStringLiteral("Lese Version"), a);
    if (result == 21) {
        ctx.device.VersionText = QString::fromLatin1(a.mid(5, 14));
        learnt(DeviceFact::Version);
        ctx.ui.setCaption(Control::lbVersion, ctx.device.VersionText);
    }
    return result;
}

int Pass::readFabNr()
{
    const int result = ask(ctx, "B142", QStringLiteral("Lese Fabriknummer"), a);
    if (result > 7) {
        ctx.device.FabNr = factoryNumber(a);
        learnt(DeviceFact::FactoryNumber);
        ctx.ui.options().setFabNr(ctx.device.FabNr);
    }
    return result;
}

int Pass::readBuild() { return ReadFwBuild(ctx); }

int Pass::readBaujahr()
{
    const int result = ask(ctx, "B143", QStringLiteral("Lese Baujahr"), a);
    if (result == 11) {
        ctx.device.Baujahr = QString::fromLatin1(a.mid(5, 4));
        learnt(DeviceFact::YearOfConstruction);
        ctx.ui.options().setBaujahr(ctx.device.Baujahr);
    }
    return result;
}

int Pass::readHardware()
{
    const int result = ask(ctx, "B939", QStringLiteral("Ermittle HW"), a);
    if (result == 9) {
        applyHardwareWord(ctx, int(answerNumber(a, 5, 3)));
        learnt(DeviceFact::HardwareWord);
        learntBoxes([](const OptionBoxEntry &entry) { return entry.hardware.any(); });
        return result;
    }
    if (!unknownToDevice(result, a))
        return 0;
    // Older firmware tells only the clock chip; its answer is optional.
    if (ask(ctx, "B938", QStringLiteral("Ermittle RTC"), a) == 7) {
        if (a.at(5) == '1')
            ctx.ui.options().box(OptionBox::RTC).setChecked(true);
        learnt(OptionBox::RTC);
    }
    return 1;
}

int Pass::readF4()
{
    const int result = ask(ctx, "B146", QStringLiteral("Lese F4-Modus"), a);
    if (result != 9)
        return result;
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
    return 1;
}

int Pass::readAnalog()
{
    const int result = ask(ctx, "B144", QStringLiteral("Lese Analogfreigabe"), a);
    if (result == 8) {
        applyAnalogInputs(ctx.ui.options(), a.at(5) - '0');
        learnt(DeviceFact::AnalogInputs);
        return 1;
    }
    if (result == 3 && ctx.device.DeviceKind == KrvModel::KRV465) {  // a KRV465 without analog inputs
        applyAnalogInputs(ctx.ui.options(), 0);
        learnt(DeviceFact::AnalogInputs);
        return 1;
    }
    return result;
}

// A function the device enables or not: the first data character is "0" when not.
int Pass::readEnable(const char *command, const QString &status, OptionBox box)
{
    const int result = ask(ctx, command, status, a);
    if (result == 8) {
        ctx.ui.options().box(box).setChecked(a.at(5) != '0');
        learnt(box);
    }
    return result;
}

int Pass::readPtb() { return readEnable("B153", QStringLiteral("Lese PTB-Freigabe"), OptionBox::PTB); }

int Pass::readDsfg()
{
    const int result = readEnable("B162", QStringLiteral("Lese DSfG-Freigabe"), OptionBox::DSfG);
    if (result == 8 && quint8(a.at(5)) > '0')
        ctx.ui.setCaption(Control::lbDSfG, QStringLiteral("DSfG"));
    return result;
}

int Pass::readNetwork()
{
    const int result = ask(ctx, "B940", QStringLiteral("Ermittle Vernetzung"), a);
    if (result != 9)
        return keepWhenUnknown(result, a);
    applyNetwork(ctx.ui.options(), answerNumber(a, 5, 3));
    learntBoxes([](const OptionBoxEntry &entry) { return entry.networkValues != 0; });
    return result;
}

int Pass::readFlash()
{
    ctx.device.FlashClass = FlashChip::Undetermined;
    const int result = ask(ctx, "B941", QStringLiteral("Ermittle FLASH-Type"), a);
    if (result != 10)
        return keepWhenUnknown(result, a);
    applyFlashId(ctx.ui.options(), ctx.device, a.mid(5, 4));
    learnt(DeviceFact::FlashChip);
    return result;
}

int Pass::readExdev()
{
    ctx.device.DeviceExdevType = 0;
    const int result = ask(ctx, "B942", QStringLiteral("Ermittle EXDEV-Art"), a);
    if (result != 9)
        return keepWhenUnknown(result, a);
    applyExdev(ctx.ui.options(), ctx.device, answerNumber(a, 5, 3));
    learnt(DeviceFact::Exdev);
    return result;
}

using Step = int (Pass::*)();
const Step kSteps[] = {&Pass::readVersion, &Pass::readFabNr, &Pass::readBuild, &Pass::readBaujahr,
                       &Pass::readHardware, &Pass::readF4, &Pass::readAnalog, &Pass::readPtb,
                       &Pass::readDsfg, &Pass::readNetwork, &Pass::readFlash, &Pass::readExdev};
}

void ReadDeviceInfo(Context &ctx)
{
    Frontend &ui = ctx.ui;
    const LockedControls locked(ui);
    Pass pass{ctx, ui.options().cbF4, {}, {}};
    clearWindow(ctx);
    ctx.device.DeviceKind = KrvModel::None;
    ctx.device.VersionText.clear();
    ctx.device.FabNr.clear();
    ctx.device.Baujahr.clear();
    ctx.device.FactsRead = {};
    ctx.device.BoxesRead.reset();
    ctx.link.clearCancel();

    int result = WakeDevice(ctx);
    if (result > 0) {
        ctx.link.PurgeInput();
        ui.setStatus(0, QStringLiteral("Anfordern der Konfigurationsdaten"));
    }
    for (Step step : kSteps) {
        if (result <= 0)
            break;
        result = (pass.*step)();
    }

    if (result > 0) {
        ctx.device.DeviceInfoRead = true;
    } else {
        ui.setStatus(1, QStringLiteral("KRV reagiert falsch oder nicht!!"));
        if (!ui.exitRequested())
            ui.showMessage(QStringLiteral("KRV reagiert falsch oder nicht!"));
    }
    ui.setStatus(0, QString());
    ui.setStatus(1, pass.f4Notice);
}

int ReadFwBuild(Context &ctx)
{
    ctx.ui.setStatus(1, QStringLiteral("Lese FW-Build"));
    ctx.ui.setCaption(Control::lbIntVersion, QString());
    QCoreApplication::processEvents();

    QByteArray answer;
    ctx.link.SendCommand("B937", ctx.link.UseCrc);
    const int result = ctx.link.ReceiveFrame(answer, ctx.link.UseCrc, ctx.link.limits.commandTimeoutMs);
    if (result == 22) {
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
