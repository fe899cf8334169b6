#pragma once
#include "frontend/control.h"

#include <QString>
#include <QWidget>

class QAction;
class QLabel;

// The application's title, on the window and on every message box. Not Qt's
// display name: the window system would append that to every caption.
inline QString applicationTitle() { return QStringLiteral("Quillon"); }

// Controls placed as the window's tables give them: by name, position and
// size. The window's own controls go by the shared table; the options
// panel's by the options model's names.
template <typename W>
W *place(QWidget *parent, const QString &name, int x, int y, int width, int height)
{
    W *w = new W(parent);
    w->setObjectName(name);
    w->setGeometry(x, y, width, height);
    return w;
}
template <typename W>
W *place(QWidget *parent, const char *name, int x, int y, int width, int height)
{
    return place<W>(parent, QLatin1String(name), x, y, width, height);
}
template <typename W>
W *place(QWidget *parent, Control name, int x, int y, int width, int height)
{
    return place<W>(parent, controlName(name), x, y, width, height);
}

QLabel *placeLabel(QWidget *parent, const QString &name, const QString &caption, int x, int y, int width);
inline QLabel *placeLabel(QWidget *parent, const char *name, const QString &caption, int x, int y, int width)
{
    return placeLabel(parent, QLatin1String(name), caption, x, y, width);
}
inline QLabel *placeLabel(QWidget *parent, Control name, const QString &caption, int x, int y, int width)
{
    return placeLabel(parent, controlName(name), caption, x, y, width);
}

// A hint "tooltip|status text": the part before the bar is the tooltip, the
// part after it the status-line text; without a bar the whole hint is both.
// The accessible name is the control's caption, else its tooltip.
void setHint(QWidget *widget, const QString &hint);
void setHint(QAction *action, const QString &hint);

// Typed numbers: a text that is no whole number throws, and the handler's
// guard shows "'text' ist kein gültiger Integerwert.".
int StrToInt(const QString &text);
