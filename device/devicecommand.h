#pragma once
#include "link/frameresult.h"

#include <QByteArray>

class Link;

// A command to the device and the length of its answer frame, STX to ETX.
struct DeviceCommand {
    const char *text;
    int answerLength;
    bool orLonger = false;  // the answer varies in length; answerLength is its least

    // The answer is the one this command expects, judged by its length.
    bool answeredBy(const FrameResult &result) const
    {
        return result.ok() && (orLonger ? result.length >= answerLength : result.length == answerLength);
    }
};

// STX, one character, ETX: "?" from firmware that does not know a command.
inline constexpr int ShortAnswerLength = 3;

namespace DeviceCommands {
inline constexpr DeviceCommand Wake{"Q", 3};  // "Q", or "=" for the read password
inline constexpr DeviceCommand Version{"B004", 21};
inline constexpr DeviceCommand FabNr{"B142", 8, true};
inline constexpr DeviceCommand FwBuild{"B937", 22};
inline constexpr DeviceCommand Baujahr{"B143", 11};
inline constexpr DeviceCommand Hardware{"B939", 9};
inline constexpr DeviceCommand Rtc{"B938", 7};  // older firmware's stand-in for Hardware
inline constexpr DeviceCommand F4Mode{"B146", 9};
inline constexpr DeviceCommand Analog{"B144", 8};
inline constexpr DeviceCommand PtbEnable{"B153", 8};
inline constexpr DeviceCommand DsfgEnable{"B162", 8};
inline constexpr DeviceCommand Network{"B940", 9};
inline constexpr DeviceCommand FlashType{"B941", 10};
inline constexpr DeviceCommand Exdev{"B942", 9};
inline constexpr DeviceCommand Clock{"B218", 18, true};  // read; set is "C218" with the time
inline constexpr DeviceCommand CalibrationSwitch{"B152", 8};
inline constexpr DeviceCommand FlashMode{"1FLASH", 14};  // answered "GoOnFlashing", without CRC
}

// Sends the command (CRC as UseCrc) and waits limits.commandTimeoutMs for the answer.
FrameResult askDevice(Link &link, const DeviceCommand &command, QByteArray &answer);
