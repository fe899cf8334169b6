#include "cli/devicestate.h"

#include "upload/upload.h"

QString deviceStateAfter(const Upload &upload)
{
    const Phase phase = upload.UploadPhase;
    if (phase <= Phase::FactoryData)
        return QStringLiteral("Das KRV wurde nicht verändert.");
    // The device erases and burns only after its "F": up to then the old
    // firmware is intact, but the device waits for records and answers no
    // command, so a rerun ends with "KRV reagiert falsch oder nicht!".
    const QString untouched = QStringLiteral(
        "Sein FLASH ist unverändert (gelöscht und gebrannt wird erst nach seiner Antwort \"F\"). "
        "Es bleibt im FLASH-Update-Modus und antwortet auf nichts anderes; ein neuer Upload endet jetzt mit "
        "\"KRV reagiert falsch oder nicht!\". KRV aus- und wieder einschalten: es startet mit der alten Firmware. "
        "Dann den Upload erneut starten; er beginnt von vorn.");
    if (phase == Phase::EnterFlashMode)
        return QStringLiteral("Das KRV wurde in den FLASH-Update-Modus gerufen und hat keine Daten erhalten. ") + untouched;
    // Where the device may still burn its flash, switching it off could ruin
    // it: read it before anything else is done.
    const QString readFirst = QStringLiteral(
        "KRV eingeschaltet lassen, einige Minuten warten, dann auslesen (quillon-cli info) und erst danach "
        "entscheiden: meldet es die neue Firmware, ist sie gebrannt; meldet es die alte, den Upload erneut starten; "
        "antwortet es nicht, später noch einmal auslesen.");
    if (phase == Phase::Transfer && upload.transferEnd.endRecordSent)
        return QStringLiteral("Unbekannt: Das KRV hat das Abbild vollständig erhalten, aber auf den Endsatz kam kein \"F\"; "
                              "es kann gerade sein FLASH programmieren. ")
               + readFirst;
    if (phase == Phase::Transfer)
        return QStringLiteral("Das KRV ist im FLASH-Update-Modus und hat das Abbild nicht vollständig erhalten. ") + untouched;
    return QStringLiteral("Unbekannt: Das KRV hat mit dem Programmieren begonnen und meldet sich nicht mehr; "
                          "sein FLASH kann unvollständig sein. ")
           + readFirst;
}
