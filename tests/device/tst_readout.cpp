// Device information readout through the simulator: the pass with its texts,
// the KRV465 rules, the old device, the F4 index, and how each step's result
// lets the pass go on or ends it.
#include "device/readout.h"
#include "sim/defaultreadout.h"
#include "tests/device/readouthelpers.h"

#include <QtTest>

class TestReadout : public QObject {
    Q_OBJECT
private slots:
    void krv470PassFillsPanelInOrder()
    {
        DeviceBench bench(DeviceBench::profile("krv470"));
        OptionsModel &panel = bench.panel();
        FakeFrontend &ui = bench.ui();
        // Left over from an earlier device or the user: the pass clears it.
        for (CheckBoxModel *box : {&panel.cbBatt, &panel.cbU230, &panel.cbRTC, &panel.cb20})
            box->setChecked(true);
        panel.setLabel(panel.lbGExdev, QStringLiteral("7"), true);
        ui.setCaption(Control::lbDSfG, "alt");
        ui.setCaption(Control::lbIntVersion, "alt");

        // Every answer the device gives is given while the readout is busy.
        bool lockedWhileAnswering = true;
        QObject::connect(&bench.peer.device, &DeviceSim::send, &bench.peer.device, [&] {
            lockedWhileAnswering = lockedWhileAnswering && ui.activity() == Activity::Busy;
        });

        ReadDeviceInfo(bench.ctx);

        QVERIFY(lockedWhileAnswering);
        QCOMPARE(commands(bench), (QList<QByteArray>{"Q", "B004", "B142", "B937", "B143", "B939", "B146", "B144", "B153", "B162",
                                                     "B940", "B941", "B942"}));
        QCOMPARE(bench.frames().at(1), frame("B004", true));
        QCOMPARE(ui.statusHistory,
                 (QStringList{"0:Wecke KRV auf!", "1:Versuch 1", "0:Anfordern der Konfigurationsdaten", "1:Lese Version",
                              "1:Lese Fabriknummer", "1:Lese FW-Build", "1:Lese Baujahr", "1:Ermittle HW", "1:Lese F4-Modus",
                              "1:Lese Analogfreigabe", "1:Lese PTB-Freigabe", "1:Lese DSfG-Freigabe", "1:Ermittle Vernetzung",
                              "1:Ermittle FLASH-Type", "1:Ermittle EXDEV-Art"}));
        QCOMPARE(ui.status(0), QString());
        QCOMPARE(ui.status(1), QString());
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(ui.activity(), Activity::Idle);

        QVERIFY(bench.device.DeviceInfoRead);
        QCOMPARE(bench.device.DeviceKind, KrvModel::KRV470);
        QCOMPARE(bench.device.DeviceFwDate, 20080115);
        QCOMPARE(bench.device.FlashClass, FlashChip::Chip512K);
        QCOMPARE(bench.device.DeviceExdevType, quint8(3));

        QCOMPARE(ui.caption(Control::lbVersion), QString("KRV470 V3.02 a"));  // 14 of the 15 characters
        QCOMPARE(ui.caption(Control::lbIntVersion), QString());
        QCOMPARE(ui.caption(Control::lbDSfG), QString("DSfG"));
        QCOMPARE(panel.edFabNr.text, QString("470000123456"));
        QCOMPARE(panel.edBaujahr.text, QString("2008"));
        QCOMPARE(panel.cbF4, 3);
        QCOMPARE(panel.lbF4.caption, QString("Funktion der F4-Taste"));
        QCOMPARE(checkedBoxes(panel),
                 (QStringList{"cbPTB", "cb470Z", "cb40", "cbU24", "cbKlemm", "cbNetz", "cbAnalog", "cbDSfG", "cbMaster"}));
        QCOMPARE(enabledBoxes(panel), QStringList{"cbDSfG"});
        QCOMPARE(panel.cbAnalog.caption(), QString("4 Analogeingänge"));
        QCOMPARE(panel.cb40.caption(), QString("SST39VF040"));
        QVERIFY(panel.lbGExdev.visible);
        QCOMPARE(panel.lbGExdev.caption, QString("3"));
        QVERIFY(panel.cbOnlyFabdata.enabled());
        QVERIFY(!panel.cbOnlyFabdata.checked());
    }

    // Hardware word 46: bit 0x01 clear ticks cb470Z, then bit 0x80 clear
    // (a KRV465) unticks and locks it again.
    // The rigs and benchmarks skip the readout and take its result as written
    // down once; a real readout of the simulator's default profile must agree.
    void defaultProfileReadsAsWrittenDown()
    {
        DeviceBench bench;
        ReadDeviceInfo(bench.ctx);
        const DeviceDescription expected = defaultProfileReadout();
        QCOMPARE(bench.device.DeviceInfoRead, expected.DeviceInfoRead);
        QCOMPARE(bench.device.DeviceKind, expected.DeviceKind);
        QCOMPARE(bench.device.DeviceFwDate, expected.DeviceFwDate);
        QCOMPARE(bench.device.FlashClass, expected.FlashClass);
        QCOMPARE(bench.device.DeviceExdevType, expected.DeviceExdevType);
    }

    void krv465Rules_data()
    {
        QTest::addColumn<int>("fileDeviceKind");
        QTest::addColumn<int>("fileAnalogInputsAfter");
        QTest::newRow("KRV470 image: analog inputs dropped") << 1 << 0;
        QTest::newRow("KRV465 image: analog inputs kept") << 2 << 4;
    }
    void krv465Rules()
    {
        QFETCH(int, fileDeviceKind);
        QFETCH(int, fileAnalogInputsAfter);
        // No answer to "B153" and "B162": the ticks of the KRV465 rule stay.
        DeviceBench bench(profileWith("krv465", {{"B153", "?"}, {"B162", "?"}}));
        bench.station.image.FileDeviceKind = KrvModel(fileDeviceKind);
        bench.station.image.FileAnalogInputs = 4;
        OptionsModel &panel = bench.panel();

        ReadDeviceInfo(bench.ctx);

        QVERIFY(bench.device.DeviceInfoRead);
        QCOMPARE(bench.device.DeviceKind, KrvModel::KRV465);
        QCOMPARE(int(bench.station.image.FileAnalogInputs), fileAnalogInputsAfter);
        QCOMPARE(panel.lbF4.caption, QString("Funktion der 'Doppel-C-Taste'"));
        QCOMPARE(checkedBoxes(panel), (QStringList{"cbPTB", "cbU230", "cb20", "cbRTC", "cb465", "cbDSfG"}));
        QCOMPARE(enabledBoxes(panel), QStringList{});
        // "B144" answered "?": no analog inputs.
        QCOMPARE(panel.cbAnalog.caption(), QString("Analogeingänge"));
        QVERIFY(!panel.cbAnalog.checked());
        QCOMPARE(panel.edFabNr.text, QString("12345       "));
        QCOMPARE(panel.cbF4, 6);
    }

    void oldDeviceCompletes_data()
    {
        QTest::addColumn<bool>("knowsB938");
        QTest::newRow("B938 answers 1") << true;
        QTest::newRow("B938 unknown too") << false;
    }
    void oldDeviceCompletes()
    {
        QFETCH(bool, knowsB938);
        DeviceBench bench(knowsB938 ? DeviceBench::profile("old") : profileWith("old", {{"B938", "?"}}));
        // What an earlier, newer device left behind.
        bench.device.FlashClass = FlashChip::Chip512K;
        bench.device.DeviceExdevType = 3;

        ReadDeviceInfo(bench.ctx);

        QVERIFY(bench.device.DeviceInfoRead);
        QCOMPARE(bench.device.DeviceKind, KrvModel::None);
        QCOMPARE(bench.device.FlashClass, FlashChip::Undetermined);
        QCOMPARE(bench.device.DeviceExdevType, quint8(0));
        QCOMPARE(commands(bench).mid(5, 3), (QList<QByteArray>{"B939", "B938", "B146"}));
        QCOMPARE(commands(bench).last(), QByteArray("B942"));
        QVERIFY(bench.ui().statusHistory.contains("1:Ermittle RTC"));
        QCOMPARE(bench.panel().cbRTC.checked(), knowsB938);
        QCOMPARE(bench.panel().lbF4.caption, QString("Funktion der F4-Taste"));
        QVERIFY(!bench.panel().lbGExdev.visible);
        QVERIFY(bench.ui().messages.isEmpty());
    }

    // An index outside the seven items never reaches the panel: the selection
    // from before the pass stays and the status line says why.
    void f4Index_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("status");
        QTest::newRow("first") << QByteArray("000") << 0 << QString();
        QTest::newRow("last") << QByteArray("006") << 6 << QString();
        QTest::newRow("one past the list") << QByteArray("007") << 2 << QString("Unbekannter F4-Modus 7, Auswahl bleibt");
        QTest::newRow("negative") << QByteArray("-01") << 2 << QString("Unbekannter F4-Modus -1, Auswahl bleibt");
        QTest::newRow("999") << QByteArray("999") << 2 << QString("Unbekannter F4-Modus 999, Auswahl bleibt");
    }
    void f4Index()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, index);
        QFETCH(QString, status);
        DeviceBench bench(profileWith("krv470", {{"B146", answer}}));
        QVERIFY(bench.panel().setF4Index(2));

        ReadDeviceInfo(bench.ctx);

        QVERIFY(bench.device.DeviceInfoRead);
        QCOMPARE(bench.panel().cbF4, index);
        QCOMPARE(bench.ui().status(1), status);
        QCOMPARE(bench.ui().status(0), QString());
    }

    // Which answers let the pass go on and which end it. Undecoded answers of
    // most steps pass; "B939" must be right or "?"; "B940".."B942" must be
    // right, "?" or three bytes.
    void stepResults_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("answer");  // the data after the echo
        QTest::addColumn<bool>("completes");
        QTest::newRow("B004 too short") << QByteArray("B004") << QByteArray("V3") << true;
        QTest::newRow("B143 too long") << QByteArray("B143") << QByteArray("200800") << true;
        QTest::newRow("B146 too short") << QByteArray("B146") << QByteArray("3") << true;
        QTest::newRow("B144 unknown to a KRV470") << QByteArray("B144") << QByteArray("?") << true;
        QTest::newRow("B153 unknown") << QByteArray("B153") << QByteArray("?") << true;
        QTest::newRow("B939 too short") << QByteArray("B939") << QByteArray("96") << false;
        QTest::newRow("B940 unknown") << QByteArray("B940") << QByteArray("?") << true;
        QTest::newRow("B940 too long") << QByteArray("B940") << QByteArray("0001") << false;
        QTest::newRow("B941 too short") << QByteArray("B941") << QByteArray("1FC") << false;
        QTest::newRow("B942 echo only") << QByteArray("B942") << QByteArray("") << false;
        QTest::newRow("B942 two digits") << QByteArray("B942") << QByteArray("03") << false;
    }
    void stepResults()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, answer);
        QFETCH(bool, completes);
        DeviceBench bench(profileWith("krv470", {{command, answer}}));

        ReadDeviceInfo(bench.ctx);

        QCOMPARE(bench.device.DeviceInfoRead, completes);
        QVERIFY(!bench.link.LinkFailed);  // an answer came: no time-out
        if (completes) {
            QCOMPARE(commands(bench).last(), QByteArray("B942"));
            QVERIFY(bench.ui().messages.isEmpty());
        } else {
            QCOMPARE(commands(bench).last(), command);  // nothing is asked after it
            verifyFailed(bench);
        }
    }

    // A failed pass clears the window but leaves the description of the last
    // good pass that it did not reach.
    void failedPassKeepsEarlierDescription()
    {
        DeviceBench bench(DeviceBench::profile("krv470"));
        ReadDeviceInfo(bench.ctx);
        QVERIFY(bench.device.DeviceInfoRead);

        bench.peer.device.profile.answers["B939"] = "96";
        bench.peer.device.frames.clear();
        ReadDeviceInfo(bench.ctx);

        verifyFailed(bench);
        QVERIFY(bench.device.DeviceInfoRead);
        QCOMPARE(bench.device.DeviceKind, KrvModel::None);
        QCOMPARE(bench.device.FlashClass, FlashChip::Chip512K);
        QCOMPARE(bench.device.DeviceExdevType, quint8(3));
        QCOMPARE(bench.panel().edBaujahr.text, QString("2008"));  // read before the failure
        QCOMPARE(bench.panel().cbF4, 0);
        QVERIFY(!bench.panel().lbGExdev.visible);
        QCOMPARE(checkedBoxes(bench.panel()), QStringList{"cbDSfG"});  // never cleared by the pass
    }

    void refusedPasswordFailsWithoutTimeout()
    {
        DeviceBench bench(DeviceBench::profile("password"));
        bench.ui().passwordActions = {{FakeFrontend::PasswordAction::GiveUp, {}}};
        ReadDeviceInfo(bench.ctx);
        QVERIFY(!bench.device.DeviceInfoRead);
        QVERIFY(!bench.link.LinkFailed);
        QCOMPARE(commands(bench), QList<QByteArray>{"Q"});
        verifyFailed(bench);
    }
};

QTEST_GUILESS_MAIN(TestReadout)
#include "tst_readout.moc"
