#pragma once
#include <QTextStream>

// quillon-cli(1) in roff, from the same commands, options and exit codes as
// the --help text. manualPath: the installed manual's first page.
void printManPage(QTextStream &out, const QString &version, const QString &date, const QString &manualPath);
