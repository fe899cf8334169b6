#pragma once
#include <QString>
#include <QUrl>

// The address a link widget hands to the desktop: a bare mail address
// ("name@host") becomes a mailto: link, a bare host or path an http:// one.
// An empty text gives an empty QUrl.
QUrl desktopUrl(const QString &address);

// Asks the desktop to open the address; an empty address does nothing.
void openDesktopUrl(const QString &address);
