// The upload end to end over a pseudo-terminal: the program's own serial
// port on one end, the simulated device with its model of the line on the other.
#include "tests/upload/uploadrig.h"

#include <QElapsedTimer>
#include <QSet>

namespace {
const QString kSuccess = QStringLiteral("Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)");
const QString kUnplugged = QStringLiteral("Programm muß beendet werden!! Fehler von Linux: Ein-/Ausgabefehler");
// The line runs this much faster than 19200 bit/s would, so a 512 KiB image
// takes seconds, not minutes; one test below keeps the real line time.
constexpr int kCompression = 16;
}

class TstSerialUpload : public QObject {
    Q_OBJECT
private slots:
    void fullImagesArriveByteIdentical_data();
    void fullImagesArriveByteIdentical();
    void realLineTimeBothWays();
    void failuresRestoreTheSavedRate_data();
    void failuresRestoreTheSavedRate();
    void unplugEndsTheRunThroughThePortError_data();
    void unplugEndsTheRunThroughThePortError();
    void unplugAfterTheLastLetter();
};

void TstSerialUpload::fullImagesArriveByteIdentical_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("256 KiB") << 0x40000;
    QTest::newRow("512 KiB") << 0x80000;
}

void TstSerialUpload::fullImagesArriveByteIdentical()
{
    QFETCH(int, size);
    SerialUploadRig rig;
    rig.sim.pty.setTimeCompression(kCompression);
    SampleImage sample;
    sample.size = size;
    rig.load(sample);
    rig.st.options.setFabNr(QStringLiteral("4711"));
    rig.st.options.setBaujahr(QStringLiteral("2009"));
    QCOMPARE(rig.sim.portSpeed(), 9600);
    QSet<int> speeds;
    rig.upload.progress = [&](const TransferProgress &) { speeds.insert(rig.sim.portSpeed()); };

    rig.upload.btUpdateClick();

    QCOMPARE(rig.st.ui.messages, QStringList{kSuccess});
    QVERIFY2(rig.flash().protocolErrors.isEmpty(), qPrintable(rig.flash().protocolErrors.join('\n')));
    QCOMPARE(rig.image().mid(size - 32, 18), QByteArray("4711        \0" "2009\0", 18));
    QCOMPARE(rig.flash().flash.left(size), rig.image());
    QCOMPARE(rig.flash().flash.mid(size), QByteArray(FlashSide::FlashSize - size, char(0xFF)));
    // The flash went at 19200 bit/s; afterwards the line is back at the saved rate.
    QCOMPARE(speeds, QSet<int>{19200});
    QCOMPARE(rig.sim.portSpeed(), 9600);
    QCOMPARE(rig.sim.port().BaudRate(), br9600);
    QTRY_COMPARE(rig.sim.pty.lineSpeed(), 9600);  // the device too, once it has sent its last letter
}

void TstSerialUpload::realLineTimeBothWays()
{
    SerialUploadRig rig;
    rig.sim.pty.setSlowLine(true);
    rig.load(blockImage({0, 1, 2, 9}));
    QByteArray wire;
    rig.link.trace = [&](bool, const QByteArray &bytes) { wire += bytes; };
    QElapsedTimer clock;
    clock.start();

    rig.upload.btUpdateClick();

    const qint64 elapsed = clock.elapsed();
    QCOMPARE(rig.st.ui.messages, QStringList{kSuccess});
    QCOMPARE(rig.flash().flash.left(0x10000), rig.image());
    // Every byte took its character time, most of them at 19200 bit/s: the run
    // cannot be shorter than that, and the waits add little to it.
    const qint64 lineMs = wire.size() * PtyTransport::BitsPerCharacter * 1000 / 19200;
    QVERIFY2(elapsed >= lineMs, qPrintable(QStringLiteral("%1 ms for %2 ms of line time").arg(elapsed).arg(lineMs)));
    // Generous on top: the suite runs tests side by side on small machines.
    QVERIFY2(elapsed < lineMs + 3000, qPrintable(QStringLiteral("%1 ms for %2 ms of line time").arg(elapsed).arg(lineMs)));
}

void TstSerialUpload::failuresRestoreTheSavedRate_data()
{
    QTest::addColumn<int>("garbageAt");
    QTest::addColumn<bool>("endAck");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("message");
    const QString phase4 = QStringLiteral("Upload beendet: KRV reagiert nicht/falsch! PS: 4");
    QTest::newRow("garbage reply") << 3 << false << false << phase4;
    QTest::newRow("end record answered with ACK") << 0 << true << false << phase4;
    QTest::newRow("cancel") << 0 << false << true << QStringLiteral("Abbruch durch den kundigen Benutzer!  ;-)");
}

void TstSerialUpload::failuresRestoreTheSavedRate()
{
    QFETCH(int, garbageAt);
    QFETCH(bool, endAck);
    QFETCH(bool, cancel);
    QFETCH(QString, message);
    SerialUploadRig rig;
    rig.sim.pty.setTimeCompression(kCompression);
    rig.flash().faults.garbageAtRecord = garbageAt;
    rig.flash().faults.endAnsweredWithAck = endAck;
    rig.load(blockImage({0, 1, 2, 9}));
    QSet<int> speeds;
    rig.upload.progress = [&](const TransferProgress &p) {
        speeds.insert(rig.sim.portSpeed());
        if (cancel && p.blocksSent == 2)
            rig.upload.btAbbruchClick();
    };

    rig.upload.btUpdateClick();

    QCOMPARE(rig.st.ui.messages, QStringList{message});
    QCOMPARE(rig.upload.UploadPhase, Phase::Transfer);
    QCOMPARE(speeds, QSet<int>{19200});
    QCOMPARE(rig.sim.portSpeed(), 9600);
    QCOMPARE(rig.sim.port().BaudRate(), br9600);
}

void TstSerialUpload::unplugEndsTheRunThroughThePortError_data()
{
    QTest::addColumn<bool>("whileProgramming");
    QTest::newRow("records going out") << false;
    QTest::newRow("device programming") << true;
}

void TstSerialUpload::unplugEndsTheRunThroughThePortError()
{
    QFETCH(bool, whileProgramming);
    SerialUploadRig rig;
    rig.sim.pty.setTimeCompression(kCompression);
    rig.load(blockImage({0, 1, 2, 3, 4, 5, 9}));
    if (whileProgramming) {
        rig.flash().letterIntervalMs = 100;
        rig.upload.progress = [&](const TransferProgress &p) {
            if (p.letter != 0)
                QTimer::singleShot(0, &rig.sim.pty, &PtyTransport::hangUp);
        };
    } else {
        rig.flash().faults.dropLinkAtRecord = 4;
    }
    rig.link.limits.recordReplyTimeoutMs = 60000;  // the port error, not a limit, ends the run
    QElapsedTimer clock;
    clock.start();

    rig.upload.btUpdateClick();

    QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
    // One message, the port's; the run is over and the window usable again.
    QCOMPARE(rig.st.ui.messages, QStringList{kUnplugged});
    QCOMPARE(rig.upload.outcome, Upload::Outcome::Failed);
    // The line went with the third data record, or after all eight.
    QCOMPARE(rig.upload.recordCounters.dataRecords, whileProgramming ? 8 : 3);
    QVERIFY(!rig.upload.running());
    QCOMPARE(rig.st.ui.activity(), Activity::Idle);
    QVERIFY(!rig.sim.port().Active());
    QCOMPARE(rig.sim.port().BaudRate(), br9600);
}

void TstSerialUpload::unplugAfterTheLastLetter()
{
    // The flash is burnt; the port fails only when the run puts the line back.
    SerialUploadRig rig;
    rig.sim.pty.setTimeCompression(kCompression);
    rig.load(blockImage({0, 9}));
    rig.upload.progress = [&](const TransferProgress &p) {
        if (p.letter == 'P')
            rig.sim.pty.hangUp();
    };

    rig.upload.btUpdateClick();

    QCOMPARE(rig.st.ui.messages, (QStringList{kSuccess, kUnplugged}));
    QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);
    QVERIFY(!rig.upload.running());
    QCOMPARE(rig.st.ui.activity(), Activity::Idle);
    QVERIFY(!rig.sim.port().Active());
    QCOMPARE(rig.sim.port().BaudRate(), br9600);  // for the next open
}

QTEST_GUILESS_MAIN(TstSerialUpload)
#include "tst_serialupload.moc"
