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
