#pragma once
// A Hayes modem and the simulated device behind it on a pseudo-terminal,
// reached through the program's own port Comm1; the modem's carrier reaches
// the port through the simulated modem lines.
#include "link/comportlink.h"
#include "frontend/context.h"
#include "link/devicedescription.h"
#include "link/link.h"
#include "link/modem.h"
#include "sim/devicesim.h"
#include "sim/hayesmodem.h"
#include "sim/ptytransport.h"
#include "tests/support/fakefrontend.h"
#include "tests/support/simulatedmodemlines.h"

#include <stdexcept>

struct ModemRig {
    SimulatedModemLines lines;  // first: outlives the port that reads it
    TestStation st;
    DeviceDescription device;
    Link link{st.ui};
    Context ctx{link, st.ui, device, st.image};
    DeviceSim sim{DeviceProfile::fromJson({})};
    PtyTransport pty{sim};
    HayesModem hayes{sim};
    ComPortLink serial{st.ui};
    Modem modem{link, st.ui, serial.Comm1};

    // withModem false: the device alone on the line, which ignores modem commands.
    explicit ModemRig(bool withModem = true, bool carrierLine = true)
    {
        if (!pty.open())
            throw std::runtime_error("no pseudo-terminal");
        if (withModem)
            pty.setModem(&hayes);
        if (carrierLine)
            QObject::connect(&hayes, &HayesModem::carrierChanged, [this](bool on) { lines.setCarrier(on); });
        link.limits = TimeLimits::shortForTests();
        hayes.answerDelayMs = 50;
        serial.Comm1.SetDeviceName(pty.slavePath());
        serial.Comm1.Open();
        link.TcpMode = 0;
        link.setSerialLink(&serial);
    }
    TComPort &port() { return serial.Comm1; }
    QString meld() const { return st.ui.caption(QStringLiteral("lbMoMeld")); }
};
