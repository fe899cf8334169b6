#include "widgets/urlbutton.h"

#include "widgets/urlopen.h"

TURLButton::TURLButton(const QString &text, QWidget *parent) : QPushButton(text, parent)
{
    setCursor(Qt::PointingHandCursor);
    connect(this, &QPushButton::clicked, this, [this] { openDesktopUrl(m_url); });
}
