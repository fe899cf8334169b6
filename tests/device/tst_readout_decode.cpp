// What single answers of the readout mean: factory number, build date,
// hardware word, analog count, networking and DSfG, flash chip, EXDEV type.
#include "device/readout.h"
#include "tests/device/readouthelpers.h"

#include <QtTest>

namespace {
// A KRV470 (krv470 profile) read with the given answers changed.
struct ReadKrv470 : DeviceBench {
    explicit ReadKrv470(const QMap<QByteArray, QByteArray> &answers) : DeviceBench(profileWith("krv470", answers))
    {
        ReadDeviceInfo(ctx);
    }
};

// The boxes the hardware word decides, in panel order.
QStringList hardwareBoxes(OptionsModel &panel)
{
    const QStringList names{"cb470Z", "cbU230", "cbU24", "cbKlemm", "cbRTC", "cbBatt", "cb465"};
    QStringList ticked;
    for (const QString &name : checkedBoxes(panel))
        if (names.contains(name))
            ticked << name;
    return ticked;
}
}

class TestReadoutDecode : public QObject {
    Q_OBJECT
private slots:
    // Twelve characters; from the first control or non-ASCII byte on, blanks.
    void factoryNumber_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("edFabNr");
        QTest::newRow("five digits") << QByteArray("12345") << QString("12345       ");
        QTest::newRow("twelve") << QByteArray("470000123456") << QString("470000123456");
        QTest::newRow("longer than twelve") << QByteArray("4700001234567890") << QString("470000123456");
        QTest::newRow("control byte") << QByteArray("12\x01" "45") << QString("12          ");
        QTest::newRow("above 0x7F") << QByteArray("12\xE9" "45") << QString("12          ");
        QTest::newRow("0x7F kept") << QByteArray("12\x7F") << QString("12\x7F         ");
        QTest::newRow("one character: not read") << QByteArray("1") << QString();
    }
    void factoryNumber()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, edFabNr);
        ReadKrv470 read({{"B142", answer}});
        QVERIFY(read.device.DeviceInfoRead);
        QCOMPARE(read.panel().edFabNr.text, edFabNr);
    }

    // cbOnlyFabdata from the build date; the date is compared as yyyymmdd.
    void buildDate_data()
    {
        QTest::addColumn<QByteArray>("date");  // yyyymmdd
        QTest::addColumn<bool>("enabled");
        QTest::newRow("10.12.2007") << QByteArray("20071210") << false;
        QTest::newRow("11.12.2007") << QByteArray("20071211") << true;
        QTest::newRow("30.11.2007") << QByteArray("20071130") << false;
        QTest::newRow("01.01.2008") << QByteArray("20080101") << true;
        QTest::newRow("31.12.2006") << QByteArray("20061231") << false;
    }
    void buildDate()
    {
        QFETCH(QByteArray, date);
        QFETCH(bool, enabled);
        DeviceProfile profile = DeviceProfile::fromJson({{"buildDate", QString::fromLatin1(date)}});
        DeviceBench bench(profile);
        bench.link.UseCrc = true;  // as the wake-up leaves it for this device
        OptionsModel &panel = bench.panel();
        panel.cbOnlyFabdata.setEnabled(true);
        panel.cbOnlyFabdata.setChecked(true);
        bench.ui().setCaption(Control::lbIntVersion, "alt");

        QCOMPARE(ReadFwBuild(bench.ctx), FrameResult::frame(22));

        QCOMPARE(bench.device.DeviceFwDate, date.toInt());
        QCOMPARE(panel.cbOnlyFabdata.enabled(), enabled);
        QCOMPARE(panel.cbOnlyFabdata.checked(), enabled);  // a tick stays only where the box may be used
        QCOMPARE(bench.ui().statusHistory, QStringList{"1:Lese FW-Build"});
        QCOMPARE(bench.ui().status(1), QString());
        QCOMPARE(bench.ui().caption(Control::lbIntVersion), QString());
    }

    void buildDateUnknownToDevice()
    {
        DeviceBench bench(DeviceProfile::fromJson({{"buildDate", "?"}}));
        bench.link.UseCrc = true;
        bench.device.DeviceFwDate = 20050101;
        bench.panel().cbOnlyFabdata.setEnabled(true);
        QCOMPARE(ReadFwBuild(bench.ctx), FrameResult::frame(3));
        QCOMPARE(bench.device.DeviceFwDate, 20050101);
        QVERIFY(bench.panel().cbOnlyFabdata.enabled());
    }

    // Bit by bit; the supply-voltage and rack-variant rules run on each tick.
    void hardwareWord_data()
    {
        QTest::addColumn<QByteArray>("word");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("ticked");
        QTest::newRow("0xBF") << QByteArray("191") << 1 << QStringList{"cbBatt"};
        QTest::newRow("0x81: 24 V wins over 230 V") << QByteArray("129") << 1 << QStringList{"cbU24", "cbKlemm", "cbRTC"};
        QTest::newRow("0x96: rack variant") << QByteArray("150") << 1 << QStringList{"cb470Z", "cbU24", "cbKlemm"};
        QTest::newRow("0xAE: 230 V") << QByteArray("174") << 1 << QStringList{"cb470Z", "cbU230", "cbKlemm"};
        QTest::newRow("0x2E: KRV465 drops the rack variant") << QByteArray("046") << 2 << QStringList{"cbU230", "cbRTC", "cb465"};
        QTest::newRow("0x7F: KRV465 keeps the battery") << QByteArray("127") << 2 << QStringList{"cbRTC", "cbBatt", "cb465"};
        QTest::newRow("0x00") << QByteArray("000") << 2 << QStringList{"cbU24", "cbRTC", "cb465"};
    }
    void hardwareWord()
    {
        QFETCH(QByteArray, word);
        QFETCH(int, kind);
        QFETCH(QStringList, ticked);
        ReadKrv470 read({{"B939", word}});
        QVERIFY(read.device.DeviceInfoRead);
        QCOMPARE(krvModelNumber(read.device.DeviceKind), kind);
        QCOMPARE(hardwareBoxes(read.panel()), ticked);
        // Whatever the rules did on the way, the readout leaves these locked.
        for (const CheckBoxModel *box : {&read.panel().cb470Z, &read.panel().cbKlemm, &read.panel().cbBatt})
            QVERIFY2(!box->enabled(), box->name());
        QCOMPARE(read.panel().lbF4.caption, kind == 1 ? QString("Funktion der F4-Taste") : QString("Funktion der 'Doppel-C-Taste'"));
    }

    void analogInputs_data()
    {
        QTest::addColumn<QByteArray>("word");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("4 with rack variant") << QByteArray("150") << QByteArray("40") << QString("4 Analogeingänge") << true;
        QTest::newRow("4 without rack variant") << QByteArray("191") << QByteArray("40") << QString("2 Analogeingänge") << true;
        QTest::newRow("1 counts as 2") << QByteArray("150") << QByteArray("10") << QString("2 Analogeingänge") << true;
        QTest::newRow("none") << QByteArray("150") << QByteArray("00") << QString("Analogeingänge") << false;
    }
    void analogInputs()
    {
        QFETCH(QByteArray, word);
        QFETCH(QByteArray, answer);
        QFETCH(QString, caption);
        QFETCH(bool, ticked);
        ReadKrv470 read({{"B939", word}, {"B144", answer}});
        QCOMPARE(read.panel().cbAnalog.caption(), caption);
        QCOMPARE(read.panel().cbAnalog.checked(), ticked);
    }

    // "B940" 2 is a slave; "B162" ticks for anything but "0", the label only above it.
    void networkAndDsfg_data()
    {
        QTest::addColumn<QByteArray>("network");
        QTest::addColumn<QByteArray>("dsfg");
        QTest::addColumn<QStringList>("ticked");
        QTest::addColumn<QString>("lbDSfG");
        QTest::newRow("master, DSfG") << QByteArray("001") << QByteArray("10") << QStringList{"cbNetz", "cbDSfG", "cbMaster"} << QString("DSfG");
        QTest::newRow("slave, no DSfG") << QByteArray("002") << QByteArray("00") << QStringList{"cbNetz"} << QString();
        QTest::newRow("3, DSfG below '0'") << QByteArray("003") << QByteArray("/0") << QStringList{"cbDSfG"} << QString();
    }
    void networkAndDsfg()
    {
        QFETCH(QByteArray, network);
        QFETCH(QByteArray, dsfg);
        QFETCH(QStringList, ticked);
        QFETCH(QString, lbDSfG);
        ReadKrv470 read({{"B940", network}, {"B162", dsfg}});
        QStringList names;
        for (const QString &name : checkedBoxes(read.panel()))
            if (name == "cbNetz" || name == "cbDSfG" || name == "cbMaster")
                names << name;
        QCOMPARE(names, ticked);
        QCOMPARE(read.ui().caption(Control::lbDSfG), lbDSfG);
    }

    void flashId_data()
    {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<int>("flashClass");
        QTest::addColumn<bool>("cb20");
        QTest::addColumn<bool>("cb40");
        QTest::addColumn<QString>("cb40Caption");
        QTest::newRow("1FBA") << QByteArray("1FBA") << 1 << true << false << QString("AT29LV040");
        QTest::newRow("014F") << QByteArray("014F") << 2 << false << true << QString("AM29LV040");
        QTest::newRow("BFD7") << QByteArray("BFD7") << 2 << false << true << QString("SST39VF040");
        QTest::newRow("lower case is unknown") << QByteArray("1fc4") << 3 << false << false << QString("AT29LV040");
        QTest::newRow("unknown") << QByteArray("2081") << 3 << false << false << QString("AT29LV040");
    }
    void flashId()
    {
        QFETCH(QByteArray, id);
        QFETCH(int, flashClass);
        QFETCH(bool, cb20);
        QFETCH(bool, cb40);
        QFETCH(QString, cb40Caption);
        ReadKrv470 read({{"B941", id}});
        QVERIFY(read.device.DeviceInfoRead);
        QCOMPARE(flashClassNumber(read.device.FlashClass), flashClass);
        QCOMPARE(read.panel().cb20.checked(), cb20);
        QCOMPARE(read.panel().cb40.checked(), cb40);
        QCOMPARE(read.panel().cb40.caption(), cb40Caption);
        QCOMPARE(read.panel().cb20.caption(), QString("AT29LV020"));
    }

    // "1FC4" after "BFD7": the caption goes back to "AT29LV040".
    void flashCaptionFollowsTheChip()
    {
        ReadKrv470 read({{"B941", "BFD7"}});
        QCOMPARE(read.panel().cb40.caption(), QString("SST39VF040"));
        read.peer.device.profile.answers["B941"] = "1FC4";
        ReadDeviceInfo(read.ctx);
        QCOMPARE(read.device.FlashClass, FlashChip::Chip512K);
        QVERIFY(read.panel().cb40.checked());
        QCOMPARE(read.panel().cb40.caption(), QString("AT29LV040"));
    }

    // A byte, 255 meaning none, shown signed.
    void exdev_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("shown");  // empty: lbGExdev hidden
        QTest::newRow("255 is none") << QByteArray("255") << 0 << QString();
        QTest::newRow("003") << QByteArray("003") << 3 << QString("3");
        QTest::newRow("200 shown signed") << QByteArray("200") << 200 << QString("-56");
        QTest::newRow("257 taken modulo 256") << QByteArray("257") << 1 << QString("1");
        QTest::newRow("000") << QByteArray("000") << 0 << QString();
    }
    void exdev()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, type);
        QFETCH(QString, shown);
        ReadKrv470 read({{"B942", answer}});
        QVERIFY(read.device.DeviceInfoRead);
        QCOMPARE(int(read.device.DeviceExdevType), type);
        QCOMPARE(read.panel().lbGExdev.visible, !shown.isEmpty());
        if (!shown.isEmpty())
            QCOMPARE(read.panel().lbGExdev.caption, shown);
    }
};

QTEST_GUILESS_MAIN(TestReadoutDecode)
#include "tst_readout_decode.moc"
