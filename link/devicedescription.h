#pragma once
#include <QtGlobal>

// What the last device information readout found out.
struct DeviceDescription {
    bool DeviceInfoRead = false;
    quint8 DeviceKind = 0;  // 0 not determined, 1 KRV470, 2 KRV465
    int DeviceFwDate = 0;   // yyyymmdd
    int FlashClass = 0;     // 0 not determined, 1 small chip, 2 4-Mbit chip, 3 unknown
    quint8 DeviceExdevType = 0;
};
