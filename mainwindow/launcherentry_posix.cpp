#include "mainwindow/launcherentry.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QVariantMap>
#include <optional>

namespace {
// The name of the installed desktop file.
const QString kApplicationUri = QStringLiteral("application://example.orv.quillon.desktop");

// Only a bus that is there: with no address given, the bus library would
// try to launch one, which can take seconds.
bool sessionBusAnnounced()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(QDir(runtime).filePath(QStringLiteral("bus")));
}
}

// The launcher-entry signal on the session bus, which docks and task bars
// of several desktops follow.
struct LauncherEntry::Platform {
    std::optional<bool> busThere;  // asked at the first signal

    void send(double share, bool visible)
    {
        if (!busThere)
            busThere = sessionBusAnnounced() && QDBusConnection::sessionBus().isConnected();
        if (!*busThere)
            return;
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/com/canonical/unity/launcherentry/%1").arg(QCoreApplication::applicationPid()),
            QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
        signal << kApplicationUri
               << QVariantMap{{QStringLiteral("progress"), share}, {QStringLiteral("progress-visible"), visible}};
        QDBusConnection::sessionBus().send(signal);
    }
};

LauncherEntry::LauncherEntry(QWidget &) : m_platform(std::make_unique<Platform>()) {}

LauncherEntry::~LauncherEntry() = default;

void LauncherEntry::show(double share) { m_platform->send(share, true); }

void LauncherEntry::hide() { m_platform->send(0.0, false); }
