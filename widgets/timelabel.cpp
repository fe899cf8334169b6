#include "widgets/timelabel.h"

#include <QDateTime>
#include <QTimer>

TTimeLabel::TTimeLabel(QWidget *parent) : QLabel(parent), m_timer(new QTimer(this))
{
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &TTimeLabel::refresh);
    refresh();
}

void TTimeLabel::setMode(TTimeLabelMode mode)
{
    m_mode = mode;
    refresh();
    updateTimer();
}

void TTimeLabel::setFixedText(const QString &text)
{
    m_fixedText = text;
    if (m_mode == tmText)
        setText(text);
}

int TTimeLabel::interval() const
{
    return m_timer->interval();
}

void TTimeLabel::setInterval(int milliseconds)
{
    m_timer->setInterval(milliseconds);
}

void TTimeLabel::showEvent(QShowEvent *event)
{
    QLabel::showEvent(event);
    refresh();  // the time shown before the label was hidden is stale
    updateTimer();
}

void TTimeLabel::hideEvent(QHideEvent *event)
{
    QLabel::hideEvent(event);
    updateTimer();
}

void TTimeLabel::refresh()
{
    const QDateTime now = QDateTime::currentDateTime();
    switch (m_mode) {
    case tmTime: setText(now.toString(QStringLiteral("HH:mm:ss"))); break;
    case tmDate: setText(now.toString(QStringLiteral("dd.MM.yyyy"))); break;
    case tmDateTime: setText(now.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))); break;
    case tmText: setText(m_fixedText); break;
    }
}

void TTimeLabel::updateTimer()
{
    if (m_mode != tmText && isVisible())
        m_timer->start();
    else
        m_timer->stop();
}
