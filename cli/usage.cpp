#include "cli/usage.h"

#include "cli/clisession.h"
#include "cli/commandline.h"
#include "orvabout/versinfo.h"

#include <algorithm>

namespace {
// The help fits a terminal of 80 columns.
constexpr int kLineWidth = 80;
constexpr int kColumn = 24;

// text's words after lead (which ends in a blank, if it needs one), in lines of at most kLineWidth characters; a
// continued line starts with indent blanks. A single word longer than a line
// stands alone on its line.
QString wrapped(const QString &lead, const QString &text, int indent)
{
    QString result;
    QString line = lead;
    bool lineHasWord = false;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lineHasWord && line.size() + 1 + word.size() > kLineWidth) {
            result += line + QLatin1Char('\n');
            line = QString(indent, QLatin1Char(' '));
            lineHasWord = false;
        }
        if (lineHasWord)
            line += QLatin1Char(' ');
        line += word;
        lineHasWord = true;
    }
    return result + line + QLatin1Char('\n');
}

// A name in the left column and its explanation beside it, wrapped below it.
QString entry(const QString &name, const QString &text, int column)
{
    const QString lead = QStringLiteral("  ") + name;
    if (lead.size() + 1 > column)  // no room beside: the text goes below
        return lead + QLatin1Char('\n') + wrapped(QString(column, QLatin1Char(' ')), text, column);
    return wrapped(lead.leftJustified(column), text, column);
}

void printOptions(QTextStream &out, const QList<CliOption> &options)
{
    for (const CliOption &o : options) {
        QString head = QString::fromLatin1(o.name);
        if (o.value)
            head += QLatin1Char(' ') + QString::fromUtf8(o.value);
        out << entry(head, QString::fromUtf8(o.help), kColumn);
        if (o.choices)
            for (qsizetype i = 0; i < o.choices->size(); ++i)
                out << wrapped(QString(kColumn + 2, QLatin1Char(' ')) + QString::number(i) + QStringLiteral("  "),
                               o.choices->at(i), kColumn + 5);
    }
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
    out << wrapped(QStringLiteral("Aufruf: "), usageSynopsis(), 8) << "\nBefehle:\n";
    int width = kColumn;
    for (const CliCommand *command : CliCommand::all())
        width = std::max(width, int(commandSynopsis(*command).size()) + 4);
    // One long synopsis must not push every summary to the right edge.
    width = std::min(width, kLineWidth / 2);
    for (const CliCommand *command : CliCommand::all())
        out << entry(commandSynopsis(*command), QString::fromUtf8(command->summary), width);
    out << "\n"
        << wrapped(QString(), QStringLiteral("Optionen (vor oder nach dem Befehl, auch als --option=wert; "
                                             "nach -- ist jedes Wort ein Argument, etwa ein Dateiname, der mit - beginnt):"),
                   0);
    printOptions(out, globalOptions());
    QStringList codes;
    for (const ExitCodeHelp &c : exitCodeHelp())
        codes << QString::number(c.code) + QLatin1Char(' ') + QString::fromUtf8(c.meaning);
    out << "\n" << wrapped(QStringLiteral("Exit-Codes: "), codes.join(QStringLiteral("; ")) + QLatin1Char('.'), 0)
        << "\n\"quillon-cli BEFEHL --help\" erklärt einen Befehl." << Qt::endl;
}

void printCommandHelp(QTextStream &out, const CliCommand &command)
{
    out << wrapped(QStringLiteral("Aufruf: quillon-cli [Optionen] "),
                   commandSynopsis(command) + (command.options.isEmpty() ? QString() : QStringLiteral(" [Befehlsoptionen]")), 8)
        << wrapped(QString(), QString::fromUtf8(command.summary), 0);
    if (!command.options.isEmpty()) {
        out << "\nBefehlsoptionen:\n";
        printOptions(out, command.options);
    }
    out << "\n"
        << wrapped(QString(), QStringLiteral("Die Optionen des Programms (--tcp, --port, --json, ...) zeigt \"quillon-cli --help\"."), 0)
        << Qt::flush;
}

void printVersion(QTextStream &out)
{
    const TVersInfo info;
    // The first line is what scripts read.
    out << "quillon-cli " << info.FileVersion() << "\n"
        << info.LegalCopyright() << "\n"
        << wrapped(QString(), QStringLiteral("Alle Rechte vorbehalten. Nutzung, Vervielfältigung und Weitergabe nur mit Erlaubnis von %1.")
                                  .arg(info.CompanyName()), 0)
        << Qt::flush;
}
