#include "cli/usage.h"

#include "cli/clisession.h"
#include "cli/commandline.h"

#include <algorithm>

namespace {
constexpr int kColumn = 24;

QString synopsis(const CliCommand &command)
{
    QString text = QString::fromLatin1(command.name);
    if (*command.arguments)
        text += QLatin1Char(' ') + QString::fromUtf8(command.arguments);
    return text;
}

void printOptions(QTextStream &out, const QList<CliOption> &options)
{
    for (const CliOption &o : options) {
        QString head = QString::fromLatin1(o.name);
        if (o.value)
            head += QLatin1Char(' ') + QString::fromUtf8(o.value);
        out << "  " << head.leftJustified(kColumn - 3) << ' ' << QString::fromUtf8(o.help) << "\n";
        if (o.choices)
            for (qsizetype i = 0; i < o.choices->size(); ++i)
                out << QString(kColumn + 2, QLatin1Char(' ')) << i << "  " << o.choices->at(i) << "\n";
    }
}
}

void printUsage(QTextStream &out)
{
    out << "Aufruf: quillon-cli [--tcp HOST:PORT | --port GERÄT [--baud N]] [--password TEXT] [--json] [--trace] [--quiet] BEFEHL ...\n"
           "\nBefehle:\n";
    qsizetype width = kColumn - 3;
    for (const CliCommand *command : CliCommand::all())
        width = std::max(width, synopsis(*command).size());
    for (const CliCommand *command : CliCommand::all())
        out << "  " << synopsis(*command).leftJustified(width) << "  " << QString::fromUtf8(command->summary) << "\n";
    out << "\nOptionen (vor oder nach dem Befehl, auch als --option=wert):\n";
    printOptions(out, globalOptions());
    out << "\nExit-Codes: 0 Erfolg; 1 KRV antwortet nicht oder Vorgang fehlgeschlagen; 2 Aufruffehler oder\n"
           "unbrauchbare Datei; 3 Vorprüfung fehlgeschlagen (ohne --yes bzw. --force); 4 Eichschalter zu;\n"
           "130 Abbruch mit Strg-C.\n"
           "\n\"quillon-cli BEFEHL --help\" erklärt einen Befehl." << Qt::endl;
}

void printCommandHelp(QTextStream &out, const CliCommand &command)
{
    out << "Aufruf: quillon-cli [Optionen] " << synopsis(command) << (command.options.isEmpty() ? "" : " [Befehlsoptionen]") << "\n"
        << QString::fromUtf8(command.summary) << "\n";
    if (!command.options.isEmpty()) {
        out << "\nBefehlsoptionen:\n";
        printOptions(out, command.options);
    }
    out << "\nDie Optionen des Programms (--tcp, --port, --json, ...) zeigt \"quillon-cli --help\"." << Qt::endl;
}
