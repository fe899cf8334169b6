#include "options/optionbox.h"

#include <array>

namespace {
// The boxes that show the device's own answer: cleared and locked by every
// readout, locked by every file load.
constexpr quint16 kDeviceAnswer = ReadoutClears | ReadoutLocks | FileLocks;

constexpr std::array<OptionBoxEntry, OptionBoxCount> kBoxes{{
    {.box = OptionBox::PTB, .name = "cbPTB", .caption = "PTB-Zeit", .hint = "mit/ohne PTB-Zeitdienst",
     .row = 0, .column = 0, .roles = kDeviceAnswer | FactoryHelp, .on465 = On465::Present,
     .imageByte = 20, .imageMask = 0x0F, .factory = {FactoryField::Flag, 20}, .jsonName = "ptb", .jsonRank = 1},
    {.box = OptionBox::Rack470Z, .name = "cb470Z", .caption = "KRV470Z", .hint = "KRV470Z in 19\" Ausführung",
     .row = 1, .column = 0, .roles = kDeviceAnswer | FactoryHelp, .on465 = On465::Absent, .hardware = {.anyClear = 0x01},
     .factory = {FactoryField::ClearedWhenTicked, 21, 0}, .jsonName = "rackVariant", .jsonRank = 5},
    {.box = OptionBox::U230, .name = "cbU230", .caption = "STV-230V", .hint = "230 V Stromversorgung ",
     .row = 2, .column = 0, .roles = kDeviceAnswer, .hardware = {.anyClear = 0x10},
     .factory = {FactoryField::ClearedWhenTicked, 21, 4}, .jsonName = "supply230V", .jsonRank = 9},
    {.box = OptionBox::Flash20, .name = "cb20", .caption = "AT29LV020", .hint = "52K-Flash im KRV",
     .row = 3, .column = 0, .roles = ReadoutClears},
    {.box = OptionBox::Flash40, .name = "cb40", .caption = "AT29LV040", .hint = "256K-Flash im KRV",
     .row = 3, .column = 1, .roles = ReadoutClears},
    {.box = OptionBox::U24, .name = "cbU24", .caption = "STV-24V", .hint = "24 V Stromversorgung",
     .row = 2, .column = 1, .roles = kDeviceAnswer, .hardware = {.anyClear = 0x20},
     .factory = {FactoryField::ClearedWhenTicked, 21, 5}, .jsonName = "supply24V", .jsonRank = 10},
    {.box = OptionBox::Klemm, .name = "cbKlemm", .caption = "ab LP318.02", .hint = "Klemmenplatte ab LP318.02",
     .row = 1, .column = 1, .roles = kDeviceAnswer | FactoryHelp, .on465 = On465::Absent, .hardware = {.anyClear = 0x03},
     .factory = {FactoryField::ClearedWhenTicked, 21, 1}, .jsonName = "terminalBoardLp31802", .jsonRank = 6},
    {.box = OptionBox::RTC, .name = "cbRTC", .caption = "RTC7301", .hint = "RTC63421 oder RTC7301",
     .row = 0, .column = 1, .roles = kDeviceAnswer | FactoryHelp, .on465 = On465::Present, .hardware = {.anyClear = 0x04},
     .factory = {FactoryField::ClearedWhenTicked, 21, 2}, .jsonName = "rtc7301", .jsonRank = 8},
    {.box = OptionBox::Netz, .name = "cbNetz", .caption = "Vernetzt", .hint = "Mehrere KRV's vernetzen",
     .row = 0, .column = 2, .roles = ReadoutClears | FileLocks, .on465 = On465::Locked, .networkValues = 0b110,
     .factory = {FactoryField::Coded, 22}, .jsonName = "networked", .jsonRank = 3},
    {.box = OptionBox::Analog, .name = "cbAnalog", .caption = "Analogeingänge", .hint = "Mit/ohne Analogerfassung ",
     .row = 1, .column = 2, .roles = kDeviceAnswer | FactoryHelp, .factory = {FactoryField::Coded, 18}},
    {.box = OptionBox::Batt, .name = "cbBatt", .caption = "SL790", .hint = "Batterie SL790 oder SL780",
     .row = 2, .column = 2, .roles = kDeviceAnswer | FactoryHelp, .on465 = On465::Absent, .hardware = {.allSet = 0x09},
     .factory = {FactoryField::ClearedWhenClear, 21, 3}, .jsonName = "batterySl790", .jsonRank = 7},
    {.box = OptionBox::Image512, .name = "cb512", .caption = "512 KB", .row = 3, .column = 2},
    {.box = OptionBox::KRV465, .name = "cb465", .caption = "KRV465", .row = 3, .column = 3, .roles = ReadoutClears,
     .factory = {FactoryField::ClearedWhenTicked, 21, 7}},
    {.box = OptionBox::Res3, .name = "cbRes3", .caption = "reserviert", .row = 2, .column = 3},
    {.box = OptionBox::DSfG, .name = "cbDSfG", .caption = "DSfG", .hint = "mit/ohne DSfG",
     .row = 1, .column = 3, .roles = EnabledAtStart | FileLocks, .on465 = On465::Present,
     .factory = {FactoryField::Flag, 24}, .jsonName = "dsfg", .jsonRank = 2},
    {.box = OptionBox::Master, .name = "cbMaster", .caption = "Master", .hint = "Master oder Slave",
     .row = 0, .column = 3, .roles = ReadoutClears | FileLocks, .on465 = On465::Locked, .networkValues = 0b010,
     .factory = {FactoryField::Coded, 22}, .jsonName = "master", .jsonRank = 4},
}};

constexpr bool inEnumOrder()
{
    for (int i = 0; i < OptionBoxCount; ++i) {
        if (boxIndex(kBoxes[i].box) != i)
            return false;
    }
    return true;
}
static_assert(inEnumOrder(), "one row per box, in the order of OptionBox");
}  // namespace

std::span<const OptionBoxEntry> optionBoxes() { return kBoxes; }

const OptionBoxEntry &optionBox(OptionBox box) { return kBoxes[boxIndex(box)]; }
