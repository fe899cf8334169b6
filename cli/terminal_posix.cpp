#include "cli/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

// Terminals here take UTF-8 and escape sequences as they are.
void prepareConsole() {}

int stderrTerminalColumns()
{
    if (!::isatty(STDERR_FILENO))
        return 0;
    winsize size{};
    return columnsOrDefault(::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0);
}

bool stdoutIsTerminal() { return ::isatty(STDOUT_FILENO); }

void makeStdoutBinary() {}
