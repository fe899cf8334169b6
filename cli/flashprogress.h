#pragma once
#include "cli/phasepace.h"
#include "upload/blocktransfer.h"

#include <QElapsedTimer>
#include <QString>
#include <QTextStream>

class CliFrontend;

// The flash command's progress bar on a terminal of the given width: data
// records sent against the non-blank blocks to send, then the counts of the
// device's programming letters against the letters this image brings, each
// with the share in percent, the time taken and the time still to go. It owns the line while it runs, so the
// status lines are held back meanwhile.
class FlashProgress {
public:
    FlashProgress(QTextStream &err, CliFrontend &ui, int columns);
    ~FlashProgress();

    void update(const TransferProgress &progress, Phase uploadPhase);
    // A line of its own between the bar's lines.
    void note(const QString &text);

private:
    void draw(const QString &line, bool now);
    void endLine();
    // The label, the bar, the share done and the counts, the time since the
    // phase's first report and the time the rest will take at the pace so far.
    QString barLine(const QString &label, int done, int total, const QString &counts) const;
    QString dataLine(int sent, int total) const;
    QString letterLine(const TransferProgress &progress) const;

    QTextStream &m_err;
    CliFrontend &m_ui;
    int m_columns;
    bool m_wasQuiet;
    bool m_drawn = false;
    bool m_programming = false;
    QString m_line;  // as last drawn
    TransferCounters m_letters;  // the programming letters so far
    QElapsedTimer m_sinceDrawn;
    PhasePace m_pace;  // of the records, then of the letters
};
