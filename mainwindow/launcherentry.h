#pragma once
#include <QtGlobal>
#include <memory>

class QWidget;

// The program's entry in the desktop's launcher or task bar, showing the
// share of a long run. Where the desktop offers no such entry, nothing
// happens, and nothing is reported.
class LauncherEntry {
public:
    explicit LauncherEntry(QWidget &window);
    ~LauncherEntry();
    LauncherEntry(const LauncherEntry &) = delete;
    LauncherEntry &operator=(const LauncherEntry &) = delete;

    // share from 0 to 1.
    void show(double share);
    void hide();

private:
    struct Platform;
    std::unique_ptr<Platform> m_platform;
};
