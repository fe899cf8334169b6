#include "mainwindow/comdialog.h"
#include "mainwindow/portlistdelegate.h"
#include "comport/comport.h"
#include "comport/portlist.h"
#include "widgets/advedit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>

namespace {
constexpr int kWidth = 250;
constexpr int kSerialHeight = 370;
constexpr int kSerialButtonTop = 308;
constexpr int kTcpHeight = 180;
constexpr int kTcpButtonTop = 118;

constexpr int kLeft = 16;
constexpr int kFullWidth = kWidth - 2 * kLeft;
constexpr int kFieldLeft = 132;  // room for "Empfangspuffer" indented
constexpr int kFieldWidth = kWidth - kLeft - kFieldLeft;
constexpr int kTcpFieldLeft = 88;
constexpr int kTcpFieldWidth = kWidth - kLeft - kTcpFieldLeft;
constexpr int kRowHeight = 22;
constexpr int kRowStep = 28;

void setHint(QWidget *widget, const QString &hint)
{
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
}

QLabel *label(QWidget *parent, const char *name, const QString &caption, int x, int top)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    l->setAccessibleName(caption);
    l->setGeometry(x, top + 3, kFieldLeft - x - 4, 16);
    return l;
}

// A field of the dialog, named and placed, announced by its label's caption.
template <typename Field>
Field *field(Field *f, const char *name, QLabel *caption, QRect geometry)
{
    f->setObjectName(QLatin1String(name));
    f->setAccessibleName(caption->text());
    f->setGeometry(geometry);
    caption->setBuddy(f);
    return f;
}

QComboBox *list(QWidget *parent, const char *name, QLabel *caption, const QStringList &items, int top)
{
    auto *combo = field(new QComboBox(parent), name, caption, QRect(kFieldLeft, top, kFieldWidth, kRowHeight));
    combo->addItems(items);
    // Editable drop-down lists: a typed entry counts when it names an item.
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, int x)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAccessibleName(caption);
    b->setGeometry(x, kSerialButtonTop, 80, 25);
    return b;
}
}  // namespace

// The port's speeds, between the entries for its default and a custom rate.
const QStringList TCommDialog::BaudItems = QStringList{"default"} + baudRates() + QStringList{"custom"};
const QStringList TCommDialog::ParityItems{"default", "none", "odd", "even", "mark", "space"};
const QStringList TCommDialog::BitItems{"default", "4", "5", "6", "7", "8"};
const QStringList TCommDialog::StopItems{"default", "1", "1,5", "2"};
const QStringList TCommDialog::FlowItems{"ohne", "RTS/CTS", "Xon/Xoff"};
const QString TCommDialog::TcpClientItem = QStringLiteral("TCP/IP Client");

TCommDialog::TCommDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CommDialog"));
    setWindowTitle(QStringLiteral("Schnittstelleneinstellungen"));
    setFixedSize(kWidth, kSerialHeight);

    Label1 = label(this, "Label1", QStringLiteral("Schnittstelle"), kLeft, 5);
    Label1->resize(kFullWidth, Label1->height());
    cbName = field(new QComboBox(this), "cbName", Label1, QRect(kLeft, 26, kFullWidth, kRowHeight));
    cbName->setEditable(true);
    cbName->setInsertPolicy(QComboBox::NoInsert);
    cbName->setItemDelegate(new PortListDelegate(cbName));

    int top = 60;
    lbBaud = label(this, "lbBaud", QStringLiteral("Geschwindigkeit"), kLeft, top);
    cbBaud = list(this, "cbBaud", lbBaud, BaudItems, top);
    top += kRowStep;
    lbParity = label(this, "lbParity", QStringLiteral("Parity"), kLeft, top);
    cbParity = list(this, "cbParity", lbParity, ParityItems, top);
    top += kRowStep;
    lbBit = label(this, "lbBit", QStringLiteral("Datenbits"), kLeft, top);
    cbBit = list(this, "cbBit", lbBit, BitItems, top);
    top += kRowStep;
    lbStop = label(this, "lbStop", QStringLiteral("Stopbits"), kLeft, top);
    cbStop = list(this, "cbStop", lbStop, StopItems, top);
    top += kRowStep;
    lbFlow = label(this, "lbFlow", QStringLiteral("Flusskontrolle"), kLeft, top);
    cbFlow = list(this, "cbFlow", lbFlow, FlowItems, top);
    // The program's own line until the main window presets the dialog.
    cbBaud->setCurrentIndex(BaudItems.indexOf(QLatin1String("9600")));
    cbParity->setCurrentIndex(ParityItems.indexOf(QLatin1String("even")));
    cbBit->setCurrentIndex(BitItems.indexOf(QLatin1String("8")));
    cbStop->setCurrentIndex(StopItems.indexOf(QLatin1String("1")));

    top += kRowStep + 6;
    lbBuf = label(this, "lbBuf", QStringLiteral("Größe der COM-Puffer in Bytes"), kLeft, top);
    lbBuf->resize(kFullWidth, lbBuf->height());
    top += 20;
    lbRbuf = label(this, "lbRbuf", QStringLiteral("Empfangspuffer"), kLeft + 8, top);
    edRbuf = field(new TAdvEdit(Qt::AlignRight, this), "edRbuf", lbRbuf,
                   QRect(kFieldLeft, top, kFieldWidth, kRowHeight));
    edRbuf->setText(QStringLiteral("32768"));
    top += kRowStep;
    lbTbuf = label(this, "lbTbuf", QStringLiteral("Sendepuffer"), kLeft + 8, top);
    edTbuf = field(new TAdvEdit(Qt::AlignRight, this), "edTbuf", lbTbuf,
                   QRect(kFieldLeft, top, kFieldWidth, kRowHeight));
    edTbuf->setText(QStringLiteral("20480"));
    setHint(edTbuf, QStringLiteral("Größe des Sendepuffers"));
    top += kRowStep;
    cbShowError = new QCheckBox(QStringLiteral("Meldung im Fehlerfall"), this);
    cbShowError->setObjectName(QStringLiteral("cbShowError"));
    cbShowError->setAccessibleName(cbShowError->text());
    cbShowError->setGeometry(kLeft, top, kFullWidth, 20);
    setHint(cbShowError,
            QStringLiteral("Wenn Break oder Fehler wie Pufferüberlauf, Timeouts oä an COMx Meldung erzeugen"));

    // The TCP layout uses the rows below the interface.
    top = 60;
    lbIP = label(this, "lbIP", QStringLiteral("IP-Adresse"), kLeft, top);
    EditIP = field(new QLineEdit(this), "EditIP", lbIP, QRect(kTcpFieldLeft, top, kTcpFieldWidth, kRowHeight));
    EditIP->setMaxLength(128);
    top += kRowStep;
    lbPort = label(this, "lbPort", QStringLiteral("Port"), kLeft, top);
    EditPort = field(new QLineEdit(this), "EditPort", lbPort, QRect(kTcpFieldLeft, top, kTcpFieldWidth, kRowHeight));
    EditPort->setMaxLength(6);

    btOK = button(this, "btOK", QStringLiteral("OK"), 40);
    btOK->setDefault(true);
    btAb = button(this, "btAb", QStringLiteral("Abbruch"), 130);
    btAb->setAutoDefault(false);

    ShowMessage = [this](const QString &text) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quillon"), text, QMessageBox::Ok, this);
        box.exec();
    };

    connect(cbName, &QComboBox::activated, this, &TCommDialog::nameChosen);
    connect(cbName->lineEdit(), &QLineEdit::textEdited, this, [this] { m_nameEdited = true; });
    connect(cbName->lineEdit(), &QLineEdit::editingFinished, this, &TCommDialog::nameEdited);
    connect(btOK, &QPushButton::clicked, this, &TCommDialog::btOKClick);
    connect(btAb, &QPushButton::clicked, this, &TCommDialog::reject);
    ShowSerialLayout();
}

void TCommDialog::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TCommDialog::FormShow()
{
    fillPortList();
    m_nameEdited = false;
    EthernetSelected = EthernetConfirmed;
    if (EthernetSelected)
        ShowTcpLayout();
    else
        ShowSerialLayout();
}

// Built at each show, so an adapter plugged in meanwhile is offered. The
// typed text stays.
void TCommDialog::fillPortList()
{
    const QString text = cbName->currentText();
    cbName->clear();
    for (const SerialPortEntry &port : PresentSerialPorts()) {
        cbName->addItem(port.name);
        if (!port.description().isEmpty())
            cbName->setItemData(cbName->count() - 1, port.description(), Qt::ToolTipRole);
    }
    cbName->addItem(TcpClientItem);
    cbName->setCurrentIndex(cbName->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    cbName->setEditText(text);
}

QList<QWidget *> TCommDialog::serialControls() const
{
    return {cbBaud, lbBaud, cbParity, lbParity, cbBit, lbBit, cbStop, lbStop, cbFlow,
            lbFlow, lbBuf,  lbRbuf, lbTbuf,   edRbuf,   edTbuf, cbShowError};
}

QList<QWidget *> TCommDialog::tcpControls() const { return {EditIP, lbIP, EditPort, lbPort}; }

void TCommDialog::placeButtons(int top)
{
    btOK->move(btOK->x(), top);
    btAb->move(btAb->x(), top);
}

void TCommDialog::ShowTcpLayout()
{
    for (QWidget *w : tcpControls())
        w->show();
    EditIP->setEnabled(EthernetSelected);
    for (QWidget *w : serialControls())
        w->hide();
    setHint(cbName, QStringLiteral("Schnittstelle, COMx oder TCP/IP Client auswählen"));
    placeButtons(kTcpButtonTop);
    setFixedHeight(kTcpHeight);
}

void TCommDialog::ShowSerialLayout()
{
    setFixedHeight(kSerialHeight);
    for (QWidget *w : tcpControls())
        w->hide();
    for (QWidget *w : serialControls())
        w->show();
    setHint(cbName, QStringLiteral("Schnittstelle, COMx auswählen"));
    placeButtons(kSerialButtonTop);
    EthernetSelected = false;
}

// Leaving the dialog, or the field for Abbruch, chooses nothing.
bool TCommDialog::choosing() const { return isVisible() && QApplication::focusWidget() != btAb; }

void TCommDialog::nameChosen()
{
    if (choosing())
        cbNameChange();
}

// Only a finished name is tested, and only when it was edited: testing each
// keystroke would report every partial device path as busy.
void TCommDialog::nameEdited()
{
    if (choosing() && m_nameEdited)
        cbNameChange();
}

void TCommDialog::cbNameChange()
{
    const QString name = cbName->currentText();
    m_nameEdited = false;
    if (name == TcpClientItem) {
        EthernetSelected = true;
        ShowTcpLayout();
        btOK->setEnabled(true);
        return;
    }
    ShowSerialLayout();
    const PortStatus status = portStatus(name);
    btOK->setEnabled(status.state == PortState::Free);
    if (status.state == PortState::Free) {
        // Chosen by name, the console may be taken; the user hears what it is.
        if (isSystemConsole(name))
            ShowMessage(systemConsoleWarning(name));
        return;
    }
    // Busy says it as it always has; the other causes by name.
    QString text = status.state == PortState::Busy
                       ? QStringLiteral("So nicht!! ") + name + QStringLiteral(" ist bereits belegt!")
                       : QStringLiteral("So nicht!! %1: %2!").arg(name, portStatusText(status));
    if (const QString advice = portAdvice(name, status); !advice.isEmpty())
        text += QStringLiteral("\n\n") + advice;
    ShowMessage(text);
}

int TCommDialog::listIndex(const QComboBox *list)
{
    return list->findText(list->currentText().trimmed(), Qt::MatchFixedString);
}

void TCommDialog::btOKClick()
{
    EthernetConfirmed = EthernetSelected;
    accept();
}
