#pragma once
#include "sim/devicesim.h"
#include "sim/tcptransport.h"

// A simulated device served in-process on a free loopback port.
struct SimPeer {
    explicit SimPeer(const DeviceProfile &profile = DeviceProfile::fromJson({}));
    DeviceSim device;
    TcpTransport tcp{device};
};
