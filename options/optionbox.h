#pragma once
#include <QtGlobal>

#include <bitset>
#include <span>

// The option check boxes of the options panel, in keyboard order. Code names a
// single box only where that box has a rule of its own; everything that treats
// the boxes alike walks optionBoxes().
enum class OptionBox : quint8 {
    PTB, Rack470Z, U230, Flash20, Flash40, U24, Klemm, RTC,
    Netz, Analog, Batt, Image512, KRV465, Res3, DSfG, Master,
};
inline constexpr int OptionBoxCount = 16;
constexpr int boxIndex(OptionBox box) { return static_cast<int>(box); }

// A set of boxes, e.g. those a readout filled from the device's answers.
using OptionBoxes = std::bitset<OptionBoxCount>;

// How the steps that set the boxes treat one of them.
enum BoxRole : quint16 {
    EnabledAtStart = 0x01,
    FactoryHelp = 0x02,    // opens the help page of the factory data
    ReadoutClears = 0x04,  // unticked when a readout starts
    ReadoutLocks = 0x08,   // shows the device's answer: locked by every readout
    FileLocks = 0x10,      // locked by every file load
};

// What a KRV465 means for a box: its model fixes some options.
enum class On465 : quint8 {
    Free,     // not fixed by the model
    Locked,   // left as it is, but locked
    Absent,   // the model lacks it
    Present,  // the model always has it
};

// Hardware word ("B939"): the box is ticked when one of anyClear's bits is
// clear, or when all of allSet's bits are set.
struct HardwareBits {
    quint8 anyClear = 0;
    quint8 allSet = 0;
    constexpr bool any() const { return anyClear || allSet; }
    constexpr bool ticks(int word) const
    {
        return (anyClear && (word & anyClear) != anyClear) || (allSet && (word & allSet) == allSet);
    }
};

// Where a box goes in the factory data of the image's information block.
struct FactoryField {
    enum Kind : quint8 {
        None,
        Flag,              // the byte is 1 when ticked, else 0
        ClearedWhenTicked, // a bit of the option byte, cleared when ticked
        ClearedWhenClear,  // a bit of the option byte, cleared when not ticked
        Coded,             // part of a byte with a rule of its own
    };
    Kind kind = None;
    quint8 byte = 0;
    quint8 bit = 0;
};

struct OptionBoxEntry {
    OptionBox box;
    const char *name;        // the control's name
    const char *caption;     // UTF-8
    const char *hint = "";   // UTF-8; empty for display-only boxes
    quint8 row = 0;          // grid place on the panel
    quint8 column = 0;
    quint16 roles = 0;       // BoxRole flags
    On465 on465 = On465::Free;
    HardwareBits hardware{};
    quint8 networkValues = 0;  // "B940": bit n set when the value n ticks it
    quint8 imageByte = 0;      // file load: ticked when this byte of the
    quint8 imageMask = 0;      // information block has a bit of the mask set
    FactoryField factory{};
    const char *jsonName = nullptr;  // under "options" of the info output
    quint8 jsonRank = 0;             // its place there, from 1

    bool has(BoxRole role) const { return roles & role; }
};

// One row per box, in the order of OptionBox.
std::span<const OptionBoxEntry> optionBoxes();
const OptionBoxEntry &optionBox(OptionBox box);

// The grid of the panel the places refer to.
inline constexpr int OptionGridRows = 4;
inline constexpr int OptionGridColumns = 4;
