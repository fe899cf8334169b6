#pragma once
#include <QTextStream>

// The bash completion of quillon-cli, from the same commands and options as
// the --help text and the man page.
void printBashCompletion(QTextStream &out);
