#pragma once
#include "upload/blocktransfer.h"

#include <QElapsedTimer>
#include <QString>
#include <QTextStream>

class CliFrontend;

// The flash command's progress bar on a terminal of the given width: data
// records sent against the non-blank blocks to send, with the share in
// percent, the time taken and the time still to go, then the counts of the
// device's programming letters. It owns the line while it runs, so the
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
    // The bar, the share sent, the time since the first record and the time
    // the rest will take at the pace so far.
    QString dataLine(int sent, int total);
    QString letterLine() const;

    QTextStream &m_err;
    CliFrontend &m_ui;
    int m_columns;
    bool m_wasQuiet;
    bool m_drawn = false;
    bool m_programming = false;
    QString m_line;  // as last drawn
    TransferCounters m_letters;  // the programming letters so far
    QElapsedTimer m_sinceDrawn;
    QElapsedTimer m_sinceStart;  // the data records' transfer
};
