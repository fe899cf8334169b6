#include "cli/terminal.h"

#include <cstdlib>
#include <windows.h>

namespace {
UINT g_outputCodePage = 0;

// The console belongs to the shell as well: it gets its code page back.
void restoreCodePage() { SetConsoleOutputCP(g_outputCodePage); }
}  // namespace

void prepareConsole()
{
    g_outputCodePage = GetConsoleOutputCP();
    if (g_outputCodePage != 0 && g_outputCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        std::atexit(restoreCodePage);
}

int stderrTerminalColumns()
{
    const HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(console, &mode))
        return 0;
    // The bar redraws its line with escape sequences; a console without
    // them gets plain status lines.
    if (!(mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) && !SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
        return 0;
    CONSOLE_SCREEN_BUFFER_INFO info{};
    return columnsOrDefault(GetConsoleScreenBufferInfo(console, &info) ? info.srWindow.Right - info.srWindow.Left + 1 : 0);
}
