// The factory data record as the firmware of each date expects it.
#include "tests/support/fakefrontend.h"
#include "upload/factorydata.h"

#include <QTest>

class TstFactoryData : public QObject {
    Q_OBJECT
private slots:
    void layout();
    void analogCodeByDate_data();
    void analogCodeByDate();
    void optionAndNetworkBytesByDate_data();
    void optionAndNetworkBytesByDate();
    void writtenAtTheInformationBlock();
};

namespace {
struct Panel : TestStation {
    quint8 at(int offset) { return quint8(buildFactoryData(options, image).at(offset)); }
};
}

void TstFactoryData::layout()
{
    Panel p;
    p.image.FileExdevType = 3;
    p.image.FileAnalogInputs = 2;
    p.options.setFabNr(QStringLiteral("4711"));
    p.options.cbF4 = -1;  // nothing selected
    p.options.cbPTB.setChecked(true);
    p.options.cbDSfG.setChecked(true);
    const QByteArray block = buildFactoryData(p.options, p.image);
    QCOMPARE(block.size(), 32);
    QCOMPARE(block.left(18), QByteArray("4711        \0    \0", 18));
    QCOMPARE(quint8(block.at(19)), quint8(0xFF));  // no F4 function selected
    QCOMPARE(block.at(20), char(1));
    QCOMPARE(quint8(block.at(23)), quint8(0xFF));
    QCOMPARE(block.at(24), char(1));
    QCOMPARE(block.mid(25, 5), QByteArray(5, char(0xFF)));
    QCOMPARE(block.at(30), char(3));
    QCOMPARE(block.at(31), char(2));

    p.options.setF4Index(6);
    p.options.cbPTB.setChecked(false);
    p.options.setFabNr(QStringLiteral("ABCDEFGHIJKLMNO"));  // the edit holds 12
    p.options.setBaujahr(QStringLiteral("1999"));
    QCOMPARE(buildFactoryData(p.options, p.image).left(21), QByteArray("ABCDEFGHIJKL\0" "1999\0" "\x00\x06\x00", 21));
}

void TstFactoryData::analogCodeByDate_data()
{
    QTest::addColumn<int>("date");
    QTest::addColumn<bool>("analog");
    QTest::addColumn<bool>("rack");
    QTest::addColumn<int>("inputs");
    QTest::addColumn<int>("code");
    QTest::newRow("old ticked") << 20050531 << true << false << 2 << 0x31;
    QTest::newRow("old unticked") << 20050531 << false << false << 2 << 0x30;
    QTest::newRow("20050601 unticked") << 20050601 << false << false << 2 << 0;
    QTest::newRow("20050601 ticked") << 20050601 << true << false << 2 << 1;
    QTest::newRow("20061031 ticked") << 20061031 << true << false << 2 << 1;
    QTest::newRow("20061101 ticked") << 20061101 << true << false << 2 << 2;
    QTest::newRow("20061031 rack 4") << 20061031 << true << true << 4 << 2;
    QTest::newRow("20061101 rack 4") << 20061101 << true << true << 4 << 4;
}

void TstFactoryData::analogCodeByDate()
{
    QFETCH(int, date);
    QFETCH(bool, analog);
    QFETCH(bool, rack);
    QFETCH(int, inputs);
    QFETCH(int, code);
    Panel p;
    p.image.FileFwDate = date;
    p.image.FileAnalogInputs = quint8(inputs);
    p.options.cb470Z.setChecked(rack);
    p.options.cbAnalog.setChecked(analog);
    QCOMPARE(int(p.at(18)), code);
}

void TstFactoryData::optionAndNetworkBytesByDate_data()
{
    QTest::addColumn<int>("date");
    QTest::addColumn<QStringList>("ticked");
    QTest::addColumn<int>("option");
    QTest::addColumn<int>("network");
    const QStringList none;
    QTest::newRow("20030630 none") << 20030630 << none << 0 << 0xFF;
    QTest::newRow("20030630 RTC, networked") << 20030630 << QStringList{"cbRTC", "cbNetz", "cbMaster"} << 1 << 0xFF;
    QTest::newRow("20030701 none") << 20030701 << none << 0xF7 << 0xFF;
    QTest::newRow("RTC and battery") << 20030701 << QStringList{"cbRTC", "cbBatt"} << 0xFB << 0xFF;
    QTest::newRow("rack without battery") << 20030701 << QStringList{"cb470Z"} << 0xF6 << 0xFF;
    QTest::newRow("everything") << 20090301
                                << QStringList{"cb470Z", "cbKlemm", "cbRTC", "cbU24", "cb465", "cbNetz"} << 0x50 << 2;
    QTest::newRow("230 V, master") << 20090301 << QStringList{"cbU230", "cbNetz", "cbMaster"} << 0xE7 << 1;
}

void TstFactoryData::optionAndNetworkBytesByDate()
{
    QFETCH(int, date);
    QFETCH(QStringList, ticked);
    QFETCH(int, option);
    QFETCH(int, network);
    Panel p;
    p.image.FileFwDate = date;
    // Tick exactly the listed boxes; the rack-variant rule ticks cbKlemm by itself.
    QList<CheckBoxModel *> all = p.options.boxes();
    for (CheckBoxModel *box : all)
        box->setChecked(ticked.contains(QLatin1String(box->name())));
    for (CheckBoxModel *box : all)
        box->setChecked(ticked.contains(QLatin1String(box->name())));
    QCOMPARE(int(p.at(21)), option);
    QCOMPARE(int(p.at(22)), network);
}

void TstFactoryData::writtenAtTheInformationBlock()
{
    Panel p;
    p.image.ImageSize = 0x40000;
    p.options.setFabNr(QStringLiteral("1"));
    writeFactoryData(p.options, p.image);
    QCOMPARE(p.image.ImageBuffer[0x40000 - 33], quint8(0xFF));
    QCOMPARE(p.image.ImageBuffer[0x40000 - 32], quint8('1'));
    QCOMPARE(p.image.ImageBuffer[0x40000 - 1], p.image.FileAnalogInputs);
    QCOMPARE(p.image.ImageBuffer[0x40000], quint8(0xFF));
}

QTEST_GUILESS_MAIN(TstFactoryData)
#include "tst_factorydata.moc"
