// The interface dialog: port list, the two layouts, when a typed or chosen
// name is tested, and what OK and Abbruch leave behind.
#include "comport/comport.h"
#include "mainwindow/comdialog.h"
#include "tests/comport/fakeportroot.h"
#include "tests/comport/ptypair.h"
#include "widgets/advedit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {
// A dialog over a made-up system with COM1 and one USB adapter, whose
// messages are collected instead of shown.
struct Rig {
    Rig()
    {
        root.addUart(0);
        root.addUsbAdapter(QStringLiteral("ttyUSB0"), QStringLiteral("FTDI"), QStringLiteral("FT232R USB UART"));
        dialog.ShowMessage = [this](const QString &text) { messages << text; };
    }

    // The pseudo-terminal as an adapter of the made-up system; its name there.
    QString plugIn(const PtyPair &pty, const QString &name)
    {
        root.linkDevice(name, pty.slavePath);
        return QStringLiteral("/dev/") + name;
    }

    QStringList items() const
    {
        QStringList texts;
        for (int i = 0; i < dialog.cbName->count(); ++i)
            texts << dialog.cbName->itemText(i);
        return texts;
    }

    void choose(const QString &item)
    {
        const int index = dialog.cbName->findText(item);
        QVERIFY(index >= 0);
        dialog.cbName->setCurrentIndex(index);
        emit dialog.cbName->activated(index);
    }

    // Types into the interface field, as the user does: it has the focus.
    void type(const QString &text)
    {
        QLineEdit *edit = dialog.cbName->lineEdit();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    void press(Qt::Key key) { QTest::keyClick(dialog.cbName->lineEdit(), key); }

    // Runs the user's part while the dialog is shown modally; a dialog left
    // open is closed after a few seconds so a fault cannot hang the test.
    int exec(const std::function<void()> &user)
    {
        QTimer::singleShot(0, &dialog, [&] {
            if (QApplication::activeModalWidget() == &dialog)
                user();
        });
        QTimer::singleShot(5000, &dialog, [&] { dialog.done(-1); });
        return dialog.exec();
    }

    FakePortRoot root;
    TCommDialog dialog;
    QStringList messages;
};

QString busy(const QString &name) { return QStringLiteral("So nicht!! ") + name + QStringLiteral(" ist bereits belegt!"); }
}  // namespace

class TestCommDialog : public QObject {
    Q_OBJECT
private slots:
    void controlsByNameAndListOrder();
    void portListBuiltAtEachShow();
    void systemWithoutSerialPorts();
    void layoutsFollowTheChoice();
    void okAndCancel();
    void busyPortKeepsOkDisabled();
    void noTestWhileTyping();
};

void TestCommDialog::controlsByNameAndListOrder()
{
    TCommDialog dialog;
    // The main window finds the controls by name; screen readers by caption.
    const QList<std::pair<QWidget *, QString>> controls{
        {dialog.Label1, "Schnittstelle"},   {dialog.cbName, "Schnittstelle"},   {dialog.cbBaud, "Geschwindigkeit"},
        {dialog.cbParity, "Parity"},        {dialog.cbBit, "Datenbits"},        {dialog.cbStop, "Stopbits"},
        {dialog.cbFlow, "Flusskontrolle"},  {dialog.lbBuf, "Größe der COM-Puffer in Bytes"},
        {dialog.edRbuf, "Empfangspuffer"},  {dialog.edTbuf, "Sendepuffer"},
        {dialog.cbShowError, "Meldung im Fehlerfall"},                           {dialog.EditIP, "IP-Adresse"},
        {dialog.EditPort, "Port"},          {dialog.btOK, "OK"},                 {dialog.btAb, "Abbruch"}};
    for (const auto &[widget, caption] : controls) {
        QCOMPARE(dialog.findChild<QWidget *>(widget->objectName()), widget);
        QCOMPARE(widget->accessibleName(), caption);
    }
    for (const char *name : {"lbBaud", "lbParity", "lbBit", "lbStop", "lbFlow", "lbRbuf", "lbTbuf", "lbIP", "lbPort"})
        QVERIFY2(dialog.findChild<QLabel *>(QLatin1String(name)), name);

    // A list index is the port's value.
    QCOMPARE(TCommDialog::BaudItems.size(), int(brCustom) + 1);
    QCOMPARE(TCommDialog::BaudItems.at(br9600), QStringLiteral("9600"));
    QCOMPARE(TCommDialog::BaudItems.at(br115200), QStringLiteral("115200"));
    for (int rate = br50; rate < brCustom; ++rate)
        QCOMPARE(TCommDialog::BaudItems.at(rate).toInt(), BaudRateValue(TBaudRate(rate)));
    QCOMPARE(TCommDialog::ParityItems.at(paEven), QStringLiteral("even"));
    QCOMPARE(TCommDialog::ParityItems.at(paSpace), QStringLiteral("space"));
    QCOMPARE(TCommDialog::BitItems.at(db8), QStringLiteral("8"));
    QCOMPARE(TCommDialog::StopItems.at(sb1_5), QStringLiteral("1,5"));
    QCOMPARE(dialog.cbBaud->count(), 27);
    QCOMPARE(dialog.cbFlow->currentText(), QStringLiteral("ohne"));

    QCOMPARE(dialog.windowTitle(), QStringLiteral("Schnittstelleneinstellungen"));
    QCOMPARE(dialog.edRbuf->text(), QStringLiteral("32768"));
    QCOMPARE(dialog.edTbuf->text(), QStringLiteral("20480"));
    QVERIFY(dialog.edTbuf->alignment() & Qt::AlignRight);
    QCOMPARE(dialog.EditIP->maxLength(), 128);
    QCOMPARE(dialog.EditPort->maxLength(), 6);
    QVERIFY(dialog.btOK->isDefault());
    QVERIFY(dialog.btOK->isEnabled());
}

void TestCommDialog::portListBuiltAtEachShow()
{
    Rig rig;
    rig.dialog.cbName->setEditText(QStringLiteral("COM7"));
    rig.dialog.show();
    QCOMPARE(rig.items(), (QStringList{"COM1", "/dev/ttyUSB0", "TCP/IP Client"}));
    QCOMPARE(rig.dialog.cbName->itemData(1, Qt::ToolTipRole).toString(), QStringLiteral("FTDI FT232R USB UART"));
    QCOMPARE(rig.dialog.cbName->currentText(), QStringLiteral("COM7"));  // the typed text stays
    rig.dialog.hide();

    // An adapter plugged in meanwhile is there the next time.
    rig.root.addUsbAdapter(QStringLiteral("ttyACM0"));
    rig.dialog.cbName->setEditText(QStringLiteral("/dev/ttyUSB0"));
    rig.dialog.show();
    QCOMPARE(rig.items(), (QStringList{"COM1", "/dev/ttyUSB0", "/dev/ttyACM0", "TCP/IP Client"}));
    QCOMPARE(rig.dialog.cbName->currentText(), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(rig.dialog.cbName->currentIndex(), 1);
    QVERIFY(rig.messages.isEmpty());
}

void TestCommDialog::systemWithoutSerialPorts()
{
    FakePortRoot root;
    TCommDialog dialog;
    dialog.show();
    QCOMPARE(dialog.cbName->count(), 1);
    QCOMPARE(dialog.cbName->itemText(0), QStringLiteral("TCP/IP Client"));
}

void TestCommDialog::layoutsFollowTheChoice()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    Rig rig;
    TCommDialog &d = rig.dialog;
    const QList<QWidget *> serialOnly{d.cbBaud, d.lbBaud, d.cbParity, d.lbParity, d.cbBit,  d.lbBit,
                                      d.cbStop, d.lbStop, d.cbFlow,   d.lbFlow,   d.lbBuf,  d.lbRbuf,
                                      d.lbTbuf, d.edRbuf, d.edTbuf,   d.cbShowError};
    const QList<QWidget *> tcpOnly{d.EditIP, d.lbIP, d.EditPort, d.lbPort};
    const auto shows = [&](const QList<QWidget *> &widgets, bool shown) {
        for (QWidget *w : widgets)
            if (w->isVisibleTo(&d) != shown)
                return false;
        return true;
    };

    d.show();
    QCOMPARE(d.height(), 370);
    QCOMPARE(d.btOK->y(), 308);
    QCOMPARE(d.btAb->y(), 308);
    QVERIFY(shows(serialOnly, true) && shows(tcpOnly, false));
    QCOMPARE(d.cbName->toolTip(), QStringLiteral("Schnittstelle, COMx auswählen"));

    rig.choose(QStringLiteral("TCP/IP Client"));
    QVERIFY(d.EthernetSelected);
    QCOMPARE(d.height(), 180);
    QCOMPARE(d.btOK->y(), 118);
    QCOMPARE(d.btAb->y(), 118);
    QVERIFY(shows(serialOnly, false) && shows(tcpOnly, true));
    QVERIFY(d.EditIP->isEnabled());
    QCOMPARE(d.cbName->toolTip(), QStringLiteral("Schnittstelle, COMx oder TCP/IP Client auswählen"));
    QCOMPARE(d.cbName->statusTip(), d.cbName->toolTip());

    // Back to a port, typed this time.
    rig.type(rig.plugIn(pty, QStringLiteral("ttyUSB5")));
    QVERIFY(d.EthernetSelected);
    rig.press(Qt::Key_Tab);
    QVERIFY(!d.EthernetSelected);
    QCOMPARE(d.height(), 370);
    QCOMPARE(d.btOK->y(), 308);
    QVERIFY(shows(serialOnly, true) && shows(tcpOnly, false));
    QVERIFY(rig.messages.isEmpty());
    d.hide();

    // Shown again with TCP confirmed: the TCP layout from the start.
    d.EthernetConfirmed = true;
    d.show();
    QVERIFY(d.EthernetSelected);
    QCOMPARE(d.height(), 180);
    QVERIFY(shows(tcpOnly, true));
}

void TestCommDialog::okAndCancel()
{
    Rig rig;
    TCommDialog &d = rig.dialog;
    // TCP chosen, then Abbruch: the interface stays serial.
    QCOMPARE(rig.exec([&] {
                 rig.choose(QStringLiteral("TCP/IP Client"));
                 QTest::mouseClick(d.btAb, Qt::LeftButton);
             }),
             int(QDialog::Rejected));
    QVERIFY(!d.EthernetConfirmed);

    // TCP typed and confirmed with Enter: shown in the TCP layout next time.
    QCOMPARE(rig.exec([&] {
                 rig.type(QStringLiteral("TCP/IP Client"));
                 rig.press(Qt::Key_Return);
             }),
             int(QDialog::Accepted));
    QVERIFY(d.EthernetConfirmed);
    bool tcpAtShow = false;
    QCOMPARE(rig.exec([&] {
                 tcpAtShow = d.EthernetSelected && d.height() == 180;
                 rig.choose(QStringLiteral("COM1"));  // no device file: refused
                 QTest::keyClick(&d, Qt::Key_Escape);
             }),
             int(QDialog::Rejected));
    QVERIFY(tcpAtShow);
    QVERIFY(d.EthernetConfirmed);
    QCOMPARE(rig.messages, QStringList{busy(QStringLiteral("COM1"))});
}

void TestCommDialog::busyPortKeepsOkDisabled()
{
    PtyPair held, free;
    QVERIFY(held.isValid() && free.isValid());
    TComPort holder;
    holder.SetDeviceName(held.slavePath);
    holder.Open();
    Rig rig;
    TCommDialog &d = rig.dialog;
    const QString heldName = rig.plugIn(held, QStringLiteral("ttyUSB5"));
    const QString freeName = rig.plugIn(free, QStringLiteral("ttyACM5"));

    QCOMPARE(rig.exec([&] {
                 rig.type(heldName);
                 rig.press(Qt::Key_Return);
                 QVERIFY(d.isVisible());  // Enter reached no enabled OK
                 QTest::mouseClick(d.btAb, Qt::LeftButton);
             }),
             int(QDialog::Rejected));
    QCOMPARE(rig.messages, QStringList{busy(heldName)});
    QVERIFY(!d.btOK->isEnabled());

    // Showing again changes nothing until another name is tested.
    bool disabledAtShow = false;
    QCOMPARE(rig.exec([&] {
                 disabledAtShow = !d.btOK->isEnabled();
                 rig.press(Qt::Key_Tab);  // not edited: no second test
                 rig.type(freeName);
                 rig.press(Qt::Key_Tab);
                 QTest::mouseClick(d.btOK, Qt::LeftButton);
             }),
             int(QDialog::Accepted));
    QVERIFY(disabledAtShow);
    QVERIFY(d.btOK->isEnabled());
    QCOMPARE(rig.messages.size(), 1);
    QCOMPARE(d.cbName->currentText(), freeName);
    QVERIFY(!d.EthernetConfirmed);
}

void TestCommDialog::noTestWhileTyping()
{
    Rig rig;
    TCommDialog &d = rig.dialog;
    QCOMPARE(rig.exec([&] {
                 rig.type(QStringLiteral("/dev/ttyUSB9"));
                 QVERIFY(rig.messages.isEmpty());
                 rig.press(Qt::Key_Return);
                 QCOMPARE(rig.messages, QStringList{busy(QStringLiteral("/dev/ttyUSB9"))});
                 QVERIFY(!d.btOK->isEnabled());
                 // Leaving for Abbruch after changing the name tests nothing.
                 rig.press(Qt::Key_Backspace);
                 QTest::mouseClick(d.btAb, Qt::LeftButton);
             }),
             int(QDialog::Rejected));
    QCOMPARE(rig.messages.size(), 1);
}

QTEST_MAIN(TestCommDialog)
#include "tst_comdialog.moc"
