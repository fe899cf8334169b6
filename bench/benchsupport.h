#pragma once
// Shared by the benchmarks: nobody at the window, and the process's CPU clock.
#include "frontend/frontend.h"

#include <ctime>

// No message may come up during a measured run; questions are answered No.
class SilentFrontend : public Frontend {
public:
    using Frontend::Frontend;
    void showMessage(const QString &) override {}
    void showMessageBox(const QString &, const QString &) override {}
    bool askYesNo(const QString &) override { return false; }
    void askReadPassword(QByteArray &) override {}
};

inline double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}
