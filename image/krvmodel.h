#pragma once
#include <QString>
#include <QtGlobal>

// Which device a firmware image is for, and which device answered the
// readout: both code it the same way, and scripts read the number.
enum class KrvModel : quint8 {
    None = 0,  // no image loaded, or the readout did not get that far
    KRV470 = 1,
    KRV465 = 2,
};

// The printed number (the upload record's "deviceKind": 1).
constexpr int krvModelNumber(KrvModel model) { return static_cast<int>(model); }

// The device's name; "unbekannt" for None.
QString deviceKindName(KrvModel model);
