#include "cli/manpage.h"

#include "cli/clisession.h"
#include "cli/commandline.h"
#include "cli/passwordsource.h"
#include "cli/usage.h"

namespace {
// Text as roff reads it literally; umlauts stay UTF-8, which man reads.
QString roff(const QString &text)
{
    QString result;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            result += QStringLiteral("\\e");
        else if (c == QLatin1Char('-'))
            result += QStringLiteral("\\-");
        else
            result += c;
    }
    if (result.startsWith(QLatin1Char('.')) || result.startsWith(QLatin1Char('\'')))
        result.prepend(QStringLiteral("\\&"));
    return result;
}

QString bold(const QString &text)
{
    return QStringLiteral("\\fB") + roff(text) + QStringLiteral("\\fR");
}

struct Example {
    QString what;
    QString call;
};

QList<Example> examples()
{
    return {
        {QStringLiteral("Ein KRV im Netz auslesen:"), QStringLiteral("quillon-cli --tcp 192.0.2.10:5000 info")},
        {QStringLiteral("Firmware über den ersten USB-Seriell-Adapter laden, mit Fabriknummer, und den Neustart des KRV prüfen:"),
         QStringLiteral("quillon-cli --port ttyUSB0 flash krv470.hex --fabnr 470000004711 --verify")},
        {QStringLiteral("Ein KRV über das Modem anrufen und seine Uhr stellen:"),
         QStringLiteral("quillon-cli --port ttyS1 --dial 0123456789 set-time")},
    };
}

void options(QTextStream &out, const QList<CliOption> &list)
{
    for (const CliOption &o : list) {
        out << ".TP\n" << bold(QString::fromLatin1(o.name));
        if (o.value)
            out << " \\fI" << roff(QString::fromUtf8(o.value)) << "\\fR";
        out << "\n" << roff(QString::fromUtf8(o.help)) << "\n";
        if (o.choices) {
            out << ".RS\n.PD 0\n";
            for (qsizetype i = 0; i < o.choices->size(); ++i)
                out << ".TP 4\n" << i << "\n" << roff(o.choices->at(i)) << "\n";
            out << ".PD\n.RE\n";
        }
    }
}
}

void printManPage(QTextStream &out, const QString &version, const QString &date, const QString &manualPath)
{
    out << ".TH QUILLON\\-CLI 1 \"" << date << "\" \"Quillon " << roff(version) << "\" \"Quillon\"\n"
        << ".SH BEZEICHNUNG\n"
        << "quillon\\-cli \\- " << roff(QStringLiteral("Firmware-Upload, Auslesen und Uhr des KRV470/KRV465 von der Kommandozeile")) << "\n"
        << ".SH " << roff(QStringLiteral("ÜBERSICHT")) << "\n" << roff(usageSynopsis()).replace(QStringLiteral("quillon\\-cli"), QStringLiteral("\\fBquillon\\-cli\\fR")) << "\n"
        << ".SH BESCHREIBUNG\n"
        << roff(QStringLiteral("quillon-cli ist der Kommandozeilen-Zwilling von quillon: es liest ein KRV über "
                               "TCP, eine serielle Schnittstelle oder ein Modem aus, überträgt Firmware ins FLASH, "
                               "liest und stellt die Uhr und wandelt Intel-HEX-Dateien. Die Texte sind deutsch; "
                               "Meldungen und Fortschritt gehen nach stderr, das Ergebnis nach stdout."))
        << "\n.PP\n" << roff(QStringLiteral("Die Optionen des Programms stehen vor oder nach dem Befehl, auch als --option=wert. "
                                            "Nach -- ist jedes Wort ein Argument, etwa ein Dateiname, der mit - beginnt. "
                                            "\"quillon-cli BEFEHL --help\" erklärt einen Befehl."))
        << "\n.SH BEFEHLE\n";
    for (const CliCommand *command : CliCommand::all()) {
        out << ".TP\n" << bold(commandSynopsis(*command)) << "\n" << roff(QString::fromUtf8(command->summary)) << "\n";
        if (!command->options.isEmpty()) {
            out << ".RS\n";
            options(out, command->options);
            out << ".RE\n";
        }
    }
    out << ".SH OPTIONEN\n";
    options(out, globalOptions());
    out << ".SH UMGEBUNG\n.TP\n" << bold(QLatin1String(PasswordVariable)) << "\n"
        << roff(QStringLiteral("Lesepasswort des KRV, wenn weder --password noch --password-file angegeben ist; "
                               "anders als --password nicht in ps zu sehen."))
        << "\n.TP\n" << bold(QStringLiteral("ORV_UPDATE_URL")) << "\n"
        << roff(QStringLiteral("Basisadresse des Updateservers für check-update und das Web-Update des Programms "
                               "statt der eingebauten."))
        << "\n";
    out << ".SH EXIT\\-CODES\n";
    for (const ExitCodeHelp &c : exitCodeHelp())
        out << ".TP\n" << c.code << "\n" << roff(QString::fromUtf8(c.meaning)) << "\n";
    out << ".SH BEISPIELE\n";
    for (const auto &[what, call] : examples())
        out << roff(what) << "\n.PP\n.RS\n" << roff(call) << "\n.RE\n.PP\n";
    out << ".SH SIEHE AUCH\n"
        << "\\fBquillon\\fR(1); " << roff(QStringLiteral("das Handbuch in %1 (im Programm: F1)").arg(manualPath)) << "\n";
    out.flush();
}
