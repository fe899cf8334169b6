#include "mainwindow/startoptions.h"

#include "settings/userfolder.h"

namespace {
// Options of Qt's application object that take the next word as their value.
bool qtOptionTakesValue(const QString &word)
{
    static const QStringList withValue = {
        QStringLiteral("platform"), QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
        QStringLiteral("plugin"),   QStringLiteral("qwindowgeometry"),    QStringLiteral("qwindowtitle"),
        QStringLiteral("qwindowicon"), QStringLiteral("session"),         QStringLiteral("style"),
        QStringLiteral("stylesheet"), QStringLiteral("display"),          QStringLiteral("geometry"),
        QStringLiteral("name"),     QStringLiteral("title"),              QStringLiteral("visual")};
    return !word.contains(QLatin1Char('=')) && withValue.contains(word.mid(1));
}
}  // namespace

StartOptions parseStartOptions(const QStringList &words)
{
    StartOptions options;
    // Asked for help or the version, the rest of the line does not matter.
    const qsizetype filesOnly = words.indexOf(QLatin1String("--"));
    const QStringList asked = filesOnly < 0 ? words.mid(1) : words.mid(1, filesOnly - 1);
    for (const char *help : {"-h", "--help", "-?"})
        if (asked.contains(QLatin1String(help)))
            return {StartOptions::Want::Help, {}, {}, {}};
    for (const char *version : {"-V", "--version"})
        if (asked.contains(QLatin1String(version)))
            return {StartOptions::Want::Version, {}, {}, {}};
    const auto fail = [&options](const QString &error) {
        options.want = StartOptions::Want::Error;
        options.error = error;
        return options;
    };
    bool onlyFiles = false;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString &word = words[i];
        if (onlyFiles || !word.startsWith(QLatin1Char('-')) || word == QLatin1String("-")) {
            if (!options.file.isEmpty())
                return fail(QStringLiteral("nur eine Datei kann beim Start geladen werden, nicht auch \"%1\"").arg(word));
            options.file = word;
        } else if (word == QLatin1String("--")) {
            onlyFiles = true;
        } else if (word == QLatin1String("--settings")) {
            if (i + 1 >= words.size())
                return fail(QStringLiteral("--settings braucht einen Wert (DATEI)"));
            options.settingsPath = words[++i];
        } else if (word.startsWith(QLatin1String("--settings="))) {
            options.settingsPath = word.section(QLatin1Char('='), 1);
            if (options.settingsPath.isEmpty())
                return fail(QStringLiteral("--settings braucht einen Wert (DATEI)"));
        } else if (word.startsWith(QLatin1String("--"))) {
            return fail(QStringLiteral("unbekannte Option \"%1\"").arg(word.section(QLatin1Char('='), 0, 0)));
        } else if (qtOptionTakesValue(word)) {
            ++i;
        }
    }
    return options;
}

QString startHelpText()
{
    return QStringLiteral(
               "Aufruf: quillon [--settings DATEI] [FIRMWAREDATEI]\n"
               "Firmware-Update für KRV470 und KRV465 über RS-232, Modem oder TCP.\n"
               "\n"
               "Optionen:\n"
               "  --settings DATEI   diese Einstellungsdatei verwenden; sonst quillon.INI neben dem\n"
               "                     Programm, wenn es dort eine gibt, sonst\n"
               "                     %1\n"
               "  -h, --help         diese Hilfe\n"
               "  -V, --version      die Version des Programms\n"
               "\n"
               "FIRMWAREDATEI (Intel-HEX oder Binärabbild) wird nach dem Start geladen wie mit \"Öffnen\".\n"
               "Das Kommandozeilenprogramm ist quillon-cli (quillon-cli --help).\n")
        .arg(userSettingsFileText());
}
