#include "mainwindow/progressdisplay.h"

#include "mainwindow/launcherentry.h"

#include <QProgressBar>

ProgressDisplay::ProgressDisplay(QProgressBar &bar, LauncherEntry &launcher, QObject *parent)
    : QObject(parent), m_bar(bar), m_launcher(launcher)
{
    m_bar.setRange(0, Steps);
    m_bar.hide();
    m_late.setSingleShot(true);
    m_late.callOnTimeout(this, &ProgressDisplay::draw);
}

void ProgressDisplay::take(const TransferProgress &progress)
{
    if (progress.finished) {
        end();
        return;
    }
    m_pending = int(progress.share() * Steps);
    if (!m_showing || m_sinceDrawn.elapsed() >= RedrawMs)
        draw();
    else if (!m_late.isActive())
        m_late.start(int(RedrawMs - m_sinceDrawn.elapsed()));
}

void ProgressDisplay::draw()
{
    m_late.stop();
    if (m_pending < 0)
        return;
    m_bar.setValue(m_pending);
    m_bar.show();
    m_showing = true;
    m_launcher.show(double(m_pending) / Steps);
    m_pending = -1;
    m_sinceDrawn.start();
}

void ProgressDisplay::end()
{
    m_late.stop();
    m_pending = -1;
    if (!m_showing)
        return;
    m_showing = false;
    m_bar.hide();
    m_bar.reset();
    m_launcher.hide();
}
