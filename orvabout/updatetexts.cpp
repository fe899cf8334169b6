#include "orvabout/updatetexts.h"

namespace {
struct TextPair {
    const char *german;
    const char *english;
};

// In the order of UpdateText.
constexpr TextPair Texts[] = {
    {"Installierte Version:", "Installed version:"},
    {"Aktuelle Version:", "Latest version:"},
    {" Vorgang ", " Action "},
    {"Schließen", "Close"},
    {"Dieses Fenster schließen", "Close this window"},
    {"Abbrechen", "Cancel"},
    {"Download abbrechen", "Cancel download"},
    {"Verfügbares Update laden und installieren", "Download and install available update"},
    {"Installierte Version ermitteln.", "Identifying installed version."},
    {"Verbinde zum Orv-Updateserver.", "Connecting to Orv-Updateserver."},
    {"Das kann dauern, bitte etwas Geduld!", "This will take some time, be patient!"},
    {"Aktuellste Version ermitteln.", "Identifying current version."},
    {"Es ist ein neuere Version verfügbar!", "A newer version is available!"},
    {"Keine Versionsinfo verfügbar!", "No version info available!"},
    {"Das Programm ist auf dem aktuellen Stand!", "Your program is up to date"},
    {"Deine Version ist aktueller!! :-))", "You use a more recent program! :-))"},
    {"Konnte Updatefile nicht finden!", "Could not find the update file!"},
    {"Warte auf Start des Downloads.", "Waiting for start of download."},
    {"Download vom kundigen User abgebrochen!", "Download canceled by the user!"},
    {"wurde erfolgreich gespeichert!", "successfully stored!"},
    {"wurde nicht gespeichert! Warum?", "was not stored! Why"},
    {"Das Update kann nun installiert werden!", "Ready to install the update!"},
    {"Installiere Update", "Install update"},
    {"Zur Installation Programm beenden!", "Terminate program for installation!"},
    {"Der Download war nicht erfolgreich!", "File download failed!"},
    {" von ", " from "},
    {"Die Prüfsumme des Downloads stimmt nicht, die Datei wurde gelöscht!", nullptr},
    {"Das Updatefile nennt keinen gültigen Dateinamen!", nullptr},
    {"Das Update konnte nicht gestartet werden!", nullptr},
    {"Quillon wird über die Paketverwaltung des Systems aktualisiert (apt).",
     "Quillon is updated by the system's package manager (apt)."},
};
static_assert(std::size(Texts) == size_t(UpdateText::PackageManagerUpdates) + 1);
}  // namespace

QString updateText(UpdateText role, int language)
{
    const TextPair &pair = Texts[int(role)];
    return QString::fromUtf8(language == 0 || !pair.english ? pair.german : pair.english);
}

QString progressLine(qint64 received, qint64 total, int language)
{
    return QString::number(received) + updateText(UpdateText::ProgressFrom, language) + QString::number(total)
           + QStringLiteral(" Bytes downloaded.");
}
