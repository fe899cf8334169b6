// The window driving the device: a readout, a whole upload started with the
// upload button, and the close box during an upload.
#include "sim/sampleimage.h"
#include "tests/mainwindow/startuprig.h"
#include "tests/support/simpeer.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include "mainwindow/pnfab.h"
#include <QPushButton>

class TestGuiUpload : public QObject {
    Q_OBJECT

    struct Rig : StartupRig {
        SimPeer sim;
        FakeSystem system{0};

        TForm1 &startConnected()
        {
            sim.device.flash.goOnDelayMs = 10;
            writeSettings("[Connection]\nEthernet=1\nIP=127.0.0.1\nPort=" + QByteArray::number(sim.tcp.port()) + "\n");
            TForm1 &w = start();
            waitFor([&] { return w.station.link.TcpConnected; });
            return w;
        }

        void loadImage(TForm1 &w)
        {
            const QString path = dir.filePath(QStringLiteral("krv470.hex"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(toIntelHex(SampleImage().build()));
            file.close();
            QCOMPARE(loadFirmwareFile(w.station.ui, w.station.image, path), LoadResult::Loaded);
        }

        QString label(const char *name) { return form().findChild<QLabel *>(name)->text(); }
    };

private slots:
    void readout()
    {
        Rig rig;
        TForm1 &w = rig.startConnected();
        // While it reads, nothing starts a second conversation or loads a file.
        auto *smOpen = qobject_cast<QAction *>(w.station.ui.target(Control::smOpen));
        bool lockedWhileReading = true;
        w.station.link.trace = [&](bool, const QByteArray &) {
            lockedWhileReading &= !w.btKRV->isEnabled() && !w.pnFab->isEnabled() && !w.sbOpen->isEnabled()
                                  && !smOpen->isEnabled() && !w.btAbbruch->isEnabled();
        };
        QTest::mouseClick(w.btKRV, Qt::LeftButton);
        QVERIFY(w.station.device.DeviceInfoRead);
        QVERIFY(lockedWhileReading);
        QCOMPARE(rig.label("lbVersion"), QStringLiteral("KRV470 V3.02 a"));
        QVERIFY(!w.findChild<QLineEdit *>("edFabNr")->text().isEmpty());
        QVERIFY(w.btKRV->isEnabled());
        QVERIFY(w.pnFab->isEnabled());
        QVERIFY(rig.answerer.seen.isEmpty());
    }

    void uploadFromTheButton()
    {
        Rig rig;
        TForm1 &w = rig.startConnected();
        rig.loadImage(w);
        QVERIFY(w.btUpdate->isEnabled());
        int statusChanges = 0;
        bool cancellableWhileSending = true, lockedWhileProgramming = true;
        // The run reads the device first; its box for the factory data alone stays locked all the same.
        QVERIFY(!w.station.device.DeviceInfoRead);
        auto *onlyFabdata = w.findChild<QCheckBox *>(QStringLiteral("cbOnlyFabdata"));
        w.station.upload.progress = [&](const TransferProgress &p) {
            ++statusChanges;
            const bool locked = !w.btUpdate->isEnabled() && !w.btKRV->isEnabled() && !w.sbOpen->isEnabled()
                                && !onlyFabdata->isEnabled();
            if (p.programming)
                lockedWhileProgramming &= locked && !w.btAbbruch->isEnabled() && !w.sbAbbruch->isEnabled();
            else
                cancellableWhileSending &= locked && w.btAbbruch->isEnabled() && w.sbAbbruch->isEnabled();
        };
        QTest::mouseClick(w.btUpdate, Qt::LeftButton);
        QVERIFY(cancellableWhileSending);
        QVERIFY(lockedWhileProgramming);
        QCOMPARE(rig.answerer.texts(), QStringList{"Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)"});
        QVERIFY(statusChanges > w.station.upload.recordCounters.dataRecords);
        // The device holds the image, factory data included.
        QCOMPARE(rig.sim.device.flash.flash.left(w.station.image.ImageSize),
                 QByteArray(reinterpret_cast<const char *>(w.station.image.ImageBuffer.data()), w.station.image.ImageSize));
        // The controls are back, the cancel controls off again.
        QVERIFY(w.btUpdate->isEnabled() && w.btKRV->isEnabled() && w.sbOpen->isEnabled());
        QVERIFY(!w.btAbbruch->isEnabled() && !w.sbAbbruch->isEnabled());
        QCOMPARE(w.StatusPanels[1]->text(), QString());
        QVERIFY(onlyFabdata->isEnabled());  // this firmware takes the factory data alone
    }

    // The interface dialog takes the TCP link down; Upload pressed as soon
    // as it has closed, before the tick has brought the link back, still
    // reaches the device with every command.
    void uploadRightAfterTheInterfaceDialog_data()
    {
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("Abbruch") << false;
        QTest::newRow("OK") << true;
    }
    void uploadRightAfterTheInterfaceDialog()
    {
        QFETCH(bool, confirmed);
        Rig rig;
        TForm1 &w = rig.startConnected();
        QTest::mouseClick(w.btKRV, Qt::LeftButton);
        QVERIFY(w.station.device.DeviceInfoRead);
        rig.loadImage(w);
        rig.answerer.script = {[confirmed](QWidget *dialog) {
            auto *d = qobject_cast<TCommDialog *>(dialog);
            (confirmed ? d->btOK : d->btAb)->click();
        }};
        QTest::mouseClick(w.sbComm, Qt::LeftButton);
        QCOMPARE(rig.answerer.seen.size(), 1);
        QVERIFY(!w.station.link.TcpConnected);
        rig.answerer.seen.clear();

        QTest::mouseClick(w.btUpdate, Qt::LeftButton);
        QCOMPARE(rig.answerer.texts(), QStringList{"Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)"});
        QCOMPARE(rig.sim.tcp.connections(), 2);
    }

    // The close box cancels a running upload; the program ends after it, once.
    // While the device programs its flash, the close box does nothing.
    void closeDuringUpload_data()
    {
        QTest::addColumn<bool>("whileProgramming");
        QTest::addColumn<QString>("message");
        QTest::newRow("records") << false << "Abbruch durch den kundigen Benutzer!  ;-)";
        QTest::newRow("programming") << true << "Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)";
    }
    void closeDuringUpload()
    {
        QFETCH(bool, whileProgramming);
        QFETCH(QString, message);
        Rig rig;
        TForm1 &w = rig.startConnected();
        rig.loadImage(w);
        bool closed = false;
        const QString caption = w.windowTitle();
        w.station.upload.progress = [&](const TransferProgress &p) {
            if (!closed && (whileProgramming ? p.letter != 0 : p.blocksSent == 100)) {
                closed = true;
                // The interface cannot change under a running upload.
                w.smCommClick();
                w.close();
            }
        };
        QTest::mouseClick(w.btUpdate, Qt::LeftButton);
        QVERIFY(closed);
        QCOMPARE(rig.answerer.texts(), QStringList{message});
        QCOMPARE(w.windowTitle(), caption);
        QCOMPARE(w.station.link.TcpMode, quint8(1));
        // A close during the records ends the program at the next tick, which
        // writes the settings; during programming the close was ignored.
        const bool exited = StartupRig::waitFor([&] { return rig.settings().contains("[Code]"); }, 2500);
        QCOMPARE(exited, !whileProgramming);
        if (whileProgramming)
            return;
        QVERIFY(StartupRig::waitFor([&] { return !w.isVisible(); }));
        QVERIFY(rig.settings().contains("Name="));
        // A handler still running after the exit step finds the image whole.
        rig.loadImage(w);
    }
};

QTEST_MAIN(TestGuiUpload)
#include "tst_guiupload.moc"
