// The byte channel over TCP: taking bytes, waiting for them, queued bytes.
#include "tests/link/scriptedpeer.h"

#include <QtTest>
#include <functional>

namespace {
// Runs send once, from inside a connect attempt that has not connected yet;
// sent turns true then (set it to keep send from running). Queued, it runs
// from the attempt's event loop, as a button pressed meanwhile would.
void duringConnectAttempt(Link &link, bool &sent, std::function<void()> send,
                          Qt::ConnectionType type = Qt::AutoConnection)
{
    QObject::connect(
        &link.Client, &QAbstractSocket::stateChanged, &link,
        [&link, &sent, send] {
            if (sent || link.TcpLinkState != TcpState::Connecting || link.TcpConnected)
                return;
            sent = true;
            send();
        },
        type);
}
}

class TestByteChannel : public QObject {
    Q_OBJECT

    // Connects the link by sending one byte the peer ignores.
    static void connectLink(Link &link, ScriptedPeer &peer)
    {
        link.SendByte('x');
        QVERIFY(link.TcpConnected);
        QVERIFY(pumpUntil(link, [&] { return !peer.received.isEmpty(); }, 2000));
    }

private slots:
    void splitAnswerArrivesWhole()
    {
        ScriptedPeer peer;
        TcpStation station(peer.port());
        Link &link = station.link;
        peer.script = {{0, "\x02" "B0"}, {50, "04\x03"}};
        connectLink(link, peer);
        // Both segments come in before anything is taken: none may be lost.
        link.PumpWait(200);
        quint8 byte = 0;
        QByteArray got;
        while (link.PollByte(byte))
            got.append(char(byte));
        QCOMPARE(got, QByteArray("\x02" "B004\x03"));
        QCOMPARE(link.PollByte(byte), 0);
    }

    void longStreamKeepsEveryByteInOrder()
    {
        ScriptedPeer peer;
        TcpStation station(peer.port());
        Link &link = station.link;
        QByteArray stream(30000, 0);
        for (int i = 0; i < stream.size(); ++i)
            stream[i] = char(i * 7 % 251);
        peer.script = {{0, stream}};
        connectLink(link, peer);
        link.PumpWait(200);  // let it pile up beyond the receive buffer
        QByteArray got;
        while (got.size() < stream.size()) {
            const quint8 byte = link.WaitByte(1000);
            if (link.LinkFailed)
                break;
            got.append(char(byte));
        }
        QCOMPARE(got.size(), stream.size());
        QVERIFY(got == stream);
    }

    void waitByte()
    {
        ScriptedPeer peer;
        TcpStation station(peer.port());
        Link &link = station.link;
        connectLink(link, peer);
        QElapsedTimer clock;

        // A byte arrives; LinkFailed is not cleared on entry.
        link.setFailed(true);
        peer.write("A");
        QCOMPARE(link.WaitByte(1000), quint8('A'));
        QVERIFY(link.LinkFailed);

        // A received NUL is told apart from a time-out only by LinkFailed.
        link.setFailed(false);
        peer.write(QByteArray(1, '\0'));
        QCOMPARE(link.WaitByte(1000), quint8(0));
        QVERIFY(!link.LinkFailed);

        clock.start();
        QCOMPARE(link.WaitByte(300), quint8(0));
        QVERIFY(link.LinkFailed);
        QVERIFY(clock.elapsed() >= 300);

        // A pending cancel: back at once, LinkFailed as it was.
        link.cancel();
        for (bool before : {false, true}) {
            link.setFailed(before);
            clock.restart();
            QCOMPARE(link.WaitByte(60000), quint8(0));
            QCOMPARE(link.LinkFailed, before);
            QVERIFY(clock.elapsed() < 30000);
        }

        // A cancel while waiting ends the wait.
        link.beginConversation();
        QTimer::singleShot(100, &link, [&link] { link.cancel(); });
        clock.restart();
        QCOMPARE(link.WaitByte(60000), quint8(0));
        QVERIFY(clock.elapsed() < 30000);
        QVERIFY(!link.LinkFailed);
    }

    void pumpWait()
    {
        TestStation station;
        Link &link = station.link;
        QElapsedTimer clock;
        clock.start();
        link.PumpWait(0);
        QVERIFY(clock.elapsed() < 20);

        // Timers keep running inside it and a cancel does not shorten it.
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(50);
        QTimer::singleShot(100, &link, [&link] { link.cancel(); });
        clock.restart();
        link.PumpWait(1000);
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 1000, qPrintable(QString::number(elapsed)));
        QVERIFY(link.CancelRequested);
        QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    }

    void bytesQueuedDuringConnectGoFirst()
    {
        ScriptedPeer peer;
        TcpStation station(peer.port());
        Link &link = station.link;
        // A handler that runs inside the connect attempt sends single bytes.
        bool sent = false;
        duringConnectAttempt(link, sent, [&] {
            link.SendByte('a');
            link.SendByte('b');
        });
        link.SendBytes("BLOCK");
        QVERIFY(sent);
        QVERIFY(link.TcpConnected);
        QCOMPARE(link.TcpLinkState, TcpState::Connected);
        QCOMPARE(link.TcpPending, QByteArray("ab"));  // a block does not take the queue along
        link.SendByte('c');
        QVERIFY(link.TcpPending.isEmpty());
        QVERIFY(pumpUntil(link, [&] { return peer.received.size() >= 8; }, 2000));
        QCOMPARE(peer.received, QByteArray("BLOCKabc"));
    }

    // A handler inside the attempt (a button pressed while the link comes
    // up) sends a block: it waits for that attempt and is not dropped.
    void blockSentDuringConnectWaitsForTheConnection()
    {
        ScriptedPeer peer;
        TcpStation station(peer.port());
        Link &link = station.link;
        bool sent = false;
        bool inner = false;
        duringConnectAttempt(link, sent, [&] { inner = link.SendBytes("INNER"); }, Qt::QueuedConnection);
        QVERIFY(link.SendBytes("OUTER"));
        QVERIFY(sent);
        QVERIFY(inner);
        QCOMPARE(link.TcpLinkState, TcpState::Connected);
        QVERIFY(pumpUntil(link, [&] { return peer.received.size() >= 10; }, 2000));
        QCOMPARE(peer.received, QByteArray("INNEROUTER"));
        QCOMPARE(peer.connections, 1);
    }

    void queueIsBoundedAndEmptiedByTheNextAttempt()
    {
        ScriptedPeer peer;
        TcpStation station(peer.port());
        Link &link = station.link;
        bool sent = false;
        duringConnectAttempt(link, sent, [&] {
            for (int i = 0; i < 1500; ++i)
                link.SendByte(quint8('0' + i % 10));
        });
        link.SendBytes("X");
        QVERIFY(sent);
        QCOMPARE(link.TcpPending.size(), Link::TcpPendingSize);

        // A new attempt starts with an empty queue.
        sent = true;
        link.ConnectTcp();
        QVERIFY(link.TcpConnected);
        QVERIFY(link.TcpPending.isEmpty());
        link.SendByte('z');
        QVERIFY(pumpUntil(link, [&] { return peer.received.endsWith('z'); }, 2000));
        QCOMPARE(peer.received, QByteArray("Xz"));
        QCOMPARE(peer.connections, 2);
    }
};

QTEST_GUILESS_MAIN(TestByteChannel)
#include "tst_bytechannel.moc"
