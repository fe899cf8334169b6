// The share of the programming work the device's letters give, as a
// progress display receives it.
#include "tests/upload/uploadrig.h"

class TstProgrammingShare : public QObject {
    Q_OBJECT
private slots:
    void lettersCountAgainstWhatTheImageBrings_data();
    void lettersCountAgainstWhatTheImageBrings();
    void recordsAndLettersRiseAsOneShare();
};

void TstProgrammingShare::lettersCountAgainstWhatTheImageBrings_data()
{
    // blockImage({0}): two blocks with a gap between them in one sector, so
    // "S", "E", "a" "a", "p" "p", "T", "C", "P": nine letters expected.
    QTest::addColumn<QByteArray>("letters");  // empty: what the simulated device sends for it
    QTest::addColumn<QList<int>>("done");     // of each report from the programming's start on
    QTest::newRow("the letters the image brings") << QByteArray() << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    QTest::newRow("bytes outside the table count nothing")
        << QByteArray("S?E\x01" "aapp?TCP") << QList<int>{0, 1, 1, 2, 2, 3, 4, 5, 6, 6, 7, 8, 9};
    QTest::newRow("more sectors erased than the image has: short of the end until P")
        << QByteArray("SEEEEEEEEEEEEaappTCP")
        << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 9};
    QTest::newRow("P at once ends the work") << QByteArray("P") << QList<int>{0, 9};
    QTest::newRow("P before the letters it expects") << QByteArray("SEaP") << QList<int>{0, 1, 2, 3, 9};
}

void TstProgrammingShare::lettersCountAgainstWhatTheImageBrings()
{
    QFETCH(QByteArray, letters);
    QFETCH(QList<int>, done);
    UploadRig rig;
    rig.flash().faults.letters = letters;
    rig.load(blockImage({0}));
    QList<int> seen;
    rig.upload.progress = [&](const TransferProgress &p) {
        if (!p.programming || p.finished)
            return;
        QCOMPARE(p.phaseTotal(), 9);
        seen << p.phaseDone();
    };
    rig.upload.btUpdateClick();

    QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);
    QCOMPARE(seen, done);
}

// One share over the records and the letters, for a display that shows the
// whole run in one bar: it never falls back, and it is whole at the end.
void TstProgrammingShare::recordsAndLettersRiseAsOneShare()
{
    UploadRig rig;
    rig.load(blockImage({0, 1, 2, 5, 6}));  // 6 records in 3 runs
    QList<double> shares;
    bool finished = false;
    rig.upload.progress = [&](const TransferProgress &p) {
        shares << p.share();
        finished = p.finished;
    };
    rig.upload.btUpdateClick();

    QCOMPARE(rig.upload.outcome, Upload::Outcome::Ok);
    QVERIFY(finished);
    QCOMPARE(shares.first(), 0.0);
    QCOMPARE(shares.last(), 1.0);
    for (qsizetype i = 1; i < shares.size(); ++i)
        QVERIFY2(shares[i] >= shares[i - 1], qPrintable(QStringLiteral("report %1: %2 after %3").arg(i).arg(shares[i]).arg(shares[i - 1])));
    // 6 records and 4 + 1 + 3 + 6 letters: each a step of its own.
    QCOMPARE(std::count_if(shares.begin() + 1, shares.end(), [&, prev = 0.0](double s) mutable {
                 const bool step = s > prev;
                 prev = s;
                 return step;
             }),
             6 + 14);
}

QTEST_GUILESS_MAIN(TstProgrammingShare)
#include "tst_programmingshare.moc"
