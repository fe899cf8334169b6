#include "cli/usage.h"

#include "cli/clisession.h"
#include "cli/commandline.h"

#include <algorithm>

namespace {
constexpr int kColumn = 24;
constexpr int kLineWidth = 95;

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

// Words joined into lines of at most kLineWidth characters.
QString wrapped(const QString &text)
{
    QString result, line;
    for (const QString &word : text.split(QLatin1Char(' '))) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > kLineWidth) {
            result += line + QLatin1Char('\n');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return result + line;
}
}

QString usageSynopsis()
{
    return QStringLiteral("quillon-cli [--tcp HOST:PORT | --port GERÄT [--baud N] [--dial NUMMER [--modem-init TEXT]]] [--password-file DATEI | --password TEXT] [--json] [--trace] [--quiet] BEFEHL ...");
}

QString commandSynopsis(const CliCommand &command)
{
    QString text = QString::fromLatin1(command.name);
    if (*command.arguments)
        text += QLatin1Char(' ') + QString::fromUtf8(command.arguments);
    return text;
}

const QList<ExitCodeHelp> &exitCodeHelp()
{
    static const QList<ExitCodeHelp> codes = {
        {ExitOk, "Erfolg"},
        {ExitFailed, "KRV antwortet nicht oder Vorgang fehlgeschlagen"},
        {ExitUsage, "Aufruffehler oder unbrauchbare Datei"},
        {ExitPrecheckRefused, "Vorprüfung fehlgeschlagen (ohne --yes bzw. --force)"},
        {ExitSwitchClosed, "Eichschalter zu"},
        {ExitVerifyMismatch, "flash --verify: das KRV meldet nach dem Neustart eine andere Firmware als die der Datei"},
        {ExitNewerAvailable, "check-update: es gibt eine neuere Version"},
        {ExitCancelled, "Abbruch mit Strg-C, SIGTERM oder SIGHUP"},
    };
    return codes;
}

void printUsage(QTextStream &out)
{
    out << "Aufruf: " << usageSynopsis() << "\n\nBefehle:\n";
    qsizetype width = kColumn - 3;
    for (const CliCommand *command : CliCommand::all())
        width = std::max(width, commandSynopsis(*command).size());
    for (const CliCommand *command : CliCommand::all())
        out << "  " << commandSynopsis(*command).leftJustified(width) << "  " << QString::fromUtf8(command->summary) << "\n";
    out << "\nOptionen (vor oder nach dem Befehl, auch als --option=wert):\n";
    printOptions(out, globalOptions());
    QStringList codes;
    for (const ExitCodeHelp &c : exitCodeHelp())
        codes << QString::number(c.code) + QLatin1Char(' ') + QString::fromUtf8(c.meaning);
    out << "\n" << wrapped(QStringLiteral("Exit-Codes: ") + codes.join(QStringLiteral("; ")) + QLatin1Char('.')) << "\n"
        << "\n\"quillon-cli BEFEHL --help\" erklärt einen Befehl." << Qt::endl;
}

void printCommandHelp(QTextStream &out, const CliCommand &command)
{
    out << "Aufruf: quillon-cli [Optionen] " << commandSynopsis(command) << (command.options.isEmpty() ? "" : " [Befehlsoptionen]") << "\n"
        << QString::fromUtf8(command.summary) << "\n";
    if (!command.options.isEmpty()) {
        out << "\nBefehlsoptionen:\n";
        printOptions(out, command.options);
    }
    out << "\nDie Optionen des Programms (--tcp, --port, --json, ...) zeigt \"quillon-cli --help\"." << Qt::endl;
}
