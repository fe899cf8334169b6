#pragma once
#include <QString>
#include <QStringList>

// The candidate closest to a mistyped word (fewest single-character edits;
// the first of equals). Empty when there are no candidates.
QString nearest(const QString &word, const QStringList &candidates);
