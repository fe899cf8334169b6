#pragma once
#include <QDialog>

// "More about Orv": the maker's picture, a few lines about the maker, and
// links to the home page and to a mail.
class TAboutOrvBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutOrvBox(QWidget *owner = nullptr);
};
