#include "cli/uploadphase.h"

QString phaseName(int uploadPhase)
{
    switch (uploadPhase) {
    case 0: return QStringLiteral("nach einer Vorprüfung beendet");
    case 1: return QStringLiteral("Geräteinformation und Vorprüfungen");
    case 2: return QStringLiteral("Fabrikdaten und Eichschalter");
    case 3: return QStringLiteral("FLASH-Update einleiten");
    case 4: return QStringLiteral("Datenübertragung");
    case 5: return QStringLiteral("Programmierung im KRV");
    default: return uploadPhase < 0 ? QStringLiteral("Vorprüfung fehlgeschlagen") : QString();
    }
}

QString deviceStateAfter(int uploadPhase)
{
    if (uploadPhase <= 2)
        return QStringLiteral("Das KRV wurde nicht verändert.");
    // The device erases and burns only after its "F": up to then the old
    // firmware is intact, but the device waits for records and answers no
    // command, so a rerun ends with "KRV reagiert falsch oder nicht!".
    const QString untouched = QStringLiteral(
        "Sein FLASH ist unverändert (gelöscht und gebrannt wird erst nach seiner Antwort \"F\"). "
        "Es bleibt im FLASH-Update-Modus und antwortet auf nichts anderes; ein neuer Upload endet jetzt mit "
        "\"KRV reagiert falsch oder nicht!\". KRV aus- und wieder einschalten: es startet mit der alten Firmware. "
        "Dann den Upload erneut starten; er beginnt von vorn.");
    if (uploadPhase == 3)
        return QStringLiteral("Das KRV wurde in den FLASH-Update-Modus gerufen und hat keine Daten erhalten. ") + untouched;
    if (uploadPhase == 4)
        return QStringLiteral("Das KRV ist im FLASH-Update-Modus und hat das Abbild nicht vollständig erhalten. ") + untouched;
    return QStringLiteral("Das KRV hat mit dem Programmieren begonnen; sein FLASH kann unvollständig sein. "
                          "KRV eingeschaltet lassen und den Upload erneut starten; er beginnt von vorn.");
}
