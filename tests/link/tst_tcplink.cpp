// The TCP connection's life: refused connects, the error question, reconnects.
#include "tests/link/scriptedpeer.h"
#include "tests/support/simpeer.h"

#include <QtTest>
#include <cerrno>

namespace {
// A loopback port with nothing listening on it.
quint16 deadPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

QString errorQuestion(int number)
{
    return QStringLiteral("Client-Fehler: %1\nVerbindung wird nicht aufgebaut!\n\nEthernetkabel gesteckt?\nServer aktiv?\nIP korrekt?\n\nWeiter versuchen eine Verbindung aufzubauen?")
        .arg(number);
}
}

class TestTcpLink : public QObject {
    Q_OBJECT

private slots:
    void refusedAnsweredNoGoesIdle()
    {
        const quint16 port = deadPort();
        QVERIFY(port != 0);
        TcpStation station(port);
        Link &link = station.link;
        station.ui.answers = {false};

        link.SendCommand("Q", true);  // connects first; the frame is dropped
        QCOMPARE(station.ui.questions, QStringList{errorQuestion(ECONNREFUSED)});
        QVERIFY(!link.TcpConnected);
        QCOMPARE(link.TcpLinkState, TcpState::Idle);
        QCOMPARE(link.TcpConnectCountdown, 0);

        QByteArray buffer;
        QCOMPARE(link.ReceiveFrame(buffer, true, 1500).code(), 0);  // over a tick: no new attempt
        QVERIFY(link.LinkFailed);
        QCOMPARE(station.ui.questions.size(), 1);
    }

    void refusedAnsweredYesTriesAgainAtTheNextTick()
    {
        const quint16 port = deadPort();
        TcpStation station(port);
        Link &link = station.link;
        station.ui.answers = {true, true, false};

        link.Timer3.start();  // the next tick is a full second away
        QElapsedTimer clock;
        clock.start();
        link.SendCommand("Q", true);
        QCOMPARE(station.ui.questions.size(), 1);
        QCOMPARE(link.TcpLinkState, TcpState::Reconnect);

        QVERIFY(pumpUntil(link, [&] { return station.ui.questions.size() == 2; }, 3000));
        const qint64 second = clock.elapsed();
        QVERIFY2(second >= 800 && second < 1400, qPrintable(QString::number(second)));
        QCOMPARE(link.TcpLinkState, TcpState::Reconnect);

        QVERIFY(pumpUntil(link, [&] { return station.ui.questions.size() == 3; }, 3000));
        QVERIFY2(clock.elapsed() - second >= 800, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(link.TcpLinkState, TcpState::Idle);
        link.PumpWait(1200);
        QCOMPARE(station.ui.questions.size(), 3);
        QVERIFY(station.ui.questions.last() == errorQuestion(ECONNREFUSED));
    }

    void reconnectsAfterTheDeviceHungUp()
    {
        SimPeer sim;
        TcpStation station(sim.tcp.port());
        Link &link = station.link;
        QByteArray buffer;

        link.SendCommand("Q", true);
        QCOMPARE(link.ReceiveFrame(buffer, true, 2000).code(), 3);
        QCOMPARE(link.TcpLinkState, TcpState::Connected);
        QCOMPARE(station.ui.colours, QList<LinkColour>{LinkColour::Connected});

        link.Timer3.start();
        sim.tcp.dropClient();
        QVERIFY(pumpUntil(link, [&] { return link.TcpLinkState == TcpState::Reconnect; }, 1000));
        QVERIFY(!link.TcpConnected);
        QCOMPARE(station.ui.colours.last(), LinkColour::Disconnected);
        QVERIFY(station.ui.questions.isEmpty());  // a hang-up is no error

        QVERIFY(pumpUntil(link, [&] { return link.TcpConnected; }, 2000));
        QCOMPARE(sim.tcp.connections(), 2);
        QCOMPARE(station.ui.colours.last(), LinkColour::Connected);
        QVERIFY(pumpUntil(link, [&] { return link.TcpLinkState == TcpState::Connected; }, 1000));

        link.SendCommand("B004", true);
        QCOMPARE(link.ReceiveFrame(buffer, true, 2000).code(), 21);
    }

    void switchingToSerialEndsTheAttempt()
    {
        ScriptedPeer peer;
        TcpStation station(peer.port());
        Link &link = station.link;
        QObject::connect(&link.Client, &QAbstractSocket::stateChanged, &link, [&link](QAbstractSocket::SocketState state) {
            if (state == QAbstractSocket::ConnectingState)
                link.useSerialPort();
        });
        link.SendBytes("Q");
        QVERIFY(!link.TcpConnected);
        QCOMPARE(link.TcpLinkState, TcpState::Idle);
        QCOMPARE(link.Client.state(), QAbstractSocket::UnconnectedState);
        link.PumpWait(1200);
        QCOMPARE(link.TcpLinkState, TcpState::Idle);
        QVERIFY(peer.received.isEmpty());
    }

    // A reconnect is due, the tick a second away: a send that needs the
    // link brings it back at once, and the frame reaches the device.
    void sendAfterHangUpBeforeTheTickReconnects()
    {
        SimPeer sim;
        TcpStation station(sim.tcp.port());
        Link &link = station.link;
        QByteArray buffer;
        link.SendCommand("Q", true);
        QCOMPARE(link.ReceiveFrame(buffer, true, 2000).code(), 3);

        link.Timer3.start();
        sim.tcp.dropClient();
        QVERIFY(pumpUntil(link, [&] { return link.TcpLinkState == TcpState::Reconnect; }, 500));
        link.SendCommand("B004", true);
        QVERIFY(link.TcpConnected);
        QCOMPARE(link.TcpLinkState, TcpState::Connected);
        QCOMPARE(link.ReceiveFrame(buffer, true, 2000).code(), 21);
        QCOMPARE(sim.tcp.connections(), 2);

        // The tick finds the link up and leaves it alone.
        link.PumpWait(1200);
        QCOMPARE(sim.tcp.connections(), 2);
        QVERIFY(link.TcpConnected);
    }
};

QTEST_GUILESS_MAIN(TestTcpLink)
#include "tst_tcplink.moc"
