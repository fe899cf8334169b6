#pragma once
#include <QByteArray>
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The read-password dialog. Created once and shown whenever the device asks
// for its read password.
class TPwForm : public QDialog {
    Q_OBJECT
public:
    explicit TPwForm(QWidget *parent = nullptr);

    // Shows the dialog modally, filled with readPassword, and leaves
    // readPassword as the user decides: the typed text (Button1), empty
    // (Button2), or unchanged (close box, Escape).
    void askReadPassword(QByteArray &readPassword);

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLineEdit *edPw;
    QPushButton *Button1;
    QPushButton *Button2;

private:
    enum Result { Closed = QDialog::Rejected, Confirmed = QDialog::Accepted, GivenUp };
    void edPwChange();
};
