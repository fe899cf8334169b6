#pragma once
#include <QString>
#include <QtGlobal>

// What the last device information readout found out.
struct DeviceDescription {
    bool DeviceInfoRead = false;
    quint8 DeviceKind = 0;  // 0 not determined, 1 KRV470, 2 KRV465
    int DeviceFwDate = 0;   // yyyymmdd
    int FlashClass = 0;     // 0 not determined, 1 small chip, 2 4-Mbit chip, 3 unknown
    quint8 DeviceExdevType = 0;
    // The texts as the device gave them (the window's fields may be edited
    // afterwards); empty until read. Cleared at the start of every readout.
    QString VersionText;  // "B004", the caption of lbVersion
    QString FabNr;        // "B142"
    QString Baujahr;      // "B143"
};
