#include "cli/clisession.h"

namespace {
QList<const CliCommand *> &registry()
{
    static QList<const CliCommand *> commands;
    return commands;
}
}

CliCommand::CliCommand(const char *n, const char *u, bool link, Run r) : name(n), usage(u), needsLink(link), run(r)
{
    registry().append(this);
}

const QList<const CliCommand *> &CliCommand::all() { return registry(); }

const CliCommand *CliCommand::find(const QString &name)
{
    for (const CliCommand *command : registry())
        if (name == QLatin1String(command->name))
            return command;
    return nullptr;
}
