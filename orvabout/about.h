#pragma once
#include <QDialog>

class QLabel;
class QPushButton;
class TURLButton;
class TVersInfo;

// "About this marvelous program": the host program's name, versions, legal
// notice and comments from its version data. A press on the name opens a
// web-update window of its own; a click on the picture tells more about Orv.
class TOrvAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TOrvAboutBox(QWidget *owner = nullptr);

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label5;
    QLabel *Label6;
    QLabel *Image1;
    QPushButton *BitBtn1;
    TURLButton *URLButton1;
    TVersInfo *VersInfo1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Label1MouseDown();
    void Image1Click();
};
