#pragma once
#include <QDialog>
#include <QStringList>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TAdvEdit;

// The interface settings dialog: a serial port with its line settings, or
// the TCP client with address and port. Created once, shown modally by the
// main window, which presets and reads the controls.
class TCommDialog : public QDialog {
    Q_OBJECT
public:
    explicit TCommDialog(QWidget *parent = nullptr);

    // List texts in the order of the serial port's values: an index is the
    // port's TBaudRate, TParity, TDataBits, TStopBits or FlowControlChoice.
    static const QStringList BaudItems, ParityItems, BitItems, StopItems, FlowItems;
    static const QString TcpClientItem;  // "TCP/IP Client"

    // The item a list's text names (typed or chosen), -1 for a text in no list.
    static int listIndex(const QComboBox *list);

    QLabel *Label1;
    QComboBox *cbName;
    QLabel *lbBaud;
    QComboBox *cbBaud;
    QLabel *lbParity;
    QComboBox *cbParity;
    QLabel *lbBit;
    QComboBox *cbBit;
    QLabel *lbStop;
    QComboBox *cbStop;
    QLabel *lbFlow;
    QComboBox *cbFlow;
    QLabel *lbBuf;
    QLabel *lbRbuf;
    TAdvEdit *edRbuf;
    QLabel *lbTbuf;
    TAdvEdit *edTbuf;
    QCheckBox *cbShowError;
    QLabel *lbIP;
    QLineEdit *EditIP;
    QLabel *lbPort;
    QLineEdit *EditPort;
    QPushButton *btOK;
    QPushButton *btAb;

    // The TCP layout is shown: "TCP/IP Client" is the current choice.
    bool EthernetSelected = false;
    // "TCP/IP Client" was the choice when OK was last pressed; the main
    // window writes it before showing the dialog and reads it afterwards.
    bool EthernetConfirmed = false;

    // Shows a plain message with OK (tests capture it instead).
    std::function<void(const QString &text)> ShowMessage;

    void FormShow();
    void ShowTcpLayout();
    void ShowSerialLayout();
    void cbNameChange();
    void btOKClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool choosing() const;
    void nameChosen();
    void nameEdited();
    void fillPortList();
    QList<QWidget *> serialControls() const;
    QList<QWidget *> tcpControls() const;
    void placeButtons(int top);

    // The interface text was typed into since the dialog was shown or the
    // name was last tested.
    bool m_nameEdited = false;
};
