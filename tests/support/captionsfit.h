#pragma once
// Whether every visible named control of a window fits its parent and shows
// its caption whole, so nothing a technician must read is cut.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QWidget>

// The controls whose place or caption is too small, as "name: text".
inline QStringList cutCaptions(const QWidget &root)
{
    QStringList cut;
    for (const QWidget *w : root.findChildren<QWidget *>()) {
        if (w->objectName().isEmpty() || !w->isVisibleTo(&root) || w->objectName().startsWith("qt_"))
            continue;
        if (!w->parentWidget()->rect().contains(w->geometry()))
            cut << w->objectName() + QStringLiteral(": outside its parent");
        QString text;
        int room = w->width();
        if (auto *check = qobject_cast<const QCheckBox *>(w)) {
            text = check->text().remove('&');
            room -= w->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 8;
        } else if (auto *b = qobject_cast<const QAbstractButton *>(w)) {
            text = b->text().remove('&');
            if (qobject_cast<const QPushButton *>(w))
                room -= 8;
        } else if (auto *l = qobject_cast<const QLabel *>(w); l && !l->wordWrap()) {
            text = l->text();
            room -= 2 * l->frameWidth() + 2 * l->margin();
        }
        if (!text.isEmpty() && w->fontMetrics().horizontalAdvance(text) > room)
            cut << w->objectName() + QStringLiteral(": ") + text;
        // A list shows each of its items in its field when chosen.
        if (auto *list = qobject_cast<const QComboBox *>(w)) {
            QStyleOptionComboBox option;
            option.initFrom(list);
            option.editable = list->isEditable();
            const int field = list->style()
                                  ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list)
                                  .width();
            for (int i = 0; i < list->count(); ++i)
                if (list->fontMetrics().horizontalAdvance(list->itemText(i)) + 4 > field)
                    cut << w->objectName() + QStringLiteral(": ") + list->itemText(i);
        }
    }
    return cut;
}

// The same as one text for a test's failure message; empty when nothing is cut.
inline QString cutCaptionsText(const QWidget &root) { return cutCaptions(root).join(QStringLiteral(" | ")); }
