#pragma once
#include <QByteArrayView>
#include <QtGlobal>
#include <functional>
#include <span>

// One Intel-HEX record whose checksum matched.
struct HexRecord {
    quint8 type;
    quint16 address;
    std::span<const quint8> data;
    int line;  // 1-based line of the record in the text
};

// Streaming Intel-HEX reader: begin(), feed() the text in pieces of any size,
// end(). Each record reaches the handler once its checksum has been verified;
// reading stops at the end-of-file record (whatever follows it is ignored),
// at the first fault, or when the handler returns false.
// A record ends with CR LF or LF alone; hex digits may be in either case.
class HexReader {
public:
    enum class Result {
        Reading,        // more text expected
        EndOfFile,      // the end-of-file record was read
        SyntaxError,    // the text left the record grammar
        ChecksumError,  // a record's checksum did not match
        Stopped,        // the handler refused a record
        Truncated,      // the text ended before the end-of-file record
    };
    using RecordHandler = std::function<bool(const HexRecord &)>;

    explicit HexReader(RecordHandler handler);

    void begin();
    Result feed(QByteArrayView text);
    Result end();

    Result result() const { return m_result; }
    // Line where reading stopped (or the current line while reading).
    int line() const { return m_line; }

private:
    enum class State { Colon, Digits, LineEnd, LineFeed };

    const char *takeDigits(const char *p, const char *stop);
    void recordComplete();

    RecordHandler m_handler;
    Result m_result = Result::Reading;
    State m_state = State::Colon;
    int m_line = 1;
    quint8 m_record[5 + 255];  // count, address (2), type, data, checksum
    int m_bytes = 0;           // bytes of the record read so far
    int m_recordSize = 0;      // bytes the record has, known after the count
    int m_highNibble = -1;     // first digit of a pair, -1 before it
};
