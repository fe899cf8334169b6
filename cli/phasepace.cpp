#include "cli/phasepace.h"

namespace {
// "2:05", "1:02:05".
QString clockText(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    const QString minutesAndSeconds = QStringLiteral("%1:%2").arg(seconds / 60 % 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (seconds < 3600)
        return minutesAndSeconds;
    return QStringLiteral("%1:%2").arg(seconds / 3600).arg(minutesAndSeconds.rightJustified(5, QLatin1Char('0')));
}
}

void PhasePace::step()
{
    if (!m_since.isValid())
        m_since.start();
}

QString PhasePace::elapsedText() const { return clockText(m_since.isValid() ? m_since.elapsed() : 0); }

QString PhasePace::remainingText(int done, int total) const
{
    // The steps so far set the pace of the rest; until one is done there is none.
    if (done <= 0 || !m_since.isValid())
        return QStringLiteral("-:--");
    return clockText(m_since.elapsed() * (total - done) / done);
}

QString PhasePace::shareText(int done, int total) const
{
    return QStringLiteral("  %1 %, noch %2").arg(percent(done, total)).arg(remainingText(done, total));
}
