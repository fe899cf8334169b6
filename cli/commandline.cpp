#include "cli/commandline.h"

#include "cli/nearest.h"
#include "cli/passwordsource.h"
#include "cli/serialsetup.h"
#include "link/modem.h"

namespace {
constexpr char OptionsEnd[] = "--";

const CliOption *findOption(const QList<CliOption> &options, const QString &name)
{
    for (const CliOption &o : options)
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

QString didYouMean(const QString &what, const QString &word, const QStringList &candidates)
{
    return QStringLiteral("%1 \"%2\". Meinten Sie \"%3\"?").arg(what, word, nearest(word, candidates));
}

// Empty error text when the value is good.
QString setGlobal(GlobalOptions &o, const QString &name, const QString &value)
{
    if (name == QLatin1String("--json")) {
        o.json = true;
    } else if (name == QLatin1String("--trace")) {
        o.trace = true;
    } else if (name == QLatin1String("--quiet")) {
        o.quiet = true;
    } else if (name == QLatin1String("--tcp")) {
        const auto endpoint = TcpEndpoint::fromText(value);
        if (!endpoint)
            return QStringLiteral("--tcp braucht HOST:PORT oder [IPv6-Adresse]:PORT (Port 1 bis 65535), nicht \"%1\"").arg(value);
        o.tcpHost = endpoint->host;
        o.tcpPort = endpoint->port;
    } else if (name == QLatin1String("--port")) {
        o.port = value;
    } else if (name == QLatin1String("--baud")) {
        bool ok = false;
        const int rate = value.toInt(&ok);
        if (!ok || !baudRateOf(rate))
            return QStringLiteral("--baud %1 ist keine Baudrate der Schnittstelle; möglich sind %2").arg(value, baudRates().join(QStringLiteral(", ")));
        o.baud = rate;
    } else if (name == QLatin1String("--dial")) {
        if (const QString why = Modem::numberRefusal(value); !why.isEmpty())
            return QStringLiteral("--dial: ") + why;
        o.dial = value;
    } else if (name == QLatin1String("--modem-init")) {
        if (const QString why = Modem::initRefusal(value); !why.isEmpty())
            return QStringLiteral("--modem-init: ") + why;
        o.modemInit = value;
    } else if (name == QLatin1String("--password")) {
        if (!o.password.isEmpty())
            return QStringLiteral("--password und --password-file schließen einander aus");
        o.password = value.toLatin1();
        return passwordLengthProblem(o.password, name);
    } else if (name == QLatin1String("--password-file")) {
        if (!o.password.isEmpty())
            return QStringLiteral("--password und --password-file schließen einander aus");
        return readPasswordFile(value, o.password);
    }
    return {};
}

bool isHelp(const QString &word) { return word == QLatin1String("-h") || word == QLatin1String("--help"); }
bool isVersion(const QString &word) { return word == QLatin1String("-V") || word == QLatin1String("--version"); }

// The error text; empty when the line is good.
QString parse(const QStringList &words, CommandLine &line)
{
    bool operandsOnly = false;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString &word = words[i];
        if (word == QLatin1String(OptionsEnd) && !operandsOnly) {
            operandsOnly = true;
            continue;
        }
        if (operandsOnly || !word.startsWith(QLatin1String("--"))) {
            if (line.command) {
                line.args << word;
            } else if (!(line.command = CliCommand::find(word))) {
                QStringList names;
                for (const CliCommand *c : CliCommand::all())
                    names << QString::fromLatin1(c->name);
                return didYouMean(QStringLiteral("unbekannter Befehl"), word, names);
            }
            continue;
        }
        const qsizetype equals = word.indexOf(QLatin1Char('='));
        const QString name = equals > 2 ? word.left(equals) : word;
        const CliOption *global = findOption(globalOptions(), name);
        const CliOption *option = global ? global : line.command ? line.command->option(name) : nullptr;
        if (!option) {
            const QList<CliOption> own = line.command ? line.command->options : QList<CliOption>();
            return didYouMean(QStringLiteral("unbekannte Option"), name, optionNames(globalOptions()) + optionNames(own));
        }
        QString value;
        if (equals > 2) {
            if (!option->value)
                return QStringLiteral("%1 nimmt keinen Wert").arg(name);
            value = word.mid(equals + 1);
        } else if (option->value) {
            if (i + 1 >= words.size())
                return QStringLiteral("%1 braucht einen Wert (%2)").arg(name, QString::fromUtf8(option->value));
            value = words[++i];
        }
        if (global) {
            if (const QString problem = setGlobal(line.options, name, value); !problem.isEmpty())
                return problem;
        } else {
            line.args << name;
            if (option->value)
                line.args << value;
        }
    }
    if (!line.command)
        return QStringLiteral("kein Befehl angegeben");
    if (line.options.password.isEmpty() && qEnvironmentVariableIsSet(PasswordVariable)) {
        line.options.password = qgetenv(PasswordVariable);
        if (const QString problem = passwordLengthProblem(line.options.password, QLatin1String(PasswordVariable)); !problem.isEmpty())
            return problem;
    }
    if (!line.options.tcpHost.isEmpty() && !line.options.port.isEmpty())
        return QStringLiteral("entweder --tcp oder --port angeben, nicht beide");
    if (!line.options.tcpHost.isEmpty() && line.options.dial)
        return QStringLiteral("--dial gilt nur für die serielle Schnittstelle (--port), nicht für --tcp");
    if (line.options.modemInit && !line.options.dial)
        return QStringLiteral("--modem-init gilt nur zusammen mit --dial");
    if (!line.options.tcpHost.isEmpty() && line.options.baud)
        return QStringLiteral("--baud gilt nur für die serielle Schnittstelle (--port), nicht für --tcp");
    return {};
}
}

const QList<CliOption> &globalOptions()
{
    static const QList<CliOption> options = {
        {"--tcp", "HOST:PORT", "KRV über TCP erreichen (Adresse oder Rechnername; IPv6 als [ADRESSE]:PORT)"},
        {"--port", "GERÄT", "serielle Schnittstelle (/dev/ttyS0, ttyUSB0 oder COM1)"},
        {"--baud", "N", "Baudrate der seriellen Schnittstelle (Vorgabe 9600)"},
        {"--dial", "NUMMER", "KRV über das Modem an --port anrufen, danach auflegen"},
        {"--modem-init", "TEXT", "vor dem Anruf an das Modem senden (\"at\" TEXT)"},
        {"--password", "TEXT", "Lesepasswort des KRV (4 bis 8 Zeichen); für andere in ps sichtbar"},
        {"--password-file", "DATEI", "Lesepasswort aus der ersten Zeile von DATEI; ohne beide Optionen gilt QUILLON_PASSWORD"},
        {"--json", nullptr, "Ergebnis als ein JSON-Objekt auf stdout"},
        {"--trace", nullptr, "jedes gesendete und empfangene Byte auf stderr zeigen"},
        {"--quiet", nullptr, "keine Statuszeilen auf stderr"},
        {"--help", nullptr, "diese Hilfe (-h); nach einem Befehl dessen Hilfe"},
        {"--version", nullptr, "die Version des Programms (-V)"},
    };
    return options;
}

QStringList optionNames(const QList<CliOption> &options)
{
    QStringList names;
    for (const CliOption &o : options)
        names << QString::fromLatin1(o.name);
    return names;
}

CommandLine parseCommandLine(const QStringList &words)
{
    CommandLine line;
    // Asked for help, the rest of the line does not matter; behind "--" a
    // word that looks like the question is a file's name.
    const auto optionsEnd = std::find(words.begin() + 1, words.end(), QLatin1String(OptionsEnd));
    if (std::any_of(words.begin() + 1, optionsEnd, isHelp)) {
        line.want = CommandLine::Want::Help;
        for (auto word = words.begin() + 1; word != optionsEnd && !line.command; ++word)
            line.command = CliCommand::find(*word);
        return line;
    }
    if (std::any_of(words.begin() + 1, optionsEnd, isVersion)) {
        line.want = CommandLine::Want::Version;
        return line;
    }
    line.error = parse(words, line);
    if (!line.error.isEmpty())
        line.want = CommandLine::Want::Error;
    return line;
}
