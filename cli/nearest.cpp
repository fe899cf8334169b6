#include "cli/nearest.h"

#include <QList>
#include <algorithm>

namespace {
qsizetype editDistance(const QString &a, const QString &b)
{
    QList<qsizetype> row(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}
}

QString nearest(const QString &word, const QStringList &candidates)
{
    QString best;
    qsizetype bestDistance = 0;
    for (const QString &candidate : candidates) {
        const qsizetype d = editDistance(word.toLower(), candidate.toLower());
        if (best.isEmpty() || d < bestDistance) {
            best = candidate;
            bestDistance = d;
        }
    }
    return best;
}
