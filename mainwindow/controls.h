#pragma once
#include <QString>
#include <QWidget>

class QAction;
class QLabel;

// The application's title, on the window and on every message box. Not Qt's
// display name: the window system would append that to every caption.
inline QString applicationTitle() { return QStringLiteral("Quillon"); }

// Controls placed as the window's tables give them: by name, position and size.
template <typename W>
W *place(QWidget *parent, const char *name, int x, int y, int width, int height)
{
    W *w = new W(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(x, y, width, height);
    return w;
}

QLabel *placeLabel(QWidget *parent, const char *name, const QString &caption, int x, int y, int width);

// A hint "tooltip|status text": the part before the bar is the tooltip, the
// part after it the status-line text; without a bar the whole hint is both.
// The accessible name is the control's caption, else its tooltip.
void setHint(QWidget *widget, const QString &hint);
void setHint(QAction *action, const QString &hint);

// Typed numbers: a text that is no whole number throws, and the handler's
// guard shows "'text' ist kein gültiger Integerwert.".
int StrToInt(const QString &text);
