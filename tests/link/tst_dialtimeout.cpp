// A dial the modem never answers ends after the real 60 s. Its own file, so
// it waits beside the other modem tests, not after them.
#include "tests/link/modemrig.h"

#include <QElapsedTimer>
#include <QTest>

class TestDialTimeout : public QObject {
    Q_OBJECT
private slots:
    void silentModemEndsTheDialAtItsLimit()
    {
        ModemRig rig;
        rig.link.limits = TimeLimits{};
        rig.hayes.answer = HayesModem::Answer::Silent;
        rig.modem.edRufChange(QStringLiteral("0815"));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(rig.modem.DialDevice(), 0);
        QVERIFY2(clock.elapsed() >= 60000 - 50, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(rig.meld(), QString());
        QVERIFY(!rig.link.ModemConnected);
        QVERIFY(!rig.modem.Dialling);
    }
};

QTEST_GUILESS_MAIN(TestDialTimeout)
#include "tst_dialtimeout.moc"
