#pragma once
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

class DeviceSim;

// The device's flash-update mode: answers "1FLASH" with "GoOnFlashing" at
// 19200 bit/s, takes address, data and end records, checks each of them,
// keeps what was written and reports the programming with its letters.
// Checks strictly, so a fault of the program's record sequence shows up in
// protocolErrors and ends the transfer instead of passing unnoticed.
class FlashSide : public QObject {
    Q_OBJECT
public:
    static constexpr int FlashSize = 0x80000;
    static constexpr int EndAddress = 0x0FFFFF;
    static constexpr int FlashBitsPerSecond = 19200;

    explicit FlashSide(DeviceSim &device, QObject *parent = nullptr);

    enum class Kind { Address, Data, Eot, End };
    struct Record {
        Kind kind;
        int address;  // of an address or end record, or where a data record went
        quint8 reply;
        bool operator==(const Record &) const = default;
    };

    // What the program sent, in order, repeats included: the last
    // KeptRecords, more than a whole flash of blocks with a gap after each.
    static constexpr qsizetype KeptRecords = 4096;
    QList<Record> records;
    // Anything the program did against the protocol: the last KeptErrors.
    static constexpr qsizetype KeptErrors = 64;
    QStringList protocolErrors;
    // The flash as written by the last transfer; 0xFF where nothing was written.
    QByteArray flash;
    bool inFlashMode() const { return m_inFlashMode; }
    bool programmed() const { return m_programmed; }

    // Speed of the command protocol, taken up again after programming.
    int commandBitsPerSecond = 9600;
    // The device needs this long after "1FLASH" before it answers; the program
    // switches its line speed meanwhile.
    int goOnDelayMs = 100;
    // Time between programming letters; 0 sends them all at once.
    int letterIntervalMs = 0;

    struct Faults {
        int nakRecord = 0;         // NAK the n-th record (1-based; address, data and end records) once
        int nakCount = 1;          // ... and the records after it, nakCount in all: a NAK storm
        int garbageAtRecord = 0;   // answer the n-th record with a byte outside the protocol
        int silentFromRecord = 0;  // answer nothing from the n-th record on
        int dropLinkAtRecord = 0;  // drop the link when the n-th record arrives
        bool endAnsweredWithAck = false;
        bool startLetterLost = false;  // the end record's "F" is lost on the line; the letters follow it
        quint8 eotReply = 0x04;       // what EOT is answered with; the echo by default
        bool noGoOnFlashing = false;  // never answer "1FLASH"
        // Letters of the programming phase; empty: a plausible sequence for
        // what was received, ending in "P".
        QByteArray letters;
    } faults;

    // The restart after "P". Modelled, the device closes a TCP line, answers
    // nothing for silentMs, then reads out as the firmware now in its flash
    // (the version text is the image's identification text, the build date
    // the image's date). Not modelled, it answers at once, as before.
    struct Restart {
        bool modelled = false;
        int silentMs = 3000;
        bool oldFirmware = false;  // the burn did not take: it still runs what it ran
        bool neverBack = false;    // it does not start again
    } restart;

    // Back to the command protocol with an erased record log.
    void reset();

signals:
    // The programming ended with "P": flash holds what the device now runs.
    void programmingDone();

private:
    void begin();
    void receive(const QByteArray &bytes);
    void take(quint8 byte);
    void addressRecord();
    void dataRecord();
    void eot();
    void keep(const Record &record);
    void reply(Kind kind, int address, quint8 byte);
    void error(const QString &text);
    bool faultAnswered(Kind kind, int address);
    void startProgramming();
    void sendNextLetter();
    void leaveFlashMode();
    void restartDevice();
    void runFlashedFirmware();

    DeviceSim &m_device;
    bool m_inFlashMode = false;
    bool m_programmed = false;
    QByteArray m_record;   // the record being received, from its first byte
    int m_expectedLength = 0;
    int m_address = -1;    // where the next data record goes; -1 before an address record
    bool m_dataSinceAddress = false;
    bool m_eotSinceData = false;
    int m_recordCount = 0;
    int m_addressRecords = 0;
    int m_dataRecords = 0;
    int m_sectorsWritten = 0;  // it erases the sectors up to the highest block written
    QByteArray m_letters;
    QTimer m_letterTimer;
};
