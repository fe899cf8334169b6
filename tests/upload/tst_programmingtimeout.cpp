// The device stops reporting while it programs: the run waits out the 20 s
// for the next letter and fails in phase 5. Its own file: it takes 20 s.
#include "tests/upload/uploadrig.h"

#include <QElapsedTimer>

class TstProgrammingTimeout : public QObject {
    Q_OBJECT
private slots:
    void lettersStopWithoutP();
};

void TstProgrammingTimeout::lettersStopWithoutP()
{
    UploadRig rig;
    rig.link.limits = TimeLimits{};
    rig.flash().faults.letters = "SEE";
    rig.load(blockImage({0}));
    QElapsedTimer sinceLastLetter;
    int letters = 0;
    rig.upload.progress = [&](const TransferProgress &p) {
        if (p.letter == 0 || p.finished)
            return;
        sinceLastLetter.start();
        // Neither the cancel controls nor a close request end the programming.
        if (++letters == 1)
            rig.upload.btAbbruchClick();
    };
    rig.upload.btUpdateClick();

    QCOMPARE(letters, 3);
    QVERIFY2(sinceLastLetter.elapsed() >= 19900, qPrintable(QString::number(sinceLastLetter.elapsed())));
    QCOMPARE(rig.st.ui.messages, QStringList{QStringLiteral("Upload beendet: KRV reagiert nicht/falsch! PS: 5")});
    QCOMPARE(rig.upload.outcome, Upload::Outcome::Failed);
    QCOMPARE(rig.upload.UploadPhase, Phase::Programming);
    // The records had all gone through: block 0 and the identification block.
    QCOMPARE(rig.upload.recordCounters.dataRecords, 2);
    QCOMPARE(rig.upload.recordCounters.addressRecords, 2);
}

QTEST_GUILESS_MAIN(TstProgrammingTimeout)
#include "tst_programmingtimeout.moc"
