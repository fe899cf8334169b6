#include "mainwindow/helpviewer.h"

#include <QVariant>
#include <QWidget>

namespace {
const char *const kProperty = "helpContext";
}

int helpContextOf(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        const int context = w->property(kProperty).toInt();
        if (context > 0)
            return context;
    }
    return 0;
}

void setHelpContext(QWidget *widget, int context) { widget->setProperty(kProperty, context); }
