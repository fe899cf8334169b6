#pragma once
#include <QMouseEvent>
#include <QWidget>

// A click completes on the left button's release, and only while the mouse is
// still over the widget: moving away before letting go cancels it.
inline bool isLeftClickRelease(const QMouseEvent *event, const QWidget *widget)
{
    return event->button() == Qt::LeftButton && widget->rect().contains(event->position().toPoint());
}
