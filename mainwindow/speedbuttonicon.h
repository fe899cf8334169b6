#pragma once
#include <QIcon>
#include <QString>

// Logical size of a speed-button picture; the button is 25 x 25.
inline constexpr int SpeedButtonIconSize = 20;

// The speed-button picture ":/icons/<name>.svg", coloured when the button
// is enabled and greyed when it is disabled, at single and double pixel
// density. A name without picture gives a null icon.
QIcon speedButtonIcon(const QString &name);

// The program's icon at the sizes window managers and desktops ask for.
// Inside a QWidget member, call it as ::windowIcon().
QIcon windowIcon();
