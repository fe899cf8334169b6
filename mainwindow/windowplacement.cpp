#include "mainwindow/windowplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {
int clampTo(int value, int low, int high) { return std::max(low, std::min(value, high)); }

QRect screenArea(const QWidget &window)
{
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}
}  // namespace

QPoint centredOn(const QSize &frame, const QRect &screen)
{
    return {screen.x() + std::max(0, (screen.width() - frame.width()) / 2),
            screen.y() + std::max(0, (screen.height() - frame.height()) / 2)};
}

QPoint besideWindow(const QRect &anchor, const QSize &frame, const QRect &screen)
{
    const int freeRight = screen.right() - anchor.right();
    const int freeLeft = anchor.left() - screen.left();
    int x;
    if (freeRight >= frame.width())
        x = anchor.right() + 1;
    else if (freeLeft >= frame.width())
        x = anchor.left() - frame.width();
    else if (freeRight >= freeLeft)
        x = screen.right() + 1 - frame.width();
    else
        x = screen.left();
    return {clampTo(x, screen.left(), screen.right() + 1 - frame.width()),
            clampTo(anchor.top(), screen.top(), screen.bottom() + 1 - frame.height())};
}

void centreOnScreen(QWidget &window)
{
    if (const QRect screen = screenArea(window); screen.isValid())
        window.move(centredOn(window.frameGeometry().size(), screen));
}

void placeBeside(QWidget &window, const QWidget &anchor)
{
    if (const QRect screen = screenArea(anchor); screen.isValid())
        window.move(besideWindow(anchor.frameGeometry(), window.frameGeometry().size(), screen));
}
