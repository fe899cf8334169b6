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

    void setCarrier(bool present) { present ? m_lines |= TIOCM_CAR : m_lines &= ~TIOCM_CAR; }
    // CTS low holds the output of a port with CTS flow control (modem off).
    void setCts(bool high) { high ? m_lines |= TIOCM_CTS : m_lines &= ~TIOCM_CTS; }
    bool read(int, int &lines) override
    {
        lines = m_lines;
        return true;
    }

private:
    static constexpr int kIdle = TIOCM_CTS | TIOCM_DSR;
    std::atomic<int> m_lines{kIdle};
};
