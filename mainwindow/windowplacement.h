#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where a window of the given frame size sits centred on the screen area.
QPoint centredOn(const QSize &frame, const QRect &screen);

// Where a second window goes so that it covers the first as little as
// possible: right of it, else left of it, else at the wider free side,
// always kept on the screen area. Tops are aligned.
QPoint besideWindow(const QRect &anchor, const QSize &frame, const QRect &screen);

// Places a window not yet shown: centred on its screen, or beside anchor.
void centreOnScreen(QWidget &window);
void placeBeside(QWidget &window, const QWidget &anchor);
