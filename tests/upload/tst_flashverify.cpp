// The check after the restart, against the simulated device over TCP: it
// closes the line, is silent, then reads out as whatever firmware it runs.
#include "tests/upload/uploadrig.h"
#include "upload/firmwareidentity.h"
#include "upload/flashverify.h"

#include <QElapsedTimer>
#include <QTimer>

Q_DECLARE_METATYPE(FrameResult)

namespace {
constexpr int kSilentMs = 1500;

SampleImage newerImage()
{
    SampleImage sample;
    sample.size = 0x10000;
    sample.firmwareDate = 20090301;
    sample.identification = "V3.03";
    return sample;
}
}

class TstFlashVerify : public QObject {
    Q_OBJECT
private slots:
    // The answers after the restart, as ReceiveFrame leaves them.
    void answers_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<FrameResult>("result");
        QTest::addColumn<QString>("version");  // null: not a version answer
        QTest::addColumn<int>("date");         // 0: not a build answer
        QTest::newRow("version") << QByteArray("\x02" "B004KRV470 V3.03 ab\x03") << FrameResult::frame(21) << "KRV470 V3.03 a" << 0;
        QTest::newRow("version without CRC") << QByteArray("\x02" "B004KRV470 V3.03 ab\x03") << FrameResult::missingCrc(21) << QString() << 0;
        QTest::newRow("build") << QByteArray("\x02" "B937V101032009R00001\x03") << FrameResult::frame(22) << QString() << 20090301;
        QTest::newRow("build of 31 February") << QByteArray("\x02" "B937V131022009R00001\x03") << FrameResult::frame(22) << QString() << 0;
        QTest::newRow("build of zeros") << QByteArray("\x02" "B937V100000000R00001\x03") << FrameResult::frame(22) << QString() << 0;
        QTest::newRow("unknown command") << QByteArray("\x02?\x03") << FrameResult::frame(3) << QString() << 0;
        QTest::newRow("result longer than the frame") << QByteArray("\x02" "B9") << FrameResult::frame(22) << QString() << 0;
    }
    void answers()
    {
        QFETCH(QByteArray, frame);
        QFETCH(FrameResult, result);
        QFETCH(QString, version);
        QFETCH(int, date);
        QCOMPARE(versionFromAnswer(frame, result).value_or(QString()), version);
        QCOMPARE(buildDateFromAnswer(frame, result).value_or(0), date);
    }

    void afterTheRestart_data()
    {
        QTest::addColumn<bool>("oldFirmware");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("date");
        QTest::addColumn<QStringList>("differences");
        QTest::newRow("new firmware") << false << int(FlashVerify::Status::Verified) << "V3.03" << 20090301 << QStringList{};
        QTest::newRow("old firmware")
            << true << int(FlashVerify::Status::Mismatch) << "KRV470 V3.02 a" << 20080115
            << QStringList{"Build-Datum im KRV 15.01.2008, in der Datei 01.03.2009",
                           "Version im KRV \"KRV470 V3.02 a\" enthält die Kennung der Datei \"V3.03\" nicht"};
    }
    void afterTheRestart()
    {
        QFETCH(bool, oldFirmware);
        QFETCH(int, status);
        QFETCH(QString, version);
        QFETCH(int, date);
        QFETCH(QStringList, differences);
        UploadRig rig;
        rig.flash().restart = {true, kSilentMs, oldFirmware, false};
        rig.load(newerImage());
        rig.upload.btUpdateClick();
        QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);
        const int connectionsBefore = rig.sim.tcp.connections();

        FlashVerify verify(rig.ctx);
        const FlashVerify::Result r = verify.run(identityOf(rig.st.image));

        QCOMPARE(int(r.status), status);
        QCOMPARE(r.device.version.trimmed(), version);
        QCOMPARE(r.device.date, date);
        QCOMPARE(r.differences, differences);
        // It waited out the silence, over a new connection: the device had closed the old one.
        QVERIFY2(r.elapsedMs >= kSilentMs, qPrintable(QString::number(r.elapsedMs)));
        QVERIFY(rig.sim.tcp.connections() > connectionsBefore);
        QVERIFY(r.text.startsWith(oldFirmware ? "Prüfung fehlgeschlagen: " : "Verifiziert: "));
        for (const QString &d : differences)
            QVERIFY(r.text.contains(d));
    }

    // A device that never comes back: the limit ends the wait, not sooner.
    void neverBack()
    {
        UploadRig rig;
        rig.flash().restart = {true, 0, false, true};
        rig.load(newerImage());
        rig.upload.btUpdateClick();
        QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);
        FlashVerify verify(rig.ctx);
        rig.link.limits.verifyRestartMs = 2500;
        const FlashVerify::Result r = verify.run(identityOf(rig.st.image));
        QCOMPARE(r.status, FlashVerify::Status::NoAnswer);
        QVERIFY2(r.elapsedMs >= 2500, qPrintable(QString::number(r.elapsedMs)));
        QCOMPARE(r.text, QStringLiteral("Prüfung fehlgeschlagen: Das KRV hat sich nach dem Neustart nicht innerhalb von 3 s gemeldet."));
    }

    void cancelEndsTheWait()
    {
        UploadRig rig;
        rig.flash().restart = {true, 0, false, true};
        rig.load(newerImage());
        rig.upload.btUpdateClick();
        FlashVerify verify(rig.ctx);
        rig.link.limits.verifyRestartMs = 60000;  // only the cancel ends the wait
        QTimer::singleShot(300, [&] { rig.link.cancel(); });
        const FlashVerify::Result r = verify.run(identityOf(rig.st.image));
        QCOMPARE(r.status, FlashVerify::Status::Cancelled);
        QVERIFY2(r.elapsedMs < 30000, qPrintable(QString::number(r.elapsedMs)));
    }

    // A device with a read password wants it again after the restart.
    void passwordAfterTheRestart()
    {
        DeviceProfile profile = DeviceProfile::fromJson({});
        profile.password = "4711";
        UploadRig rig(profile);
        rig.link.ReadPassword = "4711";
        rig.flash().restart = {true, 200, false, false};
        rig.load(newerImage());
        rig.upload.btUpdateClick();
        QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);
        rig.st.ui.passwordActions = {{FakeFrontend::PasswordAction::Confirm, "4711"}};
        FlashVerify verify(rig.ctx);
        QCOMPARE(verify.run(identityOf(rig.st.image)).status, FlashVerify::Status::Verified);

        // Refused: no point in waiting out the limit.
        rig.link.limits.verifyRestartMs = 60000;
        rig.flash().restart = {true, 200, false, false};
        rig.load(newerImage());
        rig.upload.btUpdateClick();
        rig.st.ui.passwordActions = {{FakeFrontend::PasswordAction::GiveUp, {}}};
        const FlashVerify::Result r = verify.run(identityOf(rig.st.image));
        QCOMPARE(r.status, FlashVerify::Status::NoAnswer);
        QVERIFY(r.text.contains("Lese-Passwort"));
        QVERIFY2(r.elapsedMs < 30000, qPrintable(QString::number(r.elapsedMs)));
    }
};

QTEST_MAIN(TstFlashVerify)
#include "tst_flashverify.moc"
