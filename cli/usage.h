#pragma once
#include <QTextStream>

struct CliCommand;

// The program's help: synopsis, commands, options, exit codes.
void printUsage(QTextStream &out);
// One command's help, its options with their values and choices.
void printCommandHelp(QTextStream &out, const CliCommand &command);
