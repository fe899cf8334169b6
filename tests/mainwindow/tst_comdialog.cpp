// The interface dialog over a made-up system: port list, the two layouts,
// when a typed or chosen name is tested, and what OK and Abbruch leave.
#include "comport/comport.h"
#include "mainwindow/comdialog.h"
#include "mainwindow/portlistdelegate.h"
#include "tests/comport/fakeportroot.h"
#include "tests/comport/ptypair.h"
#include "widgets/advedit.h"

#include <QApplication>
#include <QFile>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
struct Rig {
    Rig() { dialog.ShowMessage = [this](const QString &text) { messages << text; }; }

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
        dialog.cbName->setCurrentIndex(index);
        emit dialog.cbName->activated(index);
    }

    // Types into the interface field, which has the focus as for the user.
    void type(const QString &text)
    {
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.cbName->lineEdit()->setFocus();
        dialog.cbName->lineEdit()->selectAll();
        QTest::keyClicks(dialog.cbName->lineEdit(), text);
    }

    void press(Qt::Key key) { QTest::keyClick(dialog.cbName->lineEdit(), key); }

    // The user's part runs while the dialog is modal; a dialog left open is
    // closed after a few seconds with -1.
    int exec(const std::function<void()> &user)
    {
        QTimer::singleShot(0, &dialog, user);
        QTimer::singleShot(5000, &dialog, [this] { dialog.done(-1); });
        return dialog.exec();
    }

    FakePortRoot root;
    TCommDialog dialog;
    QStringList messages;
};

QString busy(const QString &name) { return QStringLiteral("So nicht!! %1 ist bereits belegt!").arg(name); }
}  // namespace

class TestCommDialog : public QObject {
    Q_OBJECT
private slots:
    void listsAndPortList();
    void layoutsFollowTheChoice();
    void okAndCancel();
    void busyPortKeepsOkDisabled();
    void chosenPortNamesTheCause_data();
    void chosenPortNamesTheCause();
};

void TestCommDialog::listsAndPortList()
{
    // A list index is the port's value.
    for (int rate = br50; rate < brCustom; ++rate)
        QCOMPARE(TCommDialog::BaudItems.at(rate).toInt(), BaudRateValue(TBaudRate(rate)));
    QCOMPARE(TCommDialog::BaudItems.size(), int(brCustom) + 1);
    QCOMPARE(TCommDialog::ParityItems.at(paEven) + TCommDialog::BitItems.at(db8) + TCommDialog::StopItems.at(sb1_5),
             QStringLiteral("even81,5"));

    Rig rig;
    // The main window finds the controls by these names.
    for (const char *name : {"Label1", "cbName", "lbBaud", "cbBaud", "lbParity", "cbParity", "lbBit", "cbBit",
                             "lbStop", "cbStop", "lbFlow", "cbFlow", "lbBuf", "lbRbuf", "edRbuf", "lbTbuf", "edTbuf",
                             "cbShowError", "lbIP", "EditIP", "lbPort", "EditPort", "btOK", "btAb"})
        QVERIFY2(rig.dialog.findChild<QWidget *>(QLatin1String(name)), name);
    rig.dialog.cbName->setEditText(QStringLiteral("COM7"));
    rig.dialog.show();
    QCOMPARE(rig.items(), QStringList{"TCP/IP Client"});
    rig.dialog.hide();

    // Ports that came meanwhile are there the next time; the typed text stays.
    rig.root.addUart(0);
    rig.root.addUsbAdapter(QStringLiteral("ttyACM0"), "USB Modem");
    rig.dialog.show();
    QCOMPARE(rig.items(), (QStringList{"COM1", "/dev/ttyACM0", "TCP/IP Client"}));
    QCOMPARE(rig.dialog.cbName->itemData(1, Qt::ToolTipRole).toString(), QStringLiteral("USB Modem"));
    // The open list shows the adapter beside its path.
    struct ShownRow : PortListDelegate {
        using PortListDelegate::initStyleOption;
    } shown;
    QVERIFY(qobject_cast<PortListDelegate *>(rig.dialog.cbName->itemDelegate()));
    QStyleOptionViewItem row;
    shown.initStyleOption(&row, rig.dialog.cbName->model()->index(1, 0));
    QCOMPARE(row.text, QStringLiteral("/dev/ttyACM0   USB Modem"));
    shown.initStyleOption(&row, rig.dialog.cbName->model()->index(0, 0));
    QCOMPARE(row.text, QStringLiteral("COM1"));
    QCOMPARE(rig.dialog.cbName->currentText(), QStringLiteral("COM7"));
    QVERIFY(rig.messages.isEmpty());
}

void TestCommDialog::layoutsFollowTheChoice()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    Rig rig;
    TCommDialog &d = rig.dialog;
    const QList<QWidget *> serialOnly{d.cbBaud, d.lbBaud,  d.cbParity, d.lbParity, d.cbBit,  d.lbBit,
                                      d.cbStop, d.lbStop,  d.cbFlow,   d.lbFlow,   d.lbBuf,  d.lbRbuf,
                                      d.lbTbuf, d.edRbuf,  d.edTbuf,   d.cbShowError};
    const QList<QWidget *> tcpOnly{d.EditIP, d.lbIP, d.EditPort, d.lbPort};
    const auto layout = [&] {
        int serial = 0, tcp = 0;
        for (QWidget *w : serialOnly)
            serial += w->isVisibleTo(&d);
        for (QWidget *w : tcpOnly)
            tcp += w->isVisibleTo(&d);
        return QList<int>{d.height(), d.btOK->y(), d.btAb->y(), serial, tcp, d.EthernetSelected};
    };
    const QList<int> serialLayout{370, 308, 308, 16, 0, false}, tcpLayout{180, 118, 118, 0, 4, true};

    d.show();
    QCOMPARE(layout(), serialLayout);
    QCOMPARE(d.cbName->toolTip(), QStringLiteral("Schnittstelle, COMx auswählen"));
    rig.choose(QStringLiteral("TCP/IP Client"));
    QCOMPARE(layout(), tcpLayout);
    QVERIFY(d.EditIP->isEnabled());
    QCOMPARE(d.cbName->statusTip(), QStringLiteral("Schnittstelle, COMx oder TCP/IP Client auswählen"));

    // Back to a port, typed: the field is left with Tab.
    rig.type(rig.root.linkDevice(QStringLiteral("ttyUSB5"), pty.slavePath));
    QCOMPARE(layout(), tcpLayout);
    rig.press(Qt::Key_Tab);
    QCOMPARE(layout(), serialLayout);
    QVERIFY(rig.messages.isEmpty());
    d.hide();

    d.EthernetConfirmed = true;
    d.show();
    QCOMPARE(layout(), tcpLayout);
}

void TestCommDialog::okAndCancel()
{
    Rig rig;
    TCommDialog &d = rig.dialog;
    rig.root.addUart(0);  // known, but without a device file: refused
    QCOMPARE(rig.exec([&] {
                 rig.choose(QStringLiteral("TCP/IP Client"));
                 QTest::mouseClick(d.btAb, Qt::LeftButton);
             }),
             int(QDialog::Rejected));
    QVERIFY(!d.EthernetConfirmed);

    // Typed and confirmed with Enter, which reaches the default button.
    QCOMPARE(rig.exec([&] {
                 rig.type(QStringLiteral("TCP/IP Client"));
                 rig.press(Qt::Key_Return);
             }),
             int(QDialog::Accepted));
    QVERIFY(d.EthernetConfirmed);

    bool tcpAtShow = false;
    QCOMPARE(rig.exec([&] {
                 tcpAtShow = d.EthernetSelected && d.height() == 180;
                 rig.choose(QStringLiteral("COM1"));
                 QTest::keyClick(&d, Qt::Key_Escape);
             }),
             int(QDialog::Rejected));
    QVERIFY(tcpAtShow);
    QVERIFY(d.EthernetConfirmed);
    QCOMPARE(rig.messages, QStringList{QStringLiteral("So nicht!! COM1: nicht vorhanden!")});
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
    const QString heldName = rig.root.linkDevice(QStringLiteral("ttyUSB5"), held.slavePath);
    const QString freeName = rig.root.linkDevice(QStringLiteral("ttyACM5"), free.slavePath);

    QCOMPARE(rig.exec([&] {
                 rig.type(heldName);
                 QVERIFY(rig.messages.isEmpty());  // nothing while typing
                 rig.press(Qt::Key_Return);
                 QVERIFY(d.isVisible());  // Enter found OK disabled
                 rig.press(Qt::Key_Backspace);
                 QTest::mouseClick(d.btAb, Qt::LeftButton);  // leaving for Abbruch tests nothing
             }),
             int(QDialog::Rejected));
    QCOMPARE(rig.messages, QStringList{busy(heldName)});

    bool disabledAtShow = false;
    QCOMPARE(rig.exec([&] {
                 disabledAtShow = !d.btOK->isEnabled();
                 rig.type(freeName);
                 rig.press(Qt::Key_Tab);
                 QTest::mouseClick(d.btOK, Qt::LeftButton);
             }),
             int(QDialog::Accepted));
    QVERIFY(disabledAtShow);
    QCOMPARE(rig.messages.size(), 1);
    QCOMPARE(d.cbName->currentText(), freeName);
}

// A name that is no usable port says why and keeps OK disabled; the
// console, chosen by name, may be taken but is named as such.
void TestCommDialog::chosenPortNamesTheCause_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("okEnabled");
    QTest::addColumn<QString>("message");
    QTest::newRow("no terminal") << "/dev/null" << false << "So nicht!! /dev/null: keine serielle Schnittstelle!";
    QTest::newRow("folder") << "/dev/pts" << false << "So nicht!! /dev/pts: ein Verzeichnis, keine serielle Schnittstelle!";
    QTest::newRow("missing") << "/dev/ttyUSB97" << false << "So nicht!! /dev/ttyUSB97: nicht vorhanden!";
    QTest::newRow("console") << "CONSOLE" << true
                             << "Achtung: %1 ist die Systemkonsole dieses Rechners. Meldungen des Systems und eine "
                                "Anmeldung auf ihr können die Verbindung zum Gerät stören.";
    QTest::newRow("free, no console") << "FREE" << true << QString();
}

void TestCommDialog::chosenPortNamesTheCause()
{
    QFETCH(QString, name);
    QFETCH(bool, okEnabled);
    QFETCH(QString, message);
    PtyPair console, free;
    Rig rig;
    rig.root.linkDevice(QStringLiteral("null"), QStringLiteral("/dev/null"));
    for (const PtyPair *pty : {&console, &free})
        rig.root.linkDevice(pty->slavePath.mid(5), pty->slavePath);
    rig.root.setConsoles("tty0 " + QFile::encodeName(console.slavePath).mid(5));
    if (name == QLatin1String("CONSOLE"))
        name = console.slavePath;
    else if (name == QLatin1String("FREE"))
        name = free.slavePath;
    TCommDialog &d = rig.dialog;
    d.cbName->setEditText(name);
    d.cbNameChange();
    QCOMPARE(d.btOK->isEnabled(), okEnabled);
    QCOMPARE(rig.messages, message.isEmpty() ? QStringList() : QStringList{message.arg(name)});
}

QTEST_MAIN(TestCommDialog)
#include "tst_comdialog.moc"
