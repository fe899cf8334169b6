#pragma once
// Header only: the simulator library itself does not use the program's types.
#include "device/devicedescription.h"

// The device as a readout of the simulator's default profile
// (DeviceProfile::fromJson({})) leaves it, as far as an upload reads it: a
// KRV470 built on 15.01.2008 with the 4-Mbit flash chip. The readout tests
// hold it against a real readout, so the two cannot drift apart.
inline DeviceDescription defaultProfileReadout()
{
    DeviceDescription device;
    device.DeviceInfoRead = true;
    device.DeviceKind = KrvModel::KRV470;
    device.DeviceFwDate = 20080115;
    device.FlashClass = FlashChip::Chip512K;
    return device;
}
