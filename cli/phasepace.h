#pragma once
#include <QElapsedTimer>
#include <QString>

// The pace of one phase of the upload: the time since its first step and the
// time its rest will take at the pace of the steps so far.
class PhasePace {
public:
    // The phase's clock starts with its first report.
    void restart() { m_since.invalidate(); }
    void step();
    bool started() const { return m_since.isValid(); }
    // "2:05"; "-:--" until the first step is done.
    QString elapsedText() const;
    QString remainingText(int done, int total) const;
    static int percent(int done, int total) { return total > 0 ? int(qint64(done) * 100 / total) : 100; }
    // "  42 %, noch 0:07": for a status line that has no bar beside it.
    QString shareText(int done, int total) const;

private:
    QElapsedTimer m_since;
};
