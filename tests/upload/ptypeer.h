#pragma once
#include "link/comportlink.h"
#include "sim/devicesim.h"
#include "sim/ptytransport.h"
#include "tests/support/fakefrontend.h"

#include <stdexcept>

// A simulated device on a pseudo-terminal, reached through the program's own
// serial port Comm1 with its stored settings (9600 8E1).
struct PtyPeer {
    explicit PtyPeer(const DeviceProfile &profile) : device(profile)
    {
        if (!pty.open())
            throw std::runtime_error("no pseudo-terminal: " + pty.errorString().toStdString());
    }
    DeviceSim device;
    PtyTransport pty{device};
    ComPortLink *serial = nullptr;  // the station's, once attached

    TComPort &port() { return serial->Comm1; }
    // The speed of the line as the port set it on the terminal.
    int portSpeed() { return PtyTransport::terminalSpeed(int(port().Handle())); }
};

inline void attach(PtyPeer &sim, TestStation &station)
{
    sim.serial = &station.serial;
    sim.serial->Comm1.SetDeviceName(sim.pty.slavePath());
    sim.serial->Comm1.Open();
    station.link.useSerialPort();
}
