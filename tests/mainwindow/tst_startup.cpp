// Start-up, connection choice, the one-second tick and the exit, with the
// real window against the simulator (TCP on 127.0.0.1) or pseudo-terminals.
#include "options/optionsmodel.h"
#include "sim/sampleimage.h"
#include "tests/mainwindow/startuprig.h"
#include "tests/support/simpeer.h"
#include "tests/support/withoutaccessoverride.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

class TestStartup : public QObject {
    Q_OBJECT

    static QByteArray tcpSettings(quint16 port, const QByteArray &ip = "127.0.0.1")
    {
        return "[Connection]\r\nEthernet=1\r\nIP=" + ip + "\r\nPort=" + QByteArray::number(port) + "\r\n";
    }

private slots:
    void defaultsWithoutSettingsFile()
    {
        StartupRig rig;
        rig.program = std::make_unique<Program>(rig.settingsPath);
        TForm1 &w = rig.form();
        w.LoadSettings();
        QCOMPARE(w.station.Comm1.DeviceName(), QStringLiteral("COM1"));
        QCOMPARE(rig.program->commDialog.EditPort->text(), QStringLiteral("8000"));
        QCOMPARE(w.station.link.TcpMode, quint8(0));
        QCOMPARE(w.station.options.cbF4, 0);
        QCOMPARE(w.openDialog.FileName, QString());
    }

    // No serial port is tested or opened; the bar is red until the first
    // tick's connection is up.
    void tcpStart()
    {
        SimPeer sim;
        FakeSystem system(0);
        StartupRig rig;
        rig.writeSettings(tcpSettings(sim.tcp.port()));
        TForm1 &w = rig.start();
        QVERIFY(rig.answerer.seen.isEmpty());
        QVERIFY(!w.station.Comm1.Active());
        QCOMPARE(w.station.ui.linkColour(), LinkColour::Disconnected);
        QCOMPARE(w.station.link.TcpLinkState, TcpState::Reconnect);
        QVERIFY(!w.btRuf->isEnabled());
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillon - Client 127.0.0.1:%1").arg(sim.tcp.port()));
        QVERIFY(StartupRig::waitFor([&] { return w.station.ui.linkColour() == LinkColour::Connected; }));
        QCOMPARE(w.station.link.TcpLinkState, TcpState::Connected);
    }

    // A stored port text that is no number: one message, no connection, and
    // the modem panel, useless over TCP, stays locked.
    void tcpPortThatIsNoNumber()
    {
        FakeSystem system(0);
        StartupRig rig;
        rig.writeSettings("[Connection]\r\nEthernet=1\r\nIP=127.0.0.1\r\nPort=80x\r\n");
        TForm1 &w = rig.start();
        QTest::qWait(1200);  // a tick: nothing more is shown, nothing dialled
        QCOMPARE(rig.answerer.texts(), QStringList{QStringLiteral("'80x' ist kein gültiger Integerwert.")});
        QCOMPARE(w.station.link.TcpLinkState, TcpState::Idle);
        for (const char *name : {"edRuf", "edInit", "btRuf", "btInit"})
            QVERIFY2(!w.findChild<QWidget *>(name)->isEnabled(), name);
    }

    // The interface dialog does not close the port under a running readout:
    // the request only refreshes the caption, as during an upload.
    void interfaceDialogRefusedDuringReadout()
    {
        SimPeer sim;
        sim.device.faults.silent = true;
        FakeSystem system(0);
        StartupRig rig;
        rig.writeSettings(tcpSettings(sim.tcp.port()));
        TForm1 &w = rig.start();
        QVERIFY(StartupRig::waitFor([&] { return w.station.ui.linkColour() == LinkColour::Connected; }));
        QTimer::singleShot(300, &w, [&] {
            w.findChild<QAction *>(controlName(Control::smComm))->trigger();
            w.btAbbruch->click();
            w.station.link.cancel();
        });
        w.btKRV->click();
        for (const ModalAnswerer::Seen &seen : rig.answerer.seen)
            QVERIFY2(seen.className != QLatin1String("TCommDialog"), "the dialog opened under the readout");
        QCOMPARE(w.station.ui.linkColour(), LinkColour::Connected);
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillon - Client 127.0.0.1:%1").arg(sim.tcp.port()));
    }

    void hostNameLeavesTheAddressEmpty()
    {
        FakeSystem system(0);
        StartupRig rig;
        rig.writeSettings(tcpSettings(8000, "localhost"));
        TForm1 &w = rig.start();
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillon - Client :8000"));
        QCOMPARE(w.station.link.tcpTarget().host, QStringLiteral("localhost"));
        w.station.link.useSerialPort();  // no connection attempt to anything that may listen there
    }

    // Whatever the number of ports, a box names why the stored port cannot be
    // used before the dialog opens. No repeats the test, Yes ends the program
    // without writing the settings file.
    void unusablePortAtStart_data()
    {
        QTest::addColumn<int>("uarts");
        QTest::addColumn<bool>("permitted");
        QTest::addColumn<int>("mode");  // of a device given to another user and the group "dialout"
        QTest::addColumn<QString>("reason");
        const QString busy = QStringLiteral("Achtung %1 ist bereits belegt!!");
        QTest::newRow("busy, no built-in port") << 0 << true << 0 << busy;
        QTest::newRow("busy, two built-in ports") << 2 << true << 0 << busy;
        QTest::newRow("not permitted") << 0 << false << 0060
                                       << QStringLiteral("Achtung %1 darf nicht geöffnet werden!!\n\nSie haben "
                                                         "keine Berechtigung für %1. Nehmen Sie Ihr Benutzerkonto "
                                                         "in die Gruppe \"dialout\" auf");
        QTest::newRow("only for the administrator") << 0 << false << 0600
                                                    << QStringLiteral("Achtung %1 darf nicht geöffnet werden!!\n\n%1 darf "
                                                                      "nur der Administrator öffnen;");
    }
    void unusablePortAtStart()
    {
        QFETCH(int, uarts);
        QFETCH(bool, permitted);
        QFETCH(int, mode);
        QFETCH(QString, reason);
        PtyPair pty;
        TComPort holder;
        if (permitted) {
            holder.SetDeviceName(pty.slavePath);
            holder.Open();
        } else {
            const group *dialout = ::getgrnam("dialout");
            QVERIFY(dialout);
            if (::chown(QFile::encodeName(pty.slavePath).constData(), 4242, dialout->gr_gid) != 0)
                QSKIP("cannot give the device away here");
            QCOMPARE(::chmod(QFile::encodeName(pty.slavePath).constData(), mode_t(mode)), 0);
        }
        WithoutAccessOverride asUser;
        if (!permitted && !asUser.active())
            QSKIP("cannot give up the permission override here");
        FakeSystem system(uarts, {pty.slavePath});
        StartupRig rig;
        rig.writeSettings("; set up by hand\r\n[Connection]\r\nCOM=" + pty.slavePath.toUtf8() + "\r\n");
        const QByteArray before = rig.settings();
        const auto no = ModalAnswerer::press(QMessageBox::No);
        const auto yes = ModalAnswerer::press(QMessageBox::Yes);
        const auto ok = ModalAnswerer::press(QMessageBox::Ok);
        const ModalAnswerer::Answer cancel = [](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); };
        rig.answerer.script = {ok, cancel, no, ok, cancel, yes};
        TForm1 &w = rig.start();
        QVERIFY(!w.isVisible());
        const QString question = QStringLiteral("So nicht mein Freund! ;-))\nDu solltest eine freie Schnittstelle "
                                                "auswählen!\n\nSoll dieses tolle Programm etwa beendet werden?");
        QStringList seen;
        for (const ModalAnswerer::Seen &s : rig.answerer.seen)
            seen << (s.text.isEmpty() ? s.className : s.text);
        QCOMPARE(seen.size(), 6);
        for (int round = 0; round < 6; round += 3) {
            QVERIFY2(seen[round].startsWith(reason.arg(pty.slavePath)), qPrintable(seen[round]));
            QCOMPARE(seen[round + 1], QStringLiteral("TCommDialog"));
            QCOMPARE(seen[round + 2], question);
        }
        QVERIFY(!w.station.Comm1.Active());
        QCOMPARE(rig.settings(), before);
    }

    // The console is never taken by default: the stored port, when it is the
    // console, opens only once the user has chosen it in the dialog, which
    // offers another port first. (A pseudo-terminal plays the console: the
    // machine's own may be /dev/ttyS0.)
    void consoleIsNoDefault()
    {
        PtyPair console, usb;
        FakeSystem system(0, {console.slavePath});
        QFile::link(usb.slavePath, system.root.filePath(QStringLiteral("dev/ttyUSB0")));
        QVERIFY(QDir().mkpath(system.root.filePath(QStringLiteral("sys/class/tty/console"))));
        QFile active(system.root.filePath(QStringLiteral("sys/class/tty/console/active")));
        QVERIFY(active.open(QIODevice::WriteOnly));
        active.write("tty0 " + QFile::encodeName(console.slavePath).mid(5) + "\n");
        active.close();
        StartupRig rig;
        rig.writeSettings("[Connection]\r\nCOM=" + console.slavePath.toUtf8() + "\r\n");
        QString offered;
        rig.answerer.script = {ModalAnswerer::press(QMessageBox::Ok),
                               [&](QWidget *w) {
                                   offered = qobject_cast<TCommDialog *>(w)->cbName->currentText();
                                   choosePort(console.slavePath, 0)(w);
                               },
                               ModalAnswerer::press(QMessageBox::Ok)};
        TForm1 &w = rig.start();
        QStringList seen;
        for (const ModalAnswerer::Seen &s : rig.answerer.seen)
            seen << (s.text.isEmpty() ? s.className : s.text);
        const QString warning = QStringLiteral("Achtung: %1 ist die Systemkonsole dieses Rechners. Meldungen des Systems "
                                               "und eine Anmeldung auf ihr können die Verbindung zum Gerät stören.")
                                    .arg(console.slavePath);
        // Said at start, and again when chosen in the dialog.
        QCOMPARE(seen, (QStringList{warning, QStringLiteral("TCommDialog"), warning}));
        QCOMPARE(offered, QStringLiteral("/dev/ttyUSB0"));
        QVERIFY(w.station.Comm1.Active());
        QCOMPARE(w.station.Comm1.DeviceName(), console.slavePath);
    }

    // Whatever speed the dialog chose at start, the line opens at 9600 8E1.
    void portChosenAtStartOpensAt9600()
    {
        PtyPair busy, chosen;
        TComPort holder;
        holder.SetDeviceName(busy.slavePath);
        holder.Open();
        FakeSystem system(0, {busy.slavePath, chosen.slavePath});
        StartupRig rig;
        rig.writeSettings("[Connection]\nCOM=" + busy.slavePath.toUtf8() + "\n");
        rig.answerer.script = {ModalAnswerer::press(QMessageBox::Ok), choosePort(chosen.slavePath, br19200)};
        TForm1 &w = rig.start();
        QVERIFY(w.isVisible());
        QVERIFY(w.station.Comm1.Active());
        QCOMPARE(w.station.Comm1.DeviceName(), chosen.slavePath);
        QCOMPARE(w.station.Comm1.BaudRate(), br9600);
        QCOMPARE(w.station.Comm1.Parity(), paEven);
        QCOMPARE(w.station.Comm1.DataBits(), db8);
        QCOMPARE(w.station.link.SavedBaudRate, br9600);
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillon - %1 9600 8 1 even").arg(chosen.slavePath));
        QCOMPARE(w.station.ui.linkColour(), LinkColour::Normal);
    }

    // The exit writes the file once, in place: comments, unknown keys and the
    // order stay; the address typed into the dialog is kept.
    void exitWritesTheFileOnce()
    {
        SimPeer sim;
        FakeSystem system(0);
        StartupRig rig;
        const QByteArray port = QByteArray::number(sim.tcp.port());
        rig.writeSettings("; Quillon\r\n[Connection]\r\nEthernet=1\r\nip = 127.0.0.1\r\nPort=" + port
                          + "\r\nModem=extern\r\n\r\n[Code]\r\nFW=2\r\n");
        TForm1 &w = rig.start();
        QCOMPARE(w.station.options.cbF4, 2);
        w.station.options.setF4Index(5);
        rig.program->commDialog.EditPort->setText(port);
        w.close();
        QVERIFY(w.isVisible());  // the tick ends the program, not the close box
        QVERIFY(StartupRig::waitFor([&] { return !w.isVisible(); }));
        QCOMPARE(rig.settings(),
                 "; Quillon\r\n[Connection]\r\nEthernet=1\r\nip = 127.0.0.1\r\nPort=" + port
                     + "\r\nModem=extern\r\nCOM=COM1\r\n\r\n[Code]\r\nFW=5\r\nBaujahr=\r\nFabNr=\r\n"
                       "[File]\r\nFilter=0\r\nName=\r\n");
        QVERIFY(!w.station.link.Client.isOpen());
        QFile::remove(rig.settingsPath);
        QTest::qWait(1200);
        QVERIFY(!QFile::exists(rig.settingsPath));
    }

    // The close box while a device operation other than the upload waits
    // for a silent device: the operation stops, no box about the device
    // holds the exit, and the program ends. Pressed between the close and
    // the exit, a button starts nothing.
    void exitDuringDeviceOperation_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("closedFirst");
        QTest::addColumn<QByteArray>("command");  // sent before the operation ended
        QTest::newRow("KRV-Info") << "btKRV" << false << QByteArray("Q");
        QTest::newRow("Systemzeit") << "btTime" << false << QByteArray("B218");
        QTest::newRow("Uhr stellen") << "btSetTime" << false << QByteArray("C218");
        QTest::newRow("KRV-Info after the close") << "btKRV" << true << QByteArray();
        QTest::newRow("Upload after the close") << "btUpdate" << true << QByteArray();
    }
    void exitDuringDeviceOperation()
    {
        QFETCH(QString, button);
        QFETCH(bool, closedFirst);
        QFETCH(QByteArray, command);
        SimPeer sim;
        sim.device.faults.silent = true;
        FakeSystem system(0);
        StartupRig rig;
        rig.writeSettings(tcpSettings(sim.tcp.port()));
        TForm1 &w = rig.start();
        QVERIFY(StartupRig::waitFor([&] { return w.station.link.TcpConnected; }));
        const QString firmware = rig.dir.filePath(QStringLiteral("krv470.bin"));
        QFile file(firmware);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(SampleImage().build());
        file.close();
        w.openAtStart(firmware);
        QVERIFY(w.btUpdate->isEnabled());
        if (closedFirst)
            w.close();
        else  // runs in the operation's first wait: the click's handler holds the loop till then
            QTimer::singleShot(0, &w, [&w] { w.close(); });
        QTest::mouseClick(w.findChild<QPushButton *>(button), Qt::LeftButton);

        QVERIFY(StartupRig::waitFor([&] { return !w.isVisible(); }));
        QCOMPARE(rig.answerer.texts(), QStringList());
        // At most one command: the request ended the operation.
        QCOMPARE(sim.device.frames.size(), command.isEmpty() ? 0 : 1);
        if (!command.isEmpty())
            QCOMPARE(sim.device.frames.constFirst().mid(1, command.size()), command);
    }

    // The interface dialog from the menu: TCP to a serial port and back,
    // Cancel keeps the interface, a port text that is no number stops there.
    void interfaceDialog()
    {
        SimPeer sim;
        PtyPair pty;
        FakeSystem system(0, {pty.slavePath});
        StartupRig rig;
        rig.writeSettings(tcpSettings(sim.tcp.port()));
        TForm1 &w = rig.start();

        rig.answerer.script = {choosePort(pty.slavePath, br19200)};
        w.smCommClick();
        QCOMPARE(w.station.link.TcpMode, quint8(0));
        QVERIFY(w.station.Comm1.Active());
        QCOMPARE(w.station.Comm1.BaudRate(), br19200);
        QCOMPARE(w.station.link.SavedBaudRate, br19200);
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillon - %1 19200 8 1 even").arg(pty.slavePath));
        QCOMPARE(w.station.ui.linkColour(), LinkColour::Normal);
        QVERIFY(w.btRuf->parentWidget()->findChild<QLineEdit *>("edRuf")->isEnabled());

        // TCP chosen, then Abbruch: the serial line is back as it was.
        rig.answerer.script = {[](QWidget *dialog) {
            auto *d = qobject_cast<TCommDialog *>(dialog);
            d->cbName->setEditText(TCommDialog::TcpClientItem);
            d->cbNameChange();
            d->btAb->click();
        }};
        w.smCommClick();
        QCOMPARE(w.station.link.TcpMode, quint8(0));
        QVERIFY(w.station.Comm1.Active());

        rig.answerer.script = {chooseTcp(sim.tcp.port())};
        w.smCommClick();
        QCOMPARE(w.station.link.TcpMode, quint8(1));
        QVERIFY(!w.station.Comm1.Active());
        QCOMPARE(w.station.ui.linkColour(), LinkColour::Disconnected);
        QVERIFY(StartupRig::waitFor([&] { return w.station.ui.linkColour() == LinkColour::Connected; }));

        rig.answerer.script = {[](QWidget *dialog) {
            auto *d = qobject_cast<TCommDialog *>(dialog);
            d->EditPort->setText(QStringLiteral("80x"));
            d->btOK->click();
        }};
        w.sbComm->click();
        QVERIFY(rig.answerer.texts().contains(QStringLiteral("'80x' ist kein gültiger Integerwert.")));
        QCOMPARE(w.station.link.TcpLinkState, TcpState::Idle);  // no connection with a port that is no number
    }

    // The line lists take typed entries: one that names an item counts,
    // one in no list keeps the port's value.
    void typedLineSettings_data()
    {
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("parity");
        QTest::addColumn<QString>("title");
        QTest::newRow("items typed") << "19200" << " ODD " << "%1 19200 8 1 odd";
        QTest::newRow("in no list") << "12345" << "gerade" << "%1 9600 8 1 even";
    }
    void typedLineSettings()
    {
        QFETCH(QString, baud);
        QFETCH(QString, parity);
        QFETCH(QString, title);
        PtyPair pty;
        FakeSystem system(0, {pty.slavePath});
        StartupRig rig;
        rig.writeSettings("[Connection]\nCOM=" + pty.slavePath.toUtf8() + "\n");
        TForm1 &w = rig.start();
        rig.answerer.script = {[&](QWidget *dialog) {
            auto *d = qobject_cast<TCommDialog *>(dialog);
            QVERIFY(d->cbBaud->isEditable() && d->cbParity->isEditable() && d->cbFlow->isEditable());
            d->cbBaud->setEditText(baud);
            d->cbParity->setEditText(parity);
            d->btOK->click();
        }};
        w.smCommClick();
        QVERIFY(w.station.Comm1.Active());
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillon - ") + title.arg(pty.slavePath));
    }

    // A settings file that cannot be written costs one message; the exit
    // still completes, once.
    void unwritableSettingsFile()
    {
        SimPeer sim;
        FakeSystem system(0);
        StartupRig rig;
        QFile blocker(rig.dir.filePath("folder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        rig.settingsPath = rig.dir.filePath("folder/quillon.INI");
        rig.answerer.script = {ModalAnswerer::press(QMessageBox::Ok), chooseTcp(sim.tcp.port())};
        TForm1 &w = rig.start();
        QCOMPARE(w.station.link.TcpMode, quint8(1));
        w.smCloseClick();
        QVERIFY(StartupRig::waitFor([&] { return !w.isVisible(); }));
        QTest::qWait(1200);
        const QStringList messages = rig.answerer.texts().filter(QStringLiteral("nicht gespeichert"));
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.constFirst().contains(rig.settingsPath));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
