#pragma once

// The console quillon-cli writes to.

// Makes the console show the program's UTF-8 text (umlauts) and the
// progress bar's escape sequences. Once, at the start.
void prepareConsole();

// Columns of the terminal stderr writes to; 0 when stderr goes to no
// terminal (a pipe, a file) or to one that cannot redraw a line.
int stderrTerminalColumns();

// The width a terminal reported, else COLUMNS from the environment, else 80.
int columnsOrDefault(int reported);

// True when stdout goes to a terminal (on Windows: a console).
bool stdoutIsTerminal();

// True when stdout and stderr end in one place (one terminal, one file or
// pipe): what is said on both is read twice.
bool stdoutIsStderr();

// Bytes written to stdout from now on arrive unchanged (Windows would turn
// "\n" into "\r\n" in text mode).
void makeStdoutBinary();
