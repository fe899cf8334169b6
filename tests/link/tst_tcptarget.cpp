#include "link/tcptarget.h"

#include <QTest>

class TestTcpTarget : public QObject {
    Q_OBJECT
private slots:
    void numericOrHostName_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("four groups") << "192.168.10.1" << true;
        QTest::newRow("one-digit groups") << "1.2.3.4" << true;
        QTest::newRow("fifteen characters") << "127.000.000.001" << true;
        QTest::newRow("text behind the address") << "10.0.0.1:80" << true;
        QTest::newRow("letter before the third dot") << "10.0.a.1" << false;
        QTest::newRow("two dots") << "10.0.1" << false;
        QTest::newRow("four-digit group") << "1000.0.0.1" << false;
        QTest::newRow("empty group") << "10..0.1" << false;
        QTest::newRow("host name") << "krv.example.net" << false;
        QTest::newRow("empty") << "" << false;
    }
    void numericOrHostName()
    {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        const TcpTarget target = TcpTarget::fromText(text);
        // The whole text is handed over either way.
        QCOMPARE(target.address, numeric ? text : QString());
        QCOMPARE(target.host, numeric ? QString() : text);
        QCOMPARE(target.connectTo(), text);
    }
};

QTEST_MAIN(TestTcpTarget)
#include "tst_tcptarget.moc"
