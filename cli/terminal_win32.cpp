#include "cli/terminal.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <initializer_list>
#include <io.h>
#include <optional>
#include <windows.h>

namespace {
UINT g_outputCodePage = 0;
std::optional<DWORD> g_errorMode;

// The console belongs to the shell as well: it gets its code page and its
// mode back, once the program's last text is out.
void restoreConsole()
{
    std::fflush(stdout);
    std::fflush(stderr);
    if (g_outputCodePage != 0)
        SetConsoleOutputCP(g_outputCodePage);
    if (g_errorMode)
        SetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), *g_errorMode);
}

bool isConsole(HANDLE handle)
{
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode);
}
}  // namespace

void prepareConsole()
{
    std::atexit(restoreConsole);
    const UINT codePage = GetConsoleOutputCP();
    if (codePage != 0 && codePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        g_outputCodePage = codePage;
    // To a console the bytes go as they are, whole lines at a time: in text
    // mode a C runtime may convert the UTF-8 bytes once more, and an
    // unbuffered stream hands them over one by one, which splits a
    // character. The console ends a line at "\n" by itself; every line is
    // flushed where it ends.
    for (FILE *stream : {stdout, stderr}) {
        if (isConsole(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))))) {
            _setmode(_fileno(stream), _O_BINARY);
            std::setvbuf(stream, nullptr, _IOFBF, 1 << 16);
        }
    }
}

int stderrTerminalColumns()
{
    const HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(console, &mode))
        return 0;
    // The bar redraws its line with escape sequences; a console without
    // them gets plain status lines.
    if (!(mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
        if (!SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
            return 0;
        g_errorMode = mode;
    }
    CONSOLE_SCREEN_BUFFER_INFO info{};
    return columnsOrDefault(GetConsoleScreenBufferInfo(console, &info) ? info.srWindow.Right - info.srWindow.Left + 1 : 0);
}

bool stdoutIsTerminal() { return isConsole(GetStdHandle(STD_OUTPUT_HANDLE)); }

bool stdoutIsStderr()
{
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (isConsole(out) || isConsole(err))
        return isConsole(out) && isConsole(err);
    // A file: the volume and its index there; a pipe: the one handle.
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    if (GetFileInformationByHandle(out, &a) && GetFileInformationByHandle(err, &b))
        return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh
               && a.nFileIndexLow == b.nFileIndexLow;
    return out == err;
}

void makeStdoutBinary()
{
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}
