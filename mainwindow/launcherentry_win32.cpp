#include "mainwindow/launcherentry.h"

#include <QWidget>

#include <windows.h>
#include <shobjidl.h>

namespace {
constexpr ULONGLONG kSteps = 1000;
}

// The task bar button's progress. The window system's COM is set up by Qt
// on this thread before any window exists.
struct LauncherEntry::Platform {
    QWidget &window;
    ITaskbarList3 *taskbar = nullptr;
    bool tried = false;

    ~Platform()
    {
        if (taskbar)
            taskbar->Release();
    }

    ITaskbarList3 *list()
    {
        if (!tried) {
            tried = true;
            void *made = nullptr;
            if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3, &made))) {
                taskbar = static_cast<ITaskbarList3 *>(made);
                if (FAILED(taskbar->HrInit())) {
                    taskbar->Release();
                    taskbar = nullptr;
                }
            }
        }
        return taskbar;
    }

    HWND handle() const { return reinterpret_cast<HWND>(window.winId()); }
};

LauncherEntry::LauncherEntry(QWidget &window) : m_platform(new Platform{window}) {}

LauncherEntry::~LauncherEntry() = default;

void LauncherEntry::show(double share)
{
    if (ITaskbarList3 *taskbar = m_platform->list())
        taskbar->SetProgressValue(m_platform->handle(), ULONGLONG(share * kSteps), kSteps);
}

void LauncherEntry::hide()
{
    if (ITaskbarList3 *taskbar = m_platform->list())
        taskbar->SetProgressState(m_platform->handle(), TBPF_NOPROGRESS);
}
