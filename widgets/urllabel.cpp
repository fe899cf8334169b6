#include "widgets/urllabel.h"

#include "widgets/leftclick.h"
#include "widgets/urlopen.h"

TURLLabel::TURLLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setForegroundRole(QPalette::Link);
    setCursor(Qt::PointingHandCursor);
}

void TURLLabel::mousePressEvent(QMouseEvent *event)
{
    event->setAccepted(event->button() == Qt::LeftButton);
}

void TURLLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (isLeftClickRelease(event, this))
        openDesktopUrl(m_url);
}
