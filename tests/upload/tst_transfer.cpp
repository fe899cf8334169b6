// The record protocol end to end over TCP against the simulated device.
#include "tests/upload/uploadrig.h"

class TstTransfer : public QObject {
    Q_OBJECT
private slots:
    void fullImagesArriveByteIdentical_data();
    void fullImagesArriveByteIdentical();
    void recordSequenceFollowsGaps();
    void onlyFactoryData512K();
    void onlyFactoryData256KSendsOnlyTheEndRecord();
    void nakRepeatsTheSameRecord();
    void endRecordAnsweredWithAckFails();
    void garbageReplyFails();
    void wrongEotEchoFails();
    void programmingEndsAtTheFirstP();
    void lettersWithoutTheStartLetter_data();
    void lettersWithoutTheStartLetter();
    void programmingLettersShowTheirTexts();
    void unfinishedLastBlockIsPaddedWithErasedFlash();
    void recordsBehindTheRequestInOneBlock();
};

void TstTransfer::fullImagesArriveByteIdentical_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("256 KiB") << 0x40000;
    QTest::newRow("512 KiB") << 0x80000;
}

void TstTransfer::fullImagesArriveByteIdentical()
{
    QFETCH(int, size);
    UploadRig rig;
    SampleImage sample;
    sample.size = size;
    rig.load(sample);
    rig.st.options.setFabNr(QStringLiteral("4711"));
    rig.st.options.setBaujahr(QStringLiteral("2009"));

    rig.upload.btUpdateClick();

    QCOMPARE(rig.st.ui.messages, QStringList{QStringLiteral("Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)")});
    QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);
    QCOMPARE(rig.upload.UploadPhase, Phase::Programming);
    QVERIFY2(rig.flash().protocolErrors.isEmpty(), qPrintable(rig.flash().protocolErrors.join('\n')));
    // The factory data went into the image and from there to the device.
    QCOMPARE(rig.image().mid(size - 32, 18), QByteArray("4711        \0" "2009\0", 18));
    QCOMPARE(rig.flash().flash.left(size), rig.image());

    // Four runs of data (code, code, code with a gap, the end): one address
    // record each, one EOT before each but the first.
    int addressRecords = 0, eots = 0, dataRecords = 0;
    for (const Record &r : rig.flash().records) {
        addressRecords += r.kind == Kind::Address;
        eots += r.kind == Kind::Eot;
        dataRecords += r.kind == Kind::Data;
    }
    int nonBlank = 0;
    for (int a = 0; a < size; a += 256)
        nonBlank += rig.image().mid(a, 256) != QByteArray(256, char(0xFF));
    QCOMPARE(dataRecords, nonBlank);
    QCOMPARE(eots, addressRecords);  // the end record is preceded by one too
    QCOMPARE(rig.flash().records.last(), (Record{Kind::End, 0x0FFFFF, 'F'}));
    QCOMPARE(rig.st.ui.activity(), Activity::Idle);
    QCOMPARE(rig.st.ui.status(0), QString());
}

void TstTransfer::recordSequenceFollowsGaps()
{
    UploadRig rig;
    rig.load(blockImage({0, 1, 3}));
    rig.upload.btUpdateClick();

    const QList<Record> expected = {
        {Kind::Address, 0x0000, 0x06}, {Kind::Data, 0x0000, 0x06}, {Kind::Data, 0x0100, 0x06},
        {Kind::Eot, -1, 0x04},         {Kind::Address, 0x0300, 0x06}, {Kind::Data, 0x0300, 0x06},
        {Kind::Eot, -1, 0x04},         {Kind::Address, 0xFF00, 0x06}, {Kind::Data, 0xFF00, 0x06},
        {Kind::Eot, -1, 0x04},         {Kind::End, 0x0FFFFF, 'F'},
    };
    QCOMPARE(rig.flash().records, expected);
    QVERIFY(rig.flash().protocolErrors.isEmpty());
    QVERIFY(rig.st.ui.statusHistory.contains(QStringLiteral("1:Wdh: 0 Adr: 3 Dat: 4")));
    // Every address record, not only the end record, shows the counters once answered.
    for (const char *line : {"1:Wdh: 0 Adr: 1 Dat: 0", "1:Wdh: 0 Adr: 2 Dat: 2", "1:Wdh: 0 Adr: 3 Dat: 3"})
        QVERIFY2(rig.st.ui.statusHistory.contains(QLatin1String(line)), line);
    QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);
}

void TstTransfer::onlyFactoryData512K()
{
    UploadRig rig;
    rig.load(SampleImage{});
    rig.st.options.cbOnlyFabdata.setEnabled(true);
    rig.st.options.cbOnlyFabdata.setChecked(true);
    rig.st.options.setFabNr(QStringLiteral("123456789012"));
    rig.upload.btUpdateClick();

    const QList<Record> expected = {
        {Kind::Address, 0x7FF00, 0x06}, {Kind::Data, 0x7FF00, 0x06}, {Kind::Eot, -1, 0x04}, {Kind::End, 0x0FFFFF, 'F'}};
    QCOMPARE(rig.flash().records, expected);
    QCOMPARE(rig.flash().flash.mid(0x7FF00, 256), rig.image().mid(0x7FF00, 256));
    QCOMPARE(rig.flash().flash.mid(0x7FFE0, 12), QByteArray("123456789012"));
    QVERIFY(!rig.st.options.cbOnlyFabdata.checked());
    QVERIFY(rig.st.options.cbOnlyFabdata.enabled());
    QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);
}

void TstTransfer::onlyFactoryData256KSendsOnlyTheEndRecord()
{
    UploadRig rig;
    SampleImage sample;
    sample.size = 0x40000;
    rig.load(sample);
    rig.st.options.cbOnlyFabdata.setChecked(true);
    rig.upload.btUpdateClick();

    QCOMPARE(rig.flash().records, (QList<Record>{{Kind::End, 0x0FFFFF, 'F'}}));
    QVERIFY(rig.st.ui.statusHistory.contains(QStringLiteral("1:Wdh: 0 Adr: 0 Dat: 0")));
    QVERIFY(!rig.st.ui.statusHistory.contains(QStringLiteral("1:Wdh: 0 Adr: 1 Dat: 0")));
    QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);
}

void TstTransfer::nakRepeatsTheSameRecord()
{
    // Record 1 is the first address record, record 3 the second data record.
    for (int nak : {1, 3}) {
        UploadRig rig;
        rig.flash().faults.nakRecord = nak;
        rig.load(blockImage({0, 1}));
        rig.upload.btUpdateClick();

        const QList<Record> &records = rig.flash().records;
        QCOMPARE(records.at(nak - 1).reply, quint8(0x15));
        QCOMPARE(records.at(nak).kind, records.at(nak - 1).kind);
        QCOMPARE(records.at(nak).address, records.at(nak - 1).address);
        QCOMPARE(records.at(nak).reply, quint8(0x06));
        QVERIFY(rig.st.ui.statusHistory.contains(QStringLiteral("1:Wdh: 1 Adr: 1 Dat: %1").arg(nak == 1 ? 0 : 2)));
        QCOMPARE(rig.flash().flash.left(0x10000), rig.image());
        QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);
    }
}

void TstTransfer::endRecordAnsweredWithAckFails()
{
    UploadRig rig;
    rig.flash().faults.endAnsweredWithAck = true;
    rig.load(blockImage({0}));
    rig.upload.btUpdateClick();

    QCOMPARE(rig.flash().records.last(), (Record{Kind::End, 0x0FFFFF, 0x06}));
    QCOMPARE(rig.st.ui.messages, QStringList{QStringLiteral("Upload beendet: KRV reagiert nicht/falsch! PS: 4")});
    QCOMPARE(rig.upload.outcome, Upload::Outcome::Failed);
}

void TstTransfer::garbageReplyFails()
{
    UploadRig rig;
    rig.flash().faults.garbageAtRecord = 2;
    rig.load(blockImage({0, 1, 2}));
    rig.upload.btUpdateClick();

    QCOMPARE(rig.flash().records.size(), 2);  // nothing after the garbage
    QCOMPARE(rig.st.ui.messages, QStringList{QStringLiteral("Upload beendet: KRV reagiert nicht/falsch! PS: 4")});
}

void TstTransfer::wrongEotEchoFails()
{
    // "F" starts the programming only as the answer to a record.
    UploadRig rig;
    rig.flash().faults.eotReply = 'F';
    rig.load(blockImage({0, 2}));
    rig.upload.btUpdateClick();

    QCOMPARE(rig.flash().records.last(), (Record{Kind::Eot, -1, 'F'}));
    QCOMPARE(rig.st.ui.messages, QStringList{QStringLiteral("Upload beendet: KRV reagiert nicht/falsch! PS: 4")});
    QCOMPARE(rig.upload.outcome, Upload::Outcome::Failed);
}

void TstTransfer::programmingEndsAtTheFirstP()
{
    UploadRig rig;
    rig.flash().faults.letters = "PSSS";
    rig.load(blockImage({0}));
    rig.upload.btUpdateClick();

    QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);
    QCOMPARE(rig.upload.UploadPhase, Phase::Programming);
    QVERIFY(!rig.st.ui.statusHistory.contains(QStringLiteral("1:FabData erase & burn!")));
}

void TstTransfer::lettersWithoutTheStartLetter_data()
{
    QTest::addColumn<QByteArray>("letters");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("lines");  // status panel 1 from "KRV programmiert FLASH!" on
    const QString success = QStringLiteral("FLASH wurde erfolgreich gebrannt!  :-)");
    // The letter that answered the end record is the programming's first.
    QTest::newRow("counted from the first letter")
        << QByteArray("apP") << QStringLiteral("Upload beendet: ") + success
        << QStringList{"1:Erase: 0 Adr: 1 Dat: 0", "1:Erase: 0 Adr: 1 Dat: 1", "1:Erase: 0 Adr: 1 Dat: 1", "1:" + success};
    QTest::newRow("P at once") << QByteArray("P") << QStringLiteral("Upload beendet: ") + success
                               << QStringList{"1:Erase: 0 Adr: 0 Dat: 0", "1:" + success};
    QTest::newRow("silence while programming") << QByteArray("S") << QStringLiteral("Upload beendet: KRV reagiert nicht/falsch! PS: 5")
                                               << QStringList{"1:FabData erase & burn!", "1:Erase: 0 Adr: 0 Dat: 0"};
}

void TstTransfer::lettersWithoutTheStartLetter()
{
    QFETCH(QByteArray, letters);
    QFETCH(QString, message);
    QFETCH(QStringList, lines);
    UploadRig rig;
    rig.flash().faults.startLetterLost = true;
    rig.flash().faults.letters = letters;
    rig.load(blockImage({0}));
    rig.upload.btUpdateClick();

    QCOMPARE(rig.st.ui.messages, QStringList{message});
    QCOMPARE(rig.upload.UploadPhase, Phase::Programming);
    const QStringList &h = rig.st.ui.statusHistory;
    const qsizetype from = h.indexOf(QStringLiteral("0:KRV programmiert FLASH!"));
    QVERIFY(from >= 0);
    QCOMPARE(h.mid(from + 1, lines.size()), lines);
    QCOMPARE(rig.flash().flash.left(0x10000), rig.image());
}

void TstTransfer::programmingLettersShowTheirTexts()
{
    UploadRig rig;
    rig.flash().faults.letters = "EEaSpp?TCP";
    rig.load(blockImage({0}));
    bool cancelLocked = false;
    rig.upload.progress = [&](const TransferProgress &p) {
        if (p.letter != 0)
            cancelLocked = rig.st.ui.activity() == Activity::Busy;
    };
    rig.upload.btUpdateClick();

    const QStringList &h = rig.st.ui.statusHistory;
    const QStringList expected = {"0:KRV programmiert FLASH!", "1:Erase: 1 Adr: 0 Dat: 0", "1:Erase: 2 Adr: 0 Dat: 0",
                                  "1:Erase: 2 Adr: 1 Dat: 0", "1:FabData erase & burn!", "1:Erase: 2 Adr: 1 Dat: 1",
                                  "1:Erase: 2 Adr: 1 Dat: 2", "1:Erase: 2 Adr: 1 Dat: 2", "1:Test highest FLASH-Sector!",
                                  "1:FLASH-Data copy!", "1:Erase: 2 Adr: 1 Dat: 2", "1:FLASH wurde erfolgreich gebrannt!  :-)"};
    const qsizetype from = h.indexOf(expected.first());
    QVERIFY(from >= 0);
    QCOMPARE(h.mid(from, expected.size()), expected);
    QVERIFY(cancelLocked);
}

void TstTransfer::unfinishedLastBlockIsPaddedWithErasedFlash()
{
    UploadRig rig;
    QByteArray bytes = blockImage({0});
    bytes.append(QByteArray(0x10, 'x'));
    bytes[bytes.size() - 32 + 21] = char(0xFF);  // still a KRV470 image
    bytes[bytes.size() - 1] = 2;
    rig.load(bytes);
    // Something non-blank behind the image, where the loader leaves the buffer alone.
    std::fill_n(rig.st.image.ImageBuffer.begin() + bytes.size(), 0x100, quint8(0x55));
    rig.upload.btUpdateClick();

    QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);
    QCOMPARE(rig.flash().flash.mid(0x10000, 0x10), rig.image().mid(0x10000, 0x10));
    QCOMPARE(rig.flash().flash.mid(0x10010, 0xF0), QByteArray(0xF0, char(0xFF)));
}

void TstTransfer::recordsBehindTheRequestInOneBlock()
{
    // The simulator hands what follows "1FLASH" in the same block to its flash side.
    DeviceSim device(DeviceProfile::fromJson({{"crc", false}}));
    device.receive(QByteArray("\x02" "1FLASH\x03") + BlockTransfer::addressRecord(0x0100));

    QCOMPARE(device.flash.records, (QList<Record>{{Kind::Address, 0x0100, 0x06}}));
    QVERIFY(device.flash.protocolErrors.isEmpty());
}

QTEST_GUILESS_MAIN(TstTransfer)
#include "tst_transfer.moc"
