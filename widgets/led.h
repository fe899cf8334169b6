#pragma once
#include <QWidget>

class QBoxLayout;
class QLabel;

enum TLEDColor { lcRed, lcGreen, lcYellow };
enum TLabelPosition { lpLeft, lpRight, lpAbove, lpBelow };

// The colour's name as a screen reader should say it.
QString ledColorName(TLEDColor color);

// A small round lamp. Its diameter follows the font, so it grows with the
// user's font size and the screen's scale.
class TLED : public QWidget
{
    Q_OBJECT
public:
    explicit TLED(QWidget *parent = nullptr);

    TLEDColor color() const { return m_color; }
    void setColor(TLEDColor color);

    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    TLEDColor m_color = lcGreen;
};

// A lamp with an optional caption beside, above or below it; a click on
// either of them is a click on the whole.
class TLEDLabel : public QWidget
{
    Q_OBJECT
public:
    explicit TLEDLabel(QWidget *parent = nullptr);

    TLEDColor color() const { return m_led->color(); }
    void setColor(TLEDColor color);

    QString caption() const;
    void setCaption(const QString &caption);

    TLabelPosition labelPosition() const { return m_position; }
    void setLabelPosition(TLabelPosition position);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void describeColor();

    TLED *m_led;
    QLabel *m_caption;
    QBoxLayout *m_layout;
    TLabelPosition m_position = lpRight;
};
