#pragma once
#include "link/frameresult.h"

struct Context;

// The device information readout: wakes the device, reads its identity and
// options into the options panel and the device description.
// Success shows in DeviceInfoRead.
void ReadDeviceInfo(Context &ctx);

// Reads the firmware build date ("B937") into DeviceFwDate and sets
// cbOnlyFabdata from it. Returns what the answer was.
FrameResult ReadFwBuild(Context &ctx);
