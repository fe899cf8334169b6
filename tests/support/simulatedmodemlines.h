#pragma once
#include "comport/modemlines.h"

#include <atomic>
#include <sys/ioctl.h>

// Modem lines a test switches, for ports on a pseudo-terminal: installed as
// the ports' line source for its lifetime, so a carrier change reaches the
// port's event thread and OnRLSDChange like a real one.
class SimulatedModemLines : public TModemLineSource {
public:
    SimulatedModemLines() { SetModemLineSource(this); }
    ~SimulatedModemLines() override { SetModemLineSource(nullptr); }
    SimulatedModemLines(const SimulatedModemLines &) = delete;
    SimulatedModemLines &operator=(const SimulatedModemLines &) = delete;

    void setCarrier(bool present) { m_lines = present ? (kIdle | TIOCM_CAR) : kIdle; }
    bool read(int, int &lines) override
    {
        lines = m_lines;
        return true;
    }

private:
    static constexpr int kIdle = TIOCM_CTS | TIOCM_DSR;
    std::atomic<int> m_lines{kIdle};
};
