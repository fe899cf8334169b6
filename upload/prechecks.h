#pragma once
#include "upload/uploadphase.h"

#include <QString>

class OptionsModel;
struct DeviceDescription;
struct FirmwareImage;

// The first pre-check that fails, or Checking with an empty message when all pass.
struct PreCheckResult {
    Phase code = Phase::Checking;  // or the failed check's negative code
    QString message;
};

// Compares image and device in a fixed order; at most one check fails.
// deviceAnswered: the readout reached the device (LinkFailed clear).
PreCheckResult runPreChecks(const FirmwareImage &image, const DeviceDescription &device,
                            const OptionsModel &options, bool deviceAnswered);
