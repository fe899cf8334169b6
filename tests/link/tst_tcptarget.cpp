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

    // The dialog takes an IPv6 address as a command line writes it, in
    // brackets; the client connects to the address without them.
    void ipv6Address_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("host");
        QTest::newRow("in brackets") << "[::1]" << "::1";
        QTest::newRow("bare") << "::1" << "::1";
        QTest::newRow("long form in brackets") << "[2001:db8:0:0:0:0:0:7]" << "2001:db8:0:0:0:0:0:7";
        QTest::newRow("brackets around no address") << "[krv]" << "[krv]";
        QTest::newRow("IPv4 in brackets") << "[10.0.0.1]" << "[10.0.0.1]";
        QTest::newRow("bracket not closed") << "[::1" << "[::1";
    }
    void ipv6Address()
    {
        QFETCH(QString, text);
        QFETCH(QString, host);
        const TcpTarget target = TcpTarget::fromText(text);
        QCOMPARE(target.address, QString());
        QCOMPARE(target.host, host);
    }
};

QTEST_MAIN(TestTcpTarget)
#include "tst_tcptarget.moc"
