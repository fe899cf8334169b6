#pragma once
#include "upload/blocktransfer.h"

#include <QElapsedTimer>
#include <QString>
#include <QTextStream>

class CliFrontend;

// The flash command's progress bar on a terminal: data records sent against
// the non-blank blocks to send, then the device's programming letters. It
// owns the line while it runs, so the status lines are held back meanwhile.
class FlashProgress {
public:
    FlashProgress(QTextStream &err, CliFrontend &ui);
    ~FlashProgress();

    void update(const TransferProgress &progress, int uploadPhase);

private:
    void draw(const QString &line, bool now);
    void endLine();

    QTextStream &m_err;
    CliFrontend &m_ui;
    bool m_wasQuiet;
    bool m_drawn = false;
    bool m_programming = false;
    QByteArray m_letters;
    QElapsedTimer m_sinceDrawn;
};
