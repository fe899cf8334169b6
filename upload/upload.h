#pragma once
#include "upload/blocktransfer.h"
#include "upload/prechecks.h"
#include "upload/uploadphase.h"

#include <QString>
#include <functional>
#include <optional>

struct Context;
struct FirmwareImage;

// The upload: pre-checks, factory data, calibration switch, flash-update mode,
// block transfer and programming, one message at the end. The GUI's buttons
// and the CLI's flash command run the same object.
class Upload {
public:
    static constexpr int OnlyFabdataStart = 0x7FF00;

    // How a run ended, for scripts; the user sees the message box.
    enum class Outcome {
        None,           // no run yet, or one is running
        Ok,             // the device reported the flash burnt
        Failed,         // the device did not answer or answered wrongly
        Cancelled,      // the user cancelled
        Refused,        // a pre-check failed and the user ended the run
        SwitchClosed,   // the calibration switch is closed
        ImageRejected,  // the image cannot be uploaded at all; nothing was sent
    };

    explicit Upload(Context &ctx);

    // btUpdate, sbUpdate, smUpdate: one run from start to end.
    void btUpdateClick();
    // btAbbruch, sbAbbruch, smAbbruch.
    void btAbbruchClick();

    // From the start to the end of a run, the programming phase included.
    bool running() const { return m_running; }

    // The image is a KRV firmware (notFirmwareReason); btUpdateClick refuses
    // any other before anything is sent, whatever the user answers.
    static bool acceptsImage(const FirmwareImage &image);
    // The question after a failed pre-check; Yes ends the run.
    static QString preCheckQuestion(const QString &checkMessage);

    Phase UploadPhase = Phase::Refused;
    QString CheckMessage;
    PreCheckResult preCheck;            // of the last run
    std::optional<bool> preCheckEnded;  // the answer to "Upload beenden?" when a check failed
    TransferCounters counters;        // as the status line shows them; the programming reuses them
    TransferCounters recordCounters;  // as the record transfer left them
    TransferEnd transferEnd;          // of the last run
    Outcome outcome = Outcome::None;
    QString resultMessage;  // the text of the final message box; empty when none was shown
    // What the message box leaves unsaid about the last run; empty when nothing.
    QString note() const;

    // Ends a modem call before the final message. There is no modem support
    // yet: while ModemConnected is set, the owner must supply it.
    std::function<void()> hangUp;
    // Records and letters as they go, for progress displays.
    std::function<void(const TransferProgress &)> progress;

private:
    bool imageUploadable();
    void prepare();
    void checkDevice();
    bool calibrationSwitchOpen();
    bool enterFlashMode();
    void transfer();
    // Back to the saved line speed, with an empty input buffer.
    void restoreLine();
    void finish();

    Context &m_ctx;
    bool m_running = false;
    bool m_switchClosed = false;
    bool m_portFailed = false;  // a port error ended the run as a silent abort
    bool m_onlyFabdataWasEnabled = false;
};
