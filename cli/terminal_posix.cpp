#include "cli/terminal.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
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

bool stdoutIsStderr()
{
    struct stat out {}, err {};
    return ::fstat(STDOUT_FILENO, &out) == 0 && ::fstat(STDERR_FILENO, &err) == 0 && out.st_dev == err.st_dev
           && out.st_ino == err.st_ino;
}

void makeStdoutBinary() {}
