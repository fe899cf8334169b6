#pragma once
#include "image/krvmodel.h"
#include "options/optionbox.h"

#include <QFlags>
#include <QString>
#include <QtGlobal>

// The device's flash chip, as its identification ("B941") names it; the
// number is what scripts read ("flashClass": 2).
enum class FlashChip {
    Undetermined = 0,  // not read yet, or the device does not know the command
    Chip256K = 1,      // the small chip
    Chip512K = 2,      // one of the 4-Mbit chips
    Unlisted = 3,      // an identification not in the table
};
constexpr int flashClassNumber(FlashChip chip) { return static_cast<int>(chip); }

// The facts a readout takes from the device, each from its own answer.
enum class DeviceFact : quint16 {
    Version = 0x0001,             // "B004"
    FactoryNumber = 0x0002,       // "B142"
    BuildDate = 0x0004,           // "B937"
    YearOfConstruction = 0x0008,  // "B143"
    HardwareWord = 0x0010,        // "B939": the model
    F4Function = 0x0040,          // "B146", an item of the list
    AnalogInputs = 0x0080,        // "B144"
    FlashChip = 0x0800,           // "B941"
    Exdev = 0x1000,               // "B942"
};
Q_DECLARE_FLAGS(DeviceFacts, DeviceFact)
Q_DECLARE_OPERATORS_FOR_FLAGS(DeviceFacts)

// What the last device information readout found out.
struct DeviceDescription {
    bool DeviceInfoRead = false;
    KrvModel DeviceKind = KrvModel::None;
    int DeviceFwDate = 0;   // yyyymmdd
    FlashChip FlashClass = FlashChip::Undetermined;
    quint8 DeviceExdevType = 0;
    // The texts as the device gave them (the window's fields may be edited
    // afterwards); empty until read. Cleared at the start of every readout.
    QString VersionText;  // "B004", the caption of lbVersion
    QString FabNr;        // "B142"
    QString Baujahr;      // "B143"
    // The facts the last readout decoded; cleared at its start. One it did not
    // reach, or whose answer it could not decode, is unknown: the window's
    // control keeps its cleared state, which is no answer of the device.
    DeviceFacts FactsRead;
    // The same for the option boxes: those an answer of the last readout set.
    OptionBoxes BoxesRead;
};
