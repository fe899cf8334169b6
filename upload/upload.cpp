#include "upload/upload.h"

#include "comport/comport.h"
#include "comport/eabort.h"
#include "image/firmwareimage.h"
#include "image/imagefacts.h"
#include "frontend/context.h"
#include "device/devicecommand.h"
#include "device/devicedescription.h"
#include "frontend/frontend.h"
#include "link/link.h"
#include "device/readout.h"
#include "link/seriallink.h"
#include "options/optionsmodel.h"
#include "upload/factorydata.h"
#include "upload/prechecks.h"

Upload::Upload(Context &ctx) : m_ctx(ctx) {}

void Upload::btAbbruchClick()
{
    m_ctx.link.cancel();
    m_ctx.link.setFailed(false);
}

QString Upload::note() const
{
    if (!transferEnd.startLetterMissing)
        return {};
    return QStringLiteral("Das \"F\" des KRV auf den Endsatz ist nicht angekommen; "
                          "es hat gleich mit seinen Programmier-Meldungen geantwortet.");
}

bool Upload::acceptsImage(const FirmwareImage &image) { return notFirmwareReason(image).isEmpty(); }

QString Upload::preCheckQuestion(const QString &checkMessage)
{
    return checkMessage + QStringLiteral("\nUpload sollte beendet werden!!\n\nUpload beenden?");
}

bool Upload::imageUploadable()
{
    // The device kind is one bit of the image: without these checks any file
    // would pass as the firmware of one kind or the other.
    const QString reason = notFirmwareReason(m_ctx.image);
    if (reason.isEmpty())
        return true;
    resultMessage = reason;
    m_ctx.ui.showMessage(resultMessage);
    outcome = Outcome::ImageRejected;
    return false;
}

void Upload::prepare()
{
    Frontend &ui = m_ctx.ui;
    m_onlyFabdataWasEnabled = ui.options().cbOnlyFabdata.enabled();
    ui.options().cbOnlyFabdata.setEnabled(false);
    m_ctx.link.beginConversation();
    m_ctx.link.CarrierLost = false;  // a loss before this run is not its failure
    UploadPhase = Phase::Checking;
    CheckMessage.clear();
    preCheck = {};
    preCheckEnded.reset();
    counters = {};
    recordCounters = {};
    m_switchClosed = false;
    m_portFailed = false;
}

void Upload::checkDevice()
{
    Link &link = m_ctx.link;
    if (!m_ctx.device.DeviceInfoRead) {
        // The readout decides anew whether the firmware takes the factory
        // data alone; the box shows that after the run, not during it.
        CheckBoxModel &onlyFabdata = m_ctx.ui.options().cbOnlyFabdata;
        ReadDeviceInfo(m_ctx);
        m_onlyFabdataWasEnabled = onlyFabdata.enabled();
        onlyFabdata.setEnabled(false);
    } else {
        link.setFailed(false);
    }

    preCheck = runPreChecks(m_ctx.image, m_ctx.device, m_ctx.ui.options(), !link.LinkFailed);
    UploadPhase = preCheck.code;
    CheckMessage = preCheck.message;
    if (UploadPhase == Phase::Checking)
        return;
    m_ctx.ui.setStatus(1, CheckMessage);
    preCheckEnded = m_ctx.ui.askYesNo(preCheckQuestion(CheckMessage));
    if (*preCheckEnded) {
        UploadPhase = Phase::Refused;
        link.clearCancel();
        link.setFailed(true);
    }
}

bool Upload::calibrationSwitchOpen()
{
    Link &link = m_ctx.link;
    m_ctx.ui.setStatus(0, QStringLiteral("Zustand Eichschalter abrufen."));
    link.SendCommand(DeviceCommands::CalibrationSwitch.text, link.UseCrc);
    QByteArray answer;
    if (!DeviceCommands::CalibrationSwitch.answeredBy(link.ReceiveFrame(answer, link.UseCrc, link.limits.uploadFrameTimeoutMs))) {
        link.setFailed(true);
        return false;
    }
    if (answer.at(5) == '1')
        return true;
    m_ctx.ui.setStatus(1, QStringLiteral("Eichschalter ist zu!"));
    link.beginConversation();
    m_switchClosed = true;
    return false;
}

bool Upload::enterFlashMode()
{
    Link &link = m_ctx.link;
    UploadPhase = Phase::EnterFlashMode;
    m_ctx.ui.setStatus(0, QStringLiteral("FLASH-Update einleiten"));
    link.SendCommand(DeviceCommands::FlashMode.text, link.UseCrc);
    link.PumpWait(20);
    if (!link.TcpMode) {
        // Over a modem the modems keep their own line speed.
        if (!link.ModemConnected)
            link.SetBaudRate(br19200);
        link.PurgeInput();
    }

    // A cancel during the pause above must not be cleared away unseen: the
    // device has not been sent a record yet, so the run can still stop.
    if (link.CancelRequested)
        return false;
    link.setFailed(false);
    QByteArray answer;
    const FrameResult result = link.ReceiveFrame(answer, false, link.limits.goOnFlashingTimeoutMs);
    if (!link.TcpMode)
        link.PurgeInput();
    if (!DeviceCommands::FlashMode.answeredBy(result) || answer.mid(1, 12) != "GoOnFlashing") {
        link.setFailed(true);
        return false;
    }
    return true;
}

void Upload::transfer()
{
    UploadPhase = Phase::Transfer;
    m_ctx.ui.setStatus(0, QStringLiteral("Daten ans KRV senden"));
    int start = 0;
    CheckBoxModel &onlyFabdata = m_ctx.ui.options().cbOnlyFabdata;
    if (onlyFabdata.checked()) {
        onlyFabdata.setChecked(false);
        start = OnlyFabdataStart;
    }
    BlockTransfer blocks(m_ctx, UploadPhase, counters, recordCounters, transferEnd);
    blocks.progress = progress;
    blocks.run(start);
}

void Upload::restoreLine()
{
    Link &link = m_ctx.link;
    try {
        link.SetBaudRate(link.SavedBaudRate);
        link.PurgeInput();
    } catch (const EAbort &) {
        // The port's error handler has shown why; the run still ends properly.
        // A port the device's loss closed takes the rate for its next open.
        SerialLink *serial = link.serialLink();
        if (serial && !serial->isOpen())
            serial->SetBaudRate(link.SavedBaudRate);
    }
}

void Upload::finish()
{
    Link &link = m_ctx.link;
    Frontend &ui = m_ctx.ui;
    if (link.ModemConnected && hangUp)
        hangUp();

    if (UploadPhase == Phase::Refused) {
        outcome = Outcome::Refused;
    } else if (m_portFailed) {
        outcome = Outcome::Failed;
    } else if (link.CancelRequested && link.CarrierLost) {
        // The hang-up ended the waits as a cancel would, but nobody chose it.
        outcome = Outcome::Failed;
        resultMessage = QStringLiteral("Upload beendet: Modemverbindung verloren (kein Träger mehr)! PS: ")
                        + QString::number(phaseNumber(UploadPhase));
    } else if (link.CancelRequested) {
        outcome = Outcome::Cancelled;
        resultMessage = QStringLiteral("Abbruch durch den kundigen Benutzer!  ;-)");
    } else if (link.LinkFailed) {
        outcome = Outcome::Failed;
        resultMessage = QStringLiteral("Upload beendet: KRV reagiert nicht/falsch! PS: ") + QString::number(phaseNumber(UploadPhase));
    } else {
        outcome = m_switchClosed ? Outcome::SwitchClosed : UploadPhase == Phase::Programming ? Outcome::Ok : Outcome::Failed;
        resultMessage = QStringLiteral("Upload beendet: ") + ui.status(1);
    }
    if (!resultMessage.isEmpty())
        ui.showMessage(resultMessage);

    if (!link.TcpMode)
        restoreLine();
    ui.setStatus(0, QString());
    ui.setStatus(1, QString());
    // The device information shown before is no longer current.
    for (Control label : DeviceLabels)
        ui.setCaption(label, QString());
    ui.setBusyCursor(false);
    ui.options().cbOnlyFabdata.setEnabled(m_onlyFabdataWasEnabled);
    link.clearCancel();
    m_running = false;
}

void Upload::btUpdateClick()
{
    if (m_running)
        return;
    outcome = Outcome::None;
    resultMessage.clear();
    transferEnd = {};
    if (!imageUploadable())
        return;
    m_running = true;
    const ActivityScope cancellable(m_ctx.ui, Activity::Cancellable);
    prepare();
    try {
        checkDevice();
        if (!m_ctx.link.LinkFailed) {
            UploadPhase = Phase::FactoryData;
            m_ctx.ui.setStatus(1, QString());
            m_ctx.ui.setBusyCursor(true);
            writeFactoryData(m_ctx.ui.options(), m_ctx.image);
            if (calibrationSwitchOpen() && enterFlashMode())
                transfer();
        }
    } catch (const EAbort &) {
        // The port's error handler has shown the failure (a device unplugged):
        // the run still ends properly, without a second message.
        m_portFailed = true;
        if (UploadPhase == Phase::Transfer)  // the records sent so far
            recordCounters = counters;
    }
    finish();
}
