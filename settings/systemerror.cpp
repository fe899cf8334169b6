#include "settings/systemerror.h"

#include <cerrno>
#include <cstring>

QString systemErrorText(int error)
{
    switch (error) {
    case ENOENT: return QStringLiteral("Datei nicht gefunden");
    case EEXIST: return QStringLiteral("gibt es schon");
    case EACCES:
    case EPERM: return QStringLiteral("Zugriff verweigert");
    case EISDIR: return QStringLiteral("ist ein Verzeichnis");
    case ENOTDIR: return QStringLiteral("ein Teil des Pfads ist kein Verzeichnis");
    case ENAMETOOLONG: return QStringLiteral("Name zu lang");
    case ELOOP: return QStringLiteral("zu viele symbolische Verweise");
    case EIO: return QStringLiteral("Ein-/Ausgabefehler");
    case ENOSPC: return QStringLiteral("kein Platz mehr auf dem Datenträger");
    case EFBIG: return QStringLiteral("Datei zu groß");
    case EROFS: return QStringLiteral("Dateisystem nur lesbar");
    case EBUSY: return QStringLiteral("wird von einem anderen Programm benutzt");
    case ENXIO:
    case ENODEV: return QStringLiteral("Gerät nicht vorhanden");
    case ENOTTY: return QStringLiteral("keine serielle Schnittstelle");
    case EAGAIN: return QStringLiteral("vorübergehend nicht verfügbar");
    case EINTR: return QStringLiteral("unterbrochen");
    case EINVAL: return QStringLiteral("ungültiges Argument");
    case ETIMEDOUT: return QStringLiteral("Zeitüberschreitung");
    case ECONNREFUSED: return QStringLiteral("Verbindung verweigert");
    case EHOSTUNREACH: return QStringLiteral("Rechner nicht erreichbar");
    case ENETUNREACH: return QStringLiteral("Netzwerk nicht erreichbar");
    default: return QStringLiteral("%1 (Fehler %2)").arg(QString::fromLocal8Bit(std::strerror(error))).arg(error);
    }
}
