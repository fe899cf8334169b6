#pragma once
#include <QPushButton>

// A push button that opens its url when clicked.
class TURLButton : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(QString url READ url WRITE setUrl)
public:
    explicit TURLButton(const QString &text = {}, QWidget *parent = nullptr);

    QString url() const { return m_url; }
    void setUrl(const QString &url) { m_url = url; }

private:
    QString m_url;
};
