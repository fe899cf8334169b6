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
    if (uploadPhase == 3)
        return QStringLiteral("Das KRV wurde in den FLASH-Update-Modus gerufen, hat aber noch keine Daten erhalten. "
                              "Upload erneut starten; er beginnt von vorn.");
    if (uploadPhase == 4)
        return QStringLiteral("Das KRV ist im FLASH-Update-Modus und hat das Abbild nicht vollständig erhalten; "
                              "programmiert hat es noch nicht. Upload erneut starten; er beginnt von vorn.");
    return QStringLiteral("Das KRV hat mit dem Programmieren begonnen; sein FLASH kann unvollständig sein. "
                          "KRV eingeschaltet lassen und den Upload erneut starten; er beginnt von vorn.");
}
