// A device that stops answering: before the readout, while it is switched
// over into the flash-update mode (the real limits) and while records go out.
#include "tests/upload/uploadrig.h"

#include <QElapsedTimer>

class TstSilentDevice : public QObject {
    Q_OBJECT
private slots:
    void noReadoutFailsTheKindCheck();
    void switchOverUnanswered_data();
    void switchOverUnanswered();
    void recordUnansweredFailsPhase4();
};

void TstSilentDevice::noReadoutFailsTheKindCheck()
{
    UploadRig rig;
    rig.device = DeviceDescription{};
    rig.sim.device.faults.silent = true;
    rig.load(SampleImage{});
    rig.st.ui.answers = {false};  // go on
    rig.upload.btUpdateClick();

    QCOMPARE(rig.device.DeviceKind, KrvModel::None);
    QCOMPARE(rig.st.ui.questions, QStringList{"Datei passt nicht zum KRV!\nUpload sollte beendet werden!!\n\nUpload beenden?"});
    QCOMPARE(rig.st.ui.messages, (QStringList{"KRV reagiert falsch oder nicht!", "Upload beendet: KRV reagiert nicht/falsch! PS: -2"}));
    QCOMPARE(rig.upload.outcome, Upload::Outcome::Failed);
    QVERIFY(!rig.sentCommand("B152"));
}

void TstSilentDevice::switchOverUnanswered_data()
{
    QTest::addColumn<bool>("noGoOnFlashing");
    QTest::addColumn<int>("limitMs");
    QTest::addColumn<Phase>("phase");
    QTest::newRow("calibration switch, 2 s") << false << TimeLimits{}.uploadFrameTimeoutMs << Phase::FactoryData;
    QTest::newRow("GoOnFlashing, 15 s") << true << TimeLimits{}.goOnFlashingTimeoutMs << Phase::EnterFlashMode;
}

void TstSilentDevice::switchOverUnanswered()
{
    QFETCH(bool, noGoOnFlashing);
    QFETCH(int, limitMs);
    QFETCH(Phase, phase);
    UploadRig rig;  // the device was read before
    rig.link.limits = TimeLimits{};
    rig.sim.device.faults.silent = !noGoOnFlashing;
    rig.flash().faults.noGoOnFlashing = noGoOnFlashing;
    rig.load(blockImage({0}));
    QElapsedTimer clock;
    clock.start();
    rig.upload.btUpdateClick();

    QVERIFY2(clock.elapsed() >= limitMs - 10, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(rig.upload.UploadPhase, phase);
    QCOMPARE(rig.st.ui.messages, QStringList{"Upload beendet: KRV reagiert nicht/falsch! PS: " + QString::number(phaseNumber(phase))});
    QCOMPARE(rig.upload.outcome, Upload::Outcome::Failed);
    QVERIFY(rig.flash().records.isEmpty());
}

void TstSilentDevice::recordUnansweredFailsPhase4()
{
    UploadRig rig;
    rig.flash().faults.silentFromRecord = 3;
    rig.load(blockImage({0, 1, 2}));
    QElapsedTimer clock;
    clock.start();
    rig.upload.btUpdateClick();

    QVERIFY2(clock.elapsed() >= rig.link.limits.recordReplyTimeoutMs - 10, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(rig.flash().records.size(), 3);
    QCOMPARE(rig.st.ui.messages, QStringList{QStringLiteral("Upload beendet: KRV reagiert nicht/falsch! PS: 4")});
    QCOMPARE(rig.upload.UploadPhase, Phase::Transfer);
    QCOMPARE(rig.upload.recordCounters.dataRecords, 2);
}

QTEST_GUILESS_MAIN(TstSilentDevice)
#include "tst_silentdevice.moc"
