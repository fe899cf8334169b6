#pragma once
#include "link/comportlink.h"
#include "link/link.h"
#include "sim/devicesim.h"
#include "sim/ptytransport.h"

#include <memory>
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
    std::unique_ptr<ComPortLink> serial;

    TComPort &port() { return serial->Comm1; }
    // The speed of the line as the port set it on the terminal.
    int portSpeed() { return PtyTransport::terminalSpeed(int(port().Handle())); }
};

inline void attach(PtyPeer &sim, Link &link, Frontend &ui)
{
    sim.serial = std::make_unique<ComPortLink>(ui);
    sim.serial->Comm1.SetDeviceName(sim.pty.slavePath());
    sim.serial->Comm1.Open();
    link.TcpMode = 0;
    link.setSerialLink(sim.serial.get());
}
