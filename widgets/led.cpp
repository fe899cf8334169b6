#include "widgets/led.h"

#include "widgets/leftclick.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QRadialGradient>

QString ledColorName(TLEDColor color)
{
    switch (color) {
    case lcRed: return QStringLiteral("rot");
    case lcGreen: return QStringLiteral("grün");
    case lcYellow: return QStringLiteral("gelb");
    }
    return {};
}

namespace {
QColor lampColor(TLEDColor color)
{
    switch (color) {
    case lcRed: return QColor(0xd8, 0x22, 0x1e);
    case lcGreen: return QColor(0x1f, 0xb4, 0x3a);
    case lcYellow: return QColor(0xf2, 0xc2, 0x0c);
    }
    return Qt::gray;
}
}  // namespace

TLED::TLED(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setAccessibleDescription(ledColorName(m_color));
}

void TLED::setColor(TLEDColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    setAccessibleDescription(ledColorName(color));
    update();
}

QSize TLED::sizeHint() const
{
    // As tall as a line of text, so the lamp sits well beside its caption.
    const int diameter = fontMetrics().height();
    return {diameter, diameter};
}

void TLED::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    QColor base = lampColor(m_color);
    if (!isEnabled()) {
        const int grey = qGray(base.rgb());
        base = QColor(grey, grey, grey);
    }
    const qreal diameter = qMin(width(), height()) - 1.0;  // room for the rim
    const QRectF lamp((width() - diameter) / 2, (height() - diameter) / 2, diameter, diameter);

    // Light falls from the upper left: a bright spot there, a darker rim below.
    const QPointF highlight = lamp.center() - QPointF(diameter / 5, diameter / 5);
    QRadialGradient shading(lamp.center(), diameter / 2, highlight);
    shading.setColorAt(0.0, base.lighter(175));
    shading.setColorAt(0.55, base);
    shading.setColorAt(1.0, base.darker(140));

    painter.setPen(QPen(base.darker(220), 1.0));
    painter.setBrush(shading);
    painter.drawEllipse(lamp);
}

void TLED::mousePressEvent(QMouseEvent *event)
{
    // The press belongs to the lamp; the window behind it must not see it.
    event->setAccepted(event->button() == Qt::LeftButton);
}

void TLED::mouseReleaseEvent(QMouseEvent *event)
{
    if (isLeftClickRelease(event, this))
        emit clicked();
}

TLEDLabel::TLEDLabel(QWidget *parent)
    : QWidget(parent),
      m_led(new TLED(this)),
      m_caption(new QLabel(this)),
      m_layout(new QBoxLayout(QBoxLayout::LeftToRight, this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->addWidget(m_led);
    m_layout->addWidget(m_caption, 1);
    m_caption->hide();
    m_caption->installEventFilter(this);
    setCursor(Qt::PointingHandCursor);
    setLabelPosition(m_position);
    describeColor();
    connect(m_led, &TLED::clicked, this, &TLEDLabel::clicked);
}

void TLEDLabel::setColor(TLEDColor color)
{
    m_led->setColor(color);
    describeColor();
}

QString TLEDLabel::caption() const
{
    return m_caption->text();
}

void TLEDLabel::setCaption(const QString &caption)
{
    m_caption->setText(caption);
    m_caption->setHidden(caption.isEmpty());
    setAccessibleName(caption);
}

void TLEDLabel::setLabelPosition(TLabelPosition position)
{
    m_position = position;
    // The lamp comes first in the layout; the direction puts the caption on
    // the wanted side, and the caption's text leans towards the lamp.
    switch (position) {
    case lpLeft:
        m_layout->setDirection(QBoxLayout::RightToLeft);
        m_layout->setAlignment(m_led, Qt::AlignVCenter);
        m_caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case lpRight:
        m_layout->setDirection(QBoxLayout::LeftToRight);
        m_layout->setAlignment(m_led, Qt::AlignVCenter);
        m_caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        break;
    case lpAbove:
        m_layout->setDirection(QBoxLayout::BottomToTop);
        m_layout->setAlignment(m_led, Qt::AlignHCenter);
        m_caption->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        break;
    case lpBelow:
        m_layout->setDirection(QBoxLayout::TopToBottom);
        m_layout->setAlignment(m_led, Qt::AlignHCenter);
        m_caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        break;
    }
}

void TLEDLabel::mousePressEvent(QMouseEvent *event)
{
    event->setAccepted(event->button() == Qt::LeftButton);
}

bool TLEDLabel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_caption && event->type() == QEvent::MouseButtonRelease
        && isLeftClickRelease(static_cast<QMouseEvent *>(event), m_caption))
        emit clicked();
    return QWidget::eventFilter(watched, event);
}

void TLEDLabel::describeColor()
{
    setAccessibleDescription(ledColorName(m_led->color()));
}
