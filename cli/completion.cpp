#include "cli/completion.h"

#include "cli/clisession.h"
#include "cli/commandline.h"
#include "comport/comport.h"

namespace {
// What bash offers for an option's value, by what the value is.
QString valueWords(const CliOption &o)
{
    const QString value = QString::fromUtf8(o.value);
    if (QLatin1String(o.name) == QLatin1String("--baud"))
        return QStringLiteral("COMPREPLY=($(compgen -W \"%1\" -- \"$cur\"))").arg(baudRates().join(QLatin1Char(' ')));
    if (o.choices) {
        QStringList indices;
        for (qsizetype i = 0; i < o.choices->size(); ++i)
            indices << QString::number(i);
        return QStringLiteral("COMPREPLY=($(compgen -W \"%1\" -- \"$cur\"))").arg(indices.join(QLatin1Char(' ')));
    }
    if (value == QStringLiteral("DATEI"))
        return QStringLiteral("compopt -o filenames; COMPREPLY=($(compgen -f -- \"$cur\"))");
    if (value == QStringLiteral("ORDNER"))
        return QStringLiteral("compopt -o filenames; COMPREPLY=($(compgen -d -- \"$cur\"))");
    if (value == QStringLiteral("GERÄT"))
        return QStringLiteral("compopt -o filenames; COMPREPLY=($(compgen -f -- \"${cur:-/dev/tty}\"))");
    return QStringLiteral("COMPREPLY=()");  // free text: nothing to offer
}

void valueCases(QTextStream &out, const QList<CliOption> &options)
{
    for (const CliOption &o : options)
        if (o.value)
            out << "        " << o.name << ") " << valueWords(o) << "; return ;;\n";
}
}  // namespace

void printBashCompletion(QTextStream &out)
{
    QStringList commands;
    for (const CliCommand *c : CliCommand::all())
        commands << QString::fromLatin1(c->name);
    out << "# bash completion for quillon-cli, made from its command and option tables.\n"
        << "_quillon_cli()\n{\n"
        << "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
        << "    local command= word ended=\n"
        << "    for word in \"${COMP_WORDS[@]:1:COMP_CWORD-1}\"; do\n"
        << "        case $word in\n"
        << "        --) ended=1 ;;\n"
        << "        " << commands.join(QLatin1Char('|')) << ") [[ -z $command && -z $ended ]] && command=$word ;;\n"
        << "        esac\n"
        << "    done\n"
        // Behind "--" every word is a file's name.
        << "    if [[ -n $ended ]]; then\n"
        << "        compopt -o filenames; COMPREPLY=($(compgen -f -- \"$cur\")); return\n"
        << "    fi\n"
        << "    case $prev in\n";
    valueCases(out, globalOptions());
    for (const CliCommand *c : CliCommand::all()) {
        if (c->options.isEmpty())
            continue;
        out << "    esac\n    [[ $command == " << c->name << " ]] && case $prev in\n";
        valueCases(out, c->options);
    }
    out << "    esac\n"
        << "    local options=\"" << optionNames(globalOptions()).join(QLatin1Char(' ')) << "\"\n"
        << "    case $command in\n";
    for (const CliCommand *c : CliCommand::all())
        if (!c->options.isEmpty())
            out << "    " << c->name << ") options+=\" " << optionNames(c->options).join(QLatin1Char(' ')) << "\" ;;\n";
    out << "    esac\n"
        << "    if [[ $cur == -* ]]; then\n"
        << "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
        << "    elif [[ -z $command ]]; then\n"
        << "        COMPREPLY=($(compgen -W \"" << commands.join(QLatin1Char(' ')) << "\" -- \"$cur\"))\n"
        << "    else\n"
        << "        case $command in\n";
    QStringList withFiles;
    for (const CliCommand *c : CliCommand::all())
        if (QString::fromUtf8(c->arguments).contains(QLatin1String("DATEI")))
            withFiles << QString::fromLatin1(c->name);
    if (!withFiles.isEmpty())
        out << "        " << withFiles.join(QLatin1Char('|')) << ") compopt -o filenames; COMPREPLY=($(compgen -f -- \"$cur\")) ;;\n";
    out << "        *) COMPREPLY=() ;;\n"
        << "        esac\n"
        << "    fi\n"
        << "}\n"
        << "complete -F _quillon_cli quillon-cli\n";
    out.flush();
}
