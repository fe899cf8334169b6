#pragma once
#include "upload/transferprogress.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class LauncherEntry;
class QProgressBar;

// The share of a running upload on the status bar's progress bar and on the
// launcher entry: shown while records go out and the device programs, hidden
// otherwise. Redrawn a few times a second, not once per record.
class ProgressDisplay : public QObject {
    Q_OBJECT
public:
    static constexpr int RedrawMs = 250;
    static constexpr int Steps = 1000;

    ProgressDisplay(QProgressBar &bar, LauncherEntry &launcher, QObject *parent = nullptr);

    void take(const TransferProgress &progress);
    // The run is over, however it ended.
    void end();

private:
    void draw();

    QProgressBar &m_bar;
    LauncherEntry &m_launcher;
    bool m_showing = false;
    int m_pending = -1;  // the share in steps not yet drawn; -1: none
    QElapsedTimer m_sinceDrawn;
    QTimer m_late;  // draws what came after the last drawing
};
