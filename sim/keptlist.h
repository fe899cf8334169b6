#pragma once
#include <QList>
#include <utility>

// Appends to a history that tests read and drops its oldest entries beyond
// keep: a simulator serving a soak or a fleet for hours must not grow with
// what it served.
template <typename T>
void appendKept(QList<T> &list, T value, qsizetype keep)
{
    list.append(std::move(value));
    if (list.size() > keep)
        list.remove(0, list.size() - keep);
}
