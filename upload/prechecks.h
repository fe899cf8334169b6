#pragma once
#include <QString>

class OptionsModel;
struct DeviceDescription;
struct FirmwareImage;

// The first pre-check that fails, or code 1 with an empty message when all pass.
struct PreCheckResult {
    int code = 1;  // 1 passed; -1 .. -5 the failed check
    QString message;
};

// Compares image and device in a fixed order; at most one check fails.
// deviceAnswered: the readout reached the device (LinkFailed clear).
PreCheckResult runPreChecks(const FirmwareImage &image, const DeviceDescription &device,
                            const OptionsModel &options, bool deviceAnswered);
