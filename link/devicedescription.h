#pragma once
#include "image/krvmodel.h"

#include <QString>
#include <QtGlobal>

// The device's flash chip, as its identification ("B941") names it; the
// number is what scripts read ("FlashClass": 2).
enum class FlashChip {
    Undetermined = 0,  // not read yet, or the device does not know the command
    Chip256K = 1,      // the small chip
    Chip512K = 2,      // one of the 4-Mbit chips
    Unlisted = 3,      // an identification not in the table
};
constexpr int flashClassNumber(FlashChip chip) { return static_cast<int>(chip); }

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
};
