#pragma once
#include <QLabel>

class QTimer;

enum TTimeLabelMode { tmTime, tmDate, tmDateTime, tmText };

// A label that shows the current time, date, both, or a fixed text. Its
// timer runs only while the label is visible and shows a clock.
class TTimeLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TTimeLabel(QWidget *parent = nullptr);

    TTimeLabelMode mode() const { return m_mode; }
    void setMode(TTimeLabelMode mode);

    // The text shown in tmText mode.
    QString fixedText() const { return m_fixedText; }
    void setFixedText(const QString &text);

    int interval() const;
    void setInterval(int milliseconds);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void refresh();
    void updateTimer();

    QTimer *m_timer;
    TTimeLabelMode m_mode = tmTime;
    QString m_fixedText;
};
