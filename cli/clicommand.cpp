#include "cli/clisession.h"

namespace {
QList<const CliCommand *> &registry()
{
    static QList<const CliCommand *> commands;
    return commands;
}
}

CliCommand::CliCommand(const char *n, const char *a, const char *s, QList<CliOption> o, bool link, Run r)
    : name(n), arguments(a), summary(s), options(std::move(o)), needsLink(link), run(r)
{
    registry().append(this);
}

const CliOption *CliCommand::option(const QString &optionName) const
{
    for (const CliOption &o : options)
        if (optionName == QLatin1String(o.name))
            return &o;
    return nullptr;
}

const QList<const CliCommand *> &CliCommand::all() { return registry(); }

const CliCommand *CliCommand::find(const QString &commandName)
{
    for (const CliCommand *command : registry())
        if (commandName == QLatin1String(command->name))
            return command;
    return nullptr;
}

QString cancelText(const CliSession &s)
{
    if (carrierLost(s))
        return QStringLiteral("Modemverbindung verloren: kein Träger mehr");
    return s.interruptReason.isEmpty() ? QStringLiteral("Abbruch mit Strg-C") : s.interruptReason;
}
