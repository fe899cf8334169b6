#include "mainwindow/controls.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QToolButton>
#include <stdexcept>

namespace {
struct HintParts {
    QString tooltip;
    QString status;
};

HintParts split(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return {hint, hint};
    return {hint.left(bar), hint.mid(bar + 1)};
}

// Buttons with a caption and labels are named by it already (Qt's default);
// speed buttons show a picture only.
bool namedByCaption(const QWidget *widget)
{
    return (qobject_cast<const QAbstractButton *>(widget) && !qobject_cast<const QToolButton *>(widget))
           || qobject_cast<const QLabel *>(widget);
}
}  // namespace

QLabel *placeLabel(QWidget *parent, const QString &name, const QString &caption, int x, int y, int width)
{
    QLabel *l = place<QLabel>(parent, name, x, y, width, 15);
    l->setText(caption);
    l->setAccessibleName(caption);
    return l;
}

void setHint(QWidget *widget, const QString &hint)
{
    const HintParts parts = split(hint);
    widget->setToolTip(parts.tooltip);
    widget->setStatusTip(parts.status);
    if (!namedByCaption(widget))
        widget->setAccessibleName(parts.tooltip);
    widget->setAccessibleDescription(parts.status);
}

void setHint(QAction *action, const QString &hint)
{
    const HintParts parts = split(hint);
    action->setToolTip(parts.tooltip);
    action->setStatusTip(parts.status);
}

int StrToInt(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        throw std::runtime_error(QStringLiteral("'%1' ist kein gültiger Integerwert.").arg(text).toStdString());
    return value;
}
