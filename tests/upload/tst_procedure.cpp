// The upload run around the transfer: readout, pre-checks and their question,
// calibration switch, cancel, the final message and the window's controls.
#include "tests/upload/uploadrig.h"

#include <QDate>
#include <QRandomGenerator>

class TstProcedure : public QObject {
    Q_OBJECT
private slots:
    void preCheckQuestion_data();
    void preCheckQuestion();
    void tooLargeForTheFlashIsTheOnlyReport();
    void largerThanAnyFlashFailsWhateverTheFlashClass();
    void readsTheDeviceWhenNotReadYet();
    void closedCalibrationSwitch();
    void cancelWhileRecordsGoOut();
    void cancelWhileTheDeviceSwitchesOver();
    void controlsDuringAndAfterTheRun();
    void imageWithoutInformationBlockIsRefused();
    void onlyFirmwareIsUploaded_data();
    void onlyFirmwareIsUploaded();
};

void TstProcedure::preCheckQuestion_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("-1 flash too small") << -1 << QStringLiteral("FLASH im KRV ist zu klein!");
    QTest::newRow("-2 other kind") << -2 << QStringLiteral("Datei passt nicht zum KRV!");
    QTest::newRow("-3 old firmware") << -3 << QStringLiteral("Die FW unterstützt dieses Feature nicht!");
    QTest::newRow("-4 newer in device") << -4 << QStringLiteral("Im KRV ist eine aktueller FW!");
    QTest::newRow("-5 same version") << -5 << QStringLiteral("Die FW-Versionen sind gleich!");
}

void TstProcedure::preCheckQuestion()
{
    QFETCH(int, code);
    QFETCH(QString, message);
    for (bool endRun : {true, false}) {
        UploadRig rig;
        SampleImage sample;
        sample.firmwareDate = code == -3 ? 20071130 : 20090301;
        rig.load(sample);
        if (code == -1)
            rig.device.FlashClass = FlashChip::Chip256K;
        if (code == -2)
            rig.device.DeviceKind = KrvModel::KRV465;
        if (code == -3)
            rig.st.options.cbOnlyFabdata.setChecked(true);
        if (code == -4)
            rig.device.DeviceFwDate = 20090302;
        if (code == -5)
            rig.device.DeviceFwDate = 20090301;
        rig.st.ui.answers = {endRun};
        rig.upload.btUpdateClick();

        QCOMPARE(rig.upload.CheckMessage, message);
        QCOMPARE(phaseNumber(rig.upload.preCheck.code), code);  // as the record reports it
        QCOMPARE(rig.st.ui.questions, QStringList{message + "\nUpload sollte beendet werden!!\n\nUpload beenden?"});
        QVERIFY(rig.st.ui.statusHistory.contains("1:" + message));
        if (endRun) {  // Yes: nothing reaches the device, no message
            QCOMPARE(rig.upload.UploadPhase, Phase::Refused);
            QCOMPARE(rig.upload.outcome, Upload::Outcome::Refused);
            QVERIFY(rig.st.ui.messages.isEmpty());
            QVERIFY(rig.sim.device.frames.isEmpty());
        } else {  // No: the upload goes on
            QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);
            QCOMPARE(rig.flash().flash.right(32), rig.image().right(32));
        }
        QCOMPARE(rig.st.ui.activity(), Activity::Idle);
    }
}

void TstProcedure::tooLargeForTheFlashIsTheOnlyReport()
{
    UploadRig rig;
    rig.load(SampleImage{});  // 512 KiB
    rig.device.FlashClass = FlashChip::Chip256K;
    rig.device.DeviceKind = KrvModel::KRV465;  // would fail the kind check too
    rig.st.ui.answers = {false};
    rig.upload.btUpdateClick();

    QCOMPARE(rig.st.ui.questions.size(), 1);
    QVERIFY(rig.st.ui.questions.first().startsWith("FLASH im KRV ist zu klein!\n"));
    QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);  // No runs the upload anyway
}

// No question: even a No to it would send an image that fits no flash.
void TstProcedure::largerThanAnyFlashFailsWhateverTheFlashClass()
{
    for (FlashChip flashClass : {FlashChip::Chip512K, FlashChip::Unlisted}) {
        UploadRig rig;
        SampleImage sample;
        sample.size = 0x80000 + 1;
        rig.load(sample);
        rig.device.FlashClass = flashClass;
        rig.st.ui.answers = {false};
        rig.upload.btUpdateClick();

        QCOMPARE(rig.upload.outcome, Upload::Outcome::ImageRejected);
        QVERIFY(rig.st.ui.questions.isEmpty());
        QCOMPARE(rig.st.ui.messages,
                 QStringList{"Upload nicht möglich: Das Image (524289 Bytes) ist größer als das FLASH jedes KRV (524288 Bytes)!"});
        QVERIFY(rig.sim.device.frames.isEmpty());
    }
}

void TstProcedure::readsTheDeviceWhenNotReadYet()
{
    UploadRig rig;
    rig.device = DeviceDescription{};
    rig.link.UseCrc = false;  // the wake-up decides
    rig.load(SampleImage{});
    rig.upload.btUpdateClick();

    QVERIFY(rig.device.DeviceInfoRead);
    QCOMPARE(rig.device.FlashClass, FlashChip::Chip512K);
    QVERIFY(rig.st.ui.questions.isEmpty());
    QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);
    // The factory number read from the device went back into the image.
    QCOMPARE(rig.flash().flash.mid(0x80000 - 32, 12), QByteArray("000012345678"));
    QVERIFY(rig.sentCommand("B152"));
}

void TstProcedure::closedCalibrationSwitch()
{
    DeviceProfile profile = DeviceProfile::fromJson({});
    profile.calibrationSwitchOpen = false;
    UploadRig rig(profile);
    rig.load(SampleImage{});
    rig.st.options.setFabNr("99");
    rig.upload.btUpdateClick();

    QVERIFY(rig.st.ui.statusHistory.contains("0:Zustand Eichschalter abrufen."));
    QCOMPARE(rig.st.ui.messages, QStringList{"Upload beendet: Eichschalter ist zu!"});
    QCOMPARE(rig.upload.outcome, Upload::Outcome::SwitchClosed);
    QCOMPARE(rig.upload.UploadPhase, Phase::FactoryData);
    QVERIFY(!rig.sentCommand("1FLASH"));
    // The factory data are in the image held in memory all the same.
    QCOMPARE(rig.image().mid(0x80000 - 32, 3), QByteArray("99 "));
}

void TstProcedure::cancelWhileRecordsGoOut()
{
    UploadRig rig;
    rig.load(SampleImage{});
    rig.upload.progress = [&](const TransferProgress &p) {
        if (p.blocksSent == 3)
            rig.upload.btAbbruchClick();
    };
    rig.upload.btUpdateClick();

    QCOMPARE(rig.st.ui.messages, QStringList{"Abbruch durch den kundigen Benutzer!  ;-)"});
    QCOMPARE(rig.upload.outcome, Upload::Outcome::Cancelled);
    QCOMPARE(rig.upload.UploadPhase, Phase::Transfer);
    // The cancel ends the wait for the reply to the record after it.
    QCOMPARE(rig.upload.counters.dataRecords, 4);
    QVERIFY(!rig.link.CancelRequested);
}

void TstProcedure::cancelWhileTheDeviceSwitchesOver()
{
    // The cancel comes while the program pauses after "1FLASH", before it
    // waits for "GoOnFlashing": it must end the run, not be cleared away.
    UploadRig rig;
    rig.load(SampleImage{});
    connect(&rig.sim.device, &DeviceSim::flashRequested, this, [&rig] { rig.upload.btAbbruchClick(); });
    rig.upload.btUpdateClick();

    QCOMPARE(rig.st.ui.messages, QStringList{"Abbruch durch den kundigen Benutzer!  ;-)"});
    QCOMPARE(rig.upload.outcome, Upload::Outcome::Cancelled);
    QCOMPARE(rig.upload.UploadPhase, Phase::EnterFlashMode);
    QVERIFY(rig.flash().records.isEmpty());
}

void TstProcedure::controlsDuringAndAfterTheRun()
{
    UploadRig rig;
    rig.load(blockImage({0, 1}));
    rig.st.options.cbOnlyFabdata.setEnabled(true);
    bool lockedWhileSending = true, cancellableWhileSending = true, runningWhileProgramming = true;
    rig.upload.progress = [&](const TransferProgress &p) {
        lockedWhileSending &= !rig.st.options.cbOnlyFabdata.enabled();
        if (!p.programming)
            cancellableWhileSending &= rig.st.ui.activity() == Activity::Cancellable;
        else
            runningWhileProgramming &= rig.upload.running() && rig.st.ui.activity() == Activity::Busy;
    };
    rig.upload.btUpdateClick();

    QVERIFY(lockedWhileSending);
    QVERIFY(cancellableWhileSending);
    QVERIFY(runningWhileProgramming);
    QVERIFY(!rig.upload.running());
    QCOMPARE(rig.st.ui.activity(), Activity::Idle);
    QVERIFY(rig.st.options.cbOnlyFabdata.enabled());
    for (Control label : {Control::lbVersion, Control::lbIntVersion, Control::lbDSfG})
        QCOMPARE(rig.st.ui.caption(label), QString());
}

void TstProcedure::imageWithoutInformationBlockIsRefused()
{
    for (int size : {0, 31, 0xFF0E}) {
        UploadRig rig;
        rig.st.image.ImageSize = size;
        rig.st.ui.setEnabled(Control::btUpdate, true);
        rig.upload.btUpdateClick();

        QCOMPARE(rig.upload.outcome, Upload::Outcome::ImageRejected);
        QCOMPARE(rig.st.ui.messages.size(), 1);
        QVERIFY(rig.st.ui.messages.first().startsWith("Upload nicht möglich"));
        QVERIFY(rig.sim.device.frames.isEmpty());
        QVERIFY(std::all_of(rig.st.image.ImageBuffer.begin(), rig.st.image.ImageBuffer.begin() + 0x10000,
                            [](quint8 b) { return b == 0xFF; }));
    }
}

void TstProcedure::onlyFirmwareIsUploaded_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QString>("reason");  // the message starts so; empty: a firmware
    const int nextYear = QDate::currentDate().year() + 1;
    const auto withDate = [](const QByteArray &date) { return QByteArray(blockImage({0})).replace(0xFF07, 8, date); };
    const auto withIdentification = [](const QByteArray &text) {
        return QByteArray(blockImage({0})).replace(0xFF00, 7, text.leftJustified(7, '\0'));
    };
    QByteArray random(0x10000, '\0');
    QRandomGenerator(5).fillRange(reinterpret_cast<quint32 *>(random.data()), random.size() / 4);
    const QString noFirmware = QStringLiteral("Upload nicht möglich: Die Datei ist keine KRV-Firmware! ");
    const QString badDate = noFirmware + QStringLiteral("Das Firmware-Datum bei 0xFF07 (\"%1\") ist kein gültiger Tag zwischen 1990 und %2.");

    QTest::newRow("sample") << blockImage({0}) << QString();
    QTest::newRow("DSfG, date behind") << withIdentification("DSfG") << QString();
    QTest::newRow("first day of 1990") << withDate("01011990") << QString();
    QTest::newRow("next year") << withDate("3112" + QByteArray::number(nextYear)) << QString();
    QTest::newRow("random bytes") << random << noFirmware;  // which check it fails is chance
    QTest::newRow("zero date") << withDate("00000000") << badDate.arg("00000000").arg(nextYear);
    QTest::newRow("erased date") << withDate(QByteArray(8, char(0xFF))) << badDate.arg("........").arg(nextYear);
    QTest::newRow("30 February") << withDate("30022009") << badDate.arg("30022009").arg(nextYear);
    QTest::newRow("1989") << withDate("31121989") << badDate.arg("31121989").arg(nextYear);
    QTest::newRow("year after next") << withDate("0101" + QByteArray::number(nextYear + 1))
                                     << badDate.arg("0101" + QString::number(nextYear + 1)).arg(nextYear);
    QTest::newRow("empty identification") << withIdentification("") << noFirmware + QStringLiteral("Die Kennung bei 0xFF00 ist leer.");
    QTest::newRow("control character") << withIdentification("KRV\x01") << noFirmware + QStringLiteral("Die Kennung bei 0xFF00 ist kein lesbarer Text.");
    QTest::newRow("erased identification") << withIdentification(QByteArray(7, char(0xFF)))
                                           << noFirmware + QStringLiteral("Die Kennung bei 0xFF00 ist kein lesbarer Text.");
}

void TstProcedure::onlyFirmwareIsUploaded()
{
    QFETCH(QByteArray, image);
    QFETCH(QString, reason);
    UploadRig rig;
    rig.load(image);
    rig.st.ui.answers = {false, false, false};  // No to any question: the user would go on
    rig.upload.btUpdateClick();
    if (reason.isEmpty()) {
        QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);
        return;
    }
    QCOMPARE(rig.upload.outcome, Upload::Outcome::ImageRejected);
    QCOMPARE(rig.st.ui.messages.size(), 1);
    QVERIFY2(rig.st.ui.messages.first().startsWith(reason), qPrintable(rig.st.ui.messages.first()));
    QVERIFY(rig.st.ui.questions.isEmpty());
    QVERIFY(rig.sim.device.frames.isEmpty());
}

QTEST_GUILESS_MAIN(TstProcedure)
#include "tst_procedure.moc"
