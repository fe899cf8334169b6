#pragma once

// What a wait for an answer frame got: a whole frame, or why there is none.
struct FrameResult {
    enum class Kind {
        Frame,       // STX..ETX with the expected CRC, if one was expected
        NoAnswer,    // time-out, cancel, or an answer longer than the buffer
        MissingCrc,  // a whole frame, but the CRC expected after it never came
        BadCrc,      // the CRC does not match, or a cancel came during it
    };
    Kind kind = Kind::NoAnswer;
    int length = 0;  // bytes STX..ETX of a Frame or a MissingCrc

    static constexpr FrameResult frame(int length) { return {Kind::Frame, length}; }
    static constexpr FrameResult noAnswer() { return {Kind::NoAnswer, 0}; }
    static constexpr FrameResult missingCrc(int length) { return {Kind::MissingCrc, length}; }
    static constexpr FrameResult badCrc() { return {Kind::BadCrc, 0}; }

    bool ok() const { return kind == Kind::Frame; }
    // A frame of exactly length bytes.
    bool is(int frameLength) const { return ok() && length == frameLength; }
    // A frame of that length, whether or not its CRC came.
    bool hasLength(int frameLength) const
    {
        return (kind == Kind::Frame || kind == Kind::MissingCrc) && length == frameLength;
    }
    // As the raw command reports it: n, 0, -n (no CRC), -1 (bad CRC).
    int code() const
    {
        switch (kind) {
        case Kind::Frame: return length;
        case Kind::NoAnswer: return 0;
        case Kind::MissingCrc: return -length;
        case Kind::BadCrc: return -1;
        }
        return 0;
    }
    bool operator==(const FrameResult &) const = default;
};
