#include "cli/devicestate.h"

QString deviceStateAfter(Phase phase)
{
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
    if (phase == Phase::Transfer)
        return QStringLiteral("Das KRV ist im FLASH-Update-Modus und hat das Abbild nicht vollständig erhalten. ") + untouched;
    return QStringLiteral("Das KRV hat mit dem Programmieren begonnen; sein FLASH kann unvollständig sein. "
                          "KRV eingeschaltet lassen und den Upload erneut starten; er beginnt von vorn.");
}
