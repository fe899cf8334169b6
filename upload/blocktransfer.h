#pragma once
#include "upload/transfercounters.h"
#include "upload/transferprogress.h"
#include "upload/uploadphase.h"

#include <QByteArray>
#include <QtGlobal>
#include <functional>

struct Context;

// How the record transfer ended, for what the run tells afterwards.
struct TransferEnd {
    // The whole image went out: from here on the device may be programming.
    bool endRecordSent = false;
    // The end record was answered with a programming letter instead of "F":
    // the "F" was lost on the line and the device programs.
    bool startLetterMissing = false;
};

// The flash record protocol after "GoOnFlashing": data records of 256 bytes,
// address records where the data do not follow on, the end record, then the
// device's progress letters until it reports the flash burnt.
class BlockTransfer {
public:
    static constexpr quint8 EOT = 0x04;
    static constexpr quint8 ACK = 0x06;
    static constexpr quint8 NAK = 0x15;
    static constexpr quint8 StartProgramming = 'F';
    static constexpr quint8 ProgrammingDone = 'P';
    static constexpr int EndAddress = 0x0FFFFF;
    static constexpr int BlockSize = 256;
    static constexpr int NakDelayMs = 20;

    // recordCounters receives the counters as the record transfer left them,
    // before the programming phase reuses them for its letters.
    BlockTransfer(Context &ctx, Phase &uploadPhase, TransferCounters &counters, TransferCounters &recordCounters,
                  TransferEnd &end);

    // Called after each record and each letter.
    std::function<void(const TransferProgress &)> progress;

    // Sends the image from startAddress on and follows the programming phase.
    // LinkFailed is set when the transfer or the programming failed, and
    // uploadPhase is Programming once programming began.
    void run(int startAddress);

    static QByteArray addressRecord(int address);
    // 256 bytes from address on; bytes past the end of the image read as erased flash.
    static QByteArray dataRecord(const std::vector<quint8> &buffer, int imageSize, int address);

private:
    // "a", "p", "E", "S", "T", "C" or "P".
    static bool isProgrammingLetter(quint8 byte);
    // The reply that ended the transfer; 0 after a wrong EOT echo.
    quint8 transfer(int startAddress);
    // firstLetter: a letter already received, or 0.
    void programming(quint8 firstLetter);
    // Waits for the device's next letter; 0 when none came in time.
    quint8 nextLetter();
    // Shows a programming letter (0: none came) and counts it.
    void takeLetter(quint8 letter);
    bool blockIsBlank(int address) const;
    // The address and data records that carry the image from startAddress on.
    TransferCounters plannedRecords(int startAddress) const;
    // Sends a record until it is answered by something other than NAK.
    quint8 sendRecord(const QByteArray &record, int nakDelayMs);
    void showCounters();
    // The records sent so far to the progress display.
    void report();
    void notify();

    Context &m_ctx;
    Phase &m_phase;
    TransferCounters &m_counters;
    TransferCounters &m_recordCounters;
    TransferEnd &m_end;
    TransferProgress m_progress;
};
