#pragma once
// A Hayes modem and the simulated device behind it on a pseudo-terminal,
// reached through the program's own port Comm1; the modem's carrier reaches
// the port through the simulated modem lines.
#include "sim/devicesim.h"
#include "sim/hayesmodem.h"
#include "sim/ptytransport.h"
#include "tests/support/fakefrontend.h"
#include "tests/support/simulatedmodemlines.h"

#include <stdexcept>

struct ModemRig {
    SimulatedModemLines lines;  // first: outlives the port that reads it
    DeviceSim sim{DeviceProfile::fromJson({})};
    PtyTransport pty{sim};
    HayesModem hayes{sim};
    TestStation st;  // after the terminal: the port closes before it
    DeviceDescription &device = st.device;
    Link &link = st.link;
    Context &ctx = st.ctx;
    ComPortLink &serial = st.serial;
    Modem &modem = st.addModem();

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
        link.useSerialPort();
    }
    TComPort &port() { return serial.Comm1; }
    QString meld() const { return st.ui.caption(Control::lbMoMeld); }
};
