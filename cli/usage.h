#pragma once
#include <QList>
#include <QString>
#include <QTextStream>

struct CliCommand;

// The program's help: synopsis, commands, options, exit codes. Every line
// fits 80 columns.
void printUsage(QTextStream &out);
// One command's help, its options with their values and choices.
void printCommandHelp(QTextStream &out, const CliCommand &command);
// The version, the copyright and the licence.
void printVersion(QTextStream &out);

// What the help is made of; the man page renders the same parts.
QString usageSynopsis();
QString commandSynopsis(const CliCommand &command);
struct ExitCodeHelp {
    int code;
    const char *meaning;
};
const QList<ExitCodeHelp> &exitCodeHelp();
