#include "upload/uploadphase.h"

QString phaseName(Phase phase)
{
    switch (phase) {
    case Phase::Refused: return QStringLiteral("nach einer Vorprüfung beendet");
    case Phase::Checking: return QStringLiteral("Geräteinformation und Vorprüfungen");
    case Phase::FactoryData: return QStringLiteral("Fabrikdaten und Eichschalter");
    case Phase::EnterFlashMode: return QStringLiteral("FLASH-Update einleiten");
    case Phase::Transfer: return QStringLiteral("Datenübertragung");
    case Phase::Programming: return QStringLiteral("Programmierung im KRV");
    case Phase::SameFirmware:
    case Phase::DeviceFirmwareNewer:
    case Phase::FeatureUnsupported:
    case Phase::WrongDevice:
    case Phase::FlashTooSmall: break;
    }
    return QStringLiteral("Vorprüfung fehlgeschlagen");
}
