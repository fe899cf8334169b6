// The serial port against real pseudo-terminals. A pty keeps the speed but
// drops parity and character size and has no modem lines, so those are
// checked on the termios values the port computes.
#include "comport/comport.h"
#include "comport/eabort.h"
#include "tests/comport/ptypair.h"
#include "tests/support/withoutaccessoverride.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <asm/termbits.h>
#include <grp.h>
#include <sys/stat.h>
#include <optional>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <thread>

namespace {
termios2 lineOf(const TCustomComPort &port)
{
    termios2 tio{};
    ::ioctl(int(port.Handle()), TCGETS2, &tio);
    return tio;
}

// The program's own line: 9600 8E1, RTS on, no XON/XOFF.
void configure(TCustomComPort &port, const QString &device)
{
    port.SetDeviceName(device);
    port.SetBaudRate(br9600);
    port.SetDataBits(db8);
    port.SetParity(paEven);
    port.SetStopBits(sb1);
    port.FlowControl().SetRTS(rcEnable);
    port.FlowControl().SetXOnXOff(xcDisable);
}

// A line whose driver holds written bytes, as RTS/CTS flow control with CTS
// low does; a pseudo-terminal never holds any.
class HeldLinePort : public TComPort {
public:
    bool held = false;

protected:
    int queuedOutput() override { return held ? 5 : TComPort::queuedOutput(); }
};

template <typename Call>
QString comErrorOf(Call call, int *code = nullptr)
{
    try {
        call();
    } catch (const EComError &e) {
        if (code)
            *code = e.ErrorCode;
        return e.message();
    }
    return QString();
}
} // namespace

class TestComPort : public QObject {
    Q_OBJECT
private slots:
    void settingsReachTheLineAtOnce();
    void termiosComputedFromSettings();
    void impossibleSettingsAreRefused();
    void deviceNames();
    void dataBothWaysAndPurge();
    void nonWaitingWritesKeepTheirBytesAndOrder();
    void typedTransfersAreLittleEndian();
    void rxCharOnTheUiThread();
    void dispatchOrderWithinOneEvent();
    void closeFromTheEventThread();
    void nonexistentDevice();
    void onErrorAbortMakesErrorsSilent();
    void refusalsOnOpenAndClosedPort();
    void secondOpenerIsRefused();
    void peerHangUpWhileWriting();
    void peerHangUpSeenByEventThread();
    void destroyingAnOpenPortClosesIt();
    void waitingWriteEndsAtItsDeadline_data();
    void waitingWriteEndsAtItsDeadline();
    void nonWaitingReadCompletesByItself();
    void readIntervalMinusOneFinishesAtOnce();
    void permissionErrorKeepsTheSystemText();
    void failuresNameTheFailingCall_data();
    void failuresNameTheFailingCall();
};

void TestComPort::settingsReachTheLineAtOnce()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    TComPort port;
    configure(port, pty.slavePath);
    port.Open();
    QVERIFY(port.Active());

    termios2 tio = lineOf(port);
    QCOMPARE(tio.c_cflag & CBAUD, tcflag_t(B9600));
    QCOMPARE(tio.c_ospeed, speed_t(9600));
    QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
    QVERIFY(!(tio.c_lflag & (ICANON | ECHO)));

    port.SetBaudRate(br19200);  // as the upload switches the line
    tio = lineOf(port);
    QCOMPARE(tio.c_cflag & CBAUD, tcflag_t(B19200));
    QCOMPARE(tio.c_ospeed, speed_t(19200));
    QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));

    port.SetCustomBaudRate(31250);
    QCOMPARE(port.BaudRate(), brCustom);
    tio = lineOf(port);
    QCOMPARE(tio.c_cflag & CBAUD, tcflag_t(BOTHER));
    QCOMPARE(tio.c_ospeed, speed_t(31250));

    port.SetBaudRate(br9600);
    QCOMPARE(port.CustomBaudRate(), 9600);
    port.SetBaudRate(brDefault);
    QCOMPARE(port.CustomBaudRate(), 0);
    QCOMPARE(lineOf(port).c_ospeed, speed_t(9600));  // default: the line keeps its speed
}

void TestComPort::termiosComputedFromSettings()
{
    TComPort port;
    const auto computed = [&port](tcflag_t cflag = 0, tcflag_t iflag = 0) {
        termios2 tio{};
        tio.c_cflag = cflag;
        tio.c_iflag = iflag;
        port.CopyDCB(tio, true);
        return tio;
    };

    // A port never configured keeps the line's settings but always writes the characters.
    termios2 tio = computed(B4800 | CS7 | PARENB | CSTOPB, IXON);
    QCOMPARE(tio.c_cflag & (CBAUD | CSIZE | PARENB | CSTOPB), tcflag_t(B4800 | CS7 | PARENB | CSTOPB));
    QVERIFY(tio.c_iflag & IXON);
    QCOMPARE(tio.c_cc[VSTART], cc_t(17));
    QCOMPARE(tio.c_cc[VSTOP], cc_t(19));
    port.Characters().SetXOn('A');
    port.Characters().SetXOff('B');
    QCOMPARE(computed().c_cc[VSTART], cc_t('A'));
    QCOMPARE(computed().c_cc[VSTOP], cc_t('B'));
    port.Characters().SetXOn(17);
    port.Characters().SetXOff(19);

    port.SetParity(paEven);
    QCOMPARE(computed(PARODD | CMSPAR).c_cflag & (PARENB | PARODD | CMSPAR), tcflag_t(PARENB));
    port.SetParity(paOdd);
    QCOMPARE(computed().c_cflag & (PARENB | PARODD | CMSPAR), tcflag_t(PARENB | PARODD));
    port.SetParity(paMark);
    QCOMPARE(computed().c_cflag & (PARENB | PARODD | CMSPAR), tcflag_t(PARENB | PARODD | CMSPAR));
    port.SetParity(paSpace);
    QCOMPARE(computed().c_cflag & (PARENB | PARODD | CMSPAR), tcflag_t(PARENB | CMSPAR));
    port.SetParity(paNone);
    QCOMPARE(computed(PARENB | PARODD).c_cflag & (PARENB | PARODD | CMSPAR), tcflag_t(0));

    port.SetStopBits(sb2);
    QVERIFY(computed().c_cflag & CSTOPB);
    port.SetStopBits(sb1);
    QVERIFY(!(computed(CSTOPB).c_cflag & CSTOPB));

    port.FlowControl().SetRTS(rcHandshake);
    QVERIFY(computed().c_cflag & CRTSCTS);
    port.FlowControl().SetRTS(rcEnable);
    QVERIFY(!(computed(CRTSCTS).c_cflag & CRTSCTS));
    // The dial adds CTS output flow to the stored set; the next DCB update applies it.
    port.StoredOptions().include(opOutputCTSFlow);
    QVERIFY(computed().c_cflag & CRTSCTS);
    port.StoredOptions() = {};

    port.FlowControl().SetXOnXOff(xcInputOutput);
    QCOMPARE(computed().c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));
    port.FlowControl().SetXOnXOff(xcInput);
    QCOMPARE(computed(0, IXON).c_iflag & (IXON | IXOFF), tcflag_t(IXOFF));
    port.FlowControl().SetXOnXOff(xcDisable);
    QCOMPARE(computed(0, IXON | IXOFF).c_iflag & (IXON | IXOFF), tcflag_t(0));

    port.SetOptions({opCheckParity});
    QVERIFY(computed().c_iflag & INPCK);
    port.SetOptions({});
    QVERIFY(!(computed(0, INPCK).c_iflag & INPCK));

    port.SetDataBits(db5);
    port.SetStopBits(sb1_5);
    tio = computed(CS8);
    QCOMPARE(tio.c_cflag & (CSIZE | CSTOPB), tcflag_t(CS5 | CSTOPB));

    // Back from a line record into the settings.
    tio = termios2{};
    tio.c_cflag = BOTHER | CS7 | PARENB | PARODD | CRTSCTS;
    tio.c_ospeed = 250000;
    tio.c_iflag = IXOFF;
    port.CopyDCB(tio, false);
    QCOMPARE(port.BaudRate(), brCustom);
    QCOMPARE(port.CustomBaudRate(), 250000);
    QCOMPARE(port.DataBits(), db7);
    QCOMPARE(port.Parity(), paOdd);
    QCOMPARE(port.StopBits(), sb1);
    QCOMPARE(port.FlowControl().RTS(), rcHandshake);
    QCOMPARE(port.FlowControl().XOnXOff(), xcInput);
    QVERIFY(port.Options().contains(opOutputCTSFlow));
}

void TestComPort::impossibleSettingsAreRefused()
{
    PtyPair pty;
    TComPort port;
    configure(port, pty.slavePath);
    port.Open();
    const termios2 before = lineOf(port);

    QVERIFY(comErrorOf([&] { port.SetDataBits(db4); }).contains(QLatin1String("4 data bits")));
    QCOMPARE(port.DataBits(), db8);  // not kept
    QVERIFY(comErrorOf([&] { port.SetStopBits(sb1_5); }).contains(QLatin1String("1.5 stop bits")));
    QCOMPARE(port.StopBits(), sb1);
    QVERIFY(comErrorOf([&] { port.FlowControl().SetDTR(dcHandshake); }).contains(QLatin1String("DTR handshake")));
    QCOMPARE(port.FlowControl().DTR(), dcDefault);
    QVERIFY(comErrorOf([&] { port.SetOptions({opOutputDSRFlow}); }).contains(QLatin1String("opOutputDSRFlow")));
    QVERIFY(port.Options().isEmpty());
    QVERIFY(comErrorOf([&] { port.SetCustomBaudRate(-5); }).contains(QLatin1String("-5")));
    QCOMPARE(port.BaudRate(), br9600);

    const termios2 after = lineOf(port);
    QCOMPARE(after.c_cflag, before.c_cflag);
    QCOMPARE(after.c_ospeed, before.c_ospeed);

    // The line still takes a good setting, and nothing fails over missing modem lines.
    port.SetBaudRate(br19200);
    QCOMPARE(lineOf(port).c_ospeed, speed_t(19200));
    port.SetDTR();
    port.ClearRTS();
    QVERIFY(port.ModemStatus().isEmpty());
}

void TestComPort::deviceNames()
{
    TComPort port;
    QCOMPARE(port.DeviceName(), QStringLiteral("COM1"));
    QCOMPARE(port.DevicePath(), QStringLiteral("/dev/ttyS0"));
    port.SetDeviceName(QStringLiteral("COM12"));
    QCOMPARE(port.DeviceName(), QStringLiteral("COM12"));
    QCOMPARE(port.DevicePath(), QStringLiteral("/dev/ttyS11"));
    port.SetDeviceName(QStringLiteral("ttyUSB0"));
    QCOMPARE(port.DevicePath(), QStringLiteral("/dev/ttyUSB0"));
    port.SetDeviceName(QStringLiteral("/dev/pts/5"));
    QCOMPARE(port.DevicePath(), QStringLiteral("/dev/pts/5"));
    QCOMPARE(port.ShortDeviceName(), QStringLiteral("pts/5"));
}

void TestComPort::dataBothWaysAndPurge()
{
    PtyPair pty;
    TComPort port;
    configure(port, pty.slavePath);
    port.Open();

    QVERIFY(pty.send("hello"));
    QTRY_COMPARE(port.InputCount(), 5);
    char buffer[5];
    port.Read(buffer, 5, true);
    QCOMPARE(QByteArray(buffer, 5), QByteArray("hello"));
    QCOMPARE(port.InputCount(), 0);

    port.Write("abc\r\n", 5, true);
    QCOMPARE(port.OutputCount(), 0);
    QCOMPARE(pty.receive(5), QByteArray("abc\r\n"));  // raw: no CR/LF translation

    QVERIFY(pty.send("line\rrest"));
    QCOMPARE(port.ReadLine(), QByteArray("line\r"));
    QTRY_COMPARE(port.InputCount(), 4);
    QCOMPARE(port.ReadString(), QByteArray("rest"));

    QVERIFY(pty.send("stale"));
    QTRY_COMPARE(port.InputCount(), 5);
    port.PurgeInput();
    QCOMPARE(port.InputCount(), 0);
    QVERIFY(pty.send("X"));
    QCOMPARE(port.ReadByte(), quint8('X'));

    // A read with a total time-out ends with "Timeout" when the bytes don't come.
    port.Timeouts().SetReadConstant(50);
    int code = -1;
    QCOMPARE(comErrorOf([&] { port.ReadByte(); }, &code), QStringLiteral("Timeout"));
    QCOMPARE(code, 0);
}

void TestComPort::nonWaitingWritesKeepTheirBytesAndOrder()
{
    PtyPair pty;
    TComPort port;
    configure(port, pty.slavePath);
    port.Open();

    // More than the pty takes at once: the rest stays in the port's buffer.
    QByteArray bulk(300000, 'x');
    for (int i = 0; i < bulk.size(); ++i)
        bulk[i] = char('a' + i % 26);
    {
        QByteArray temporary = bulk;
        port.WriteString(temporary);
    }  // the caller's copy is gone before the bytes have left
    QVERIFY(port.WritePending());
    QVERIFY(port.OutputCount() > 0);

    QByteArray received;
    std::thread reader([&] { received = pty.receive(int(bulk.size()) + 3, 10000); });
    port.WriteByte('!');
    port.Write("#$", 2, true);  // waits for everything before it
    reader.join();
    QCOMPARE(received.size(), bulk.size() + 3);
    QVERIFY(received == bulk + "!#$");
    QVERIFY(!port.WritePending());
}

// Words go out and come in low byte first, as the device's word fields are.
void TestComPort::typedTransfersAreLittleEndian()
{
    PtyPair pty;
    TComPort port;
    configure(port, pty.slavePath);
    port.Open();

    port.WriteChar('c');
    port.WriteWord(0x1234);
    port.WriteDWord(0x89ABCDEF);
    port.Flush();
    QCOMPARE(pty.receive(7), QByteArray("c\x34\x12\xEF\xCD\xAB\x89", 7));

    QVERIFY(pty.send(QByteArray("z\x34\x12\xEF\xCD\xAB\x89head;tail", 16)));
    QCOMPARE(port.ReadChar(), 'z');
    QCOMPARE(port.ReadWord(), quint16(0x1234));
    QCOMPARE(port.ReadDWord(), quint32(0x89ABCDEF));
    QCOMPARE(port.ReadUntil(';'), QByteArray("head;"));
    QTRY_COMPARE(port.InputCount(), 4);
}

void TestComPort::rxCharOnTheUiThread()
{
    PtyPair pty;
    TComPort port;
    configure(port, pty.slavePath);
    QList<QThread *> threads;
    port.OnRxChar = [&](QObject *sender) {
        QCOMPARE(sender, &port);
        threads.append(QThread::currentThread());
        port.ReadString();  // handlers may use the port
    };
    port.Open();
    QCOMPARE(port.EventMask(), quint32(evRxChar));

    QVERIFY(pty.send("1"));
    QTRY_COMPARE(threads.size(), 1);
    QVERIFY(pty.send("2"));
    QTRY_COMPARE(threads.size(), 2);
    QCOMPARE(threads[0], QThread::currentThread());
    QCOMPARE(threads[1], QThread::currentThread());

    // Removing the last line-event handler stops the event thread.
    port.OnRxChar = nullptr;
    QCOMPARE(port.EventMask(), quint32(0));
    QVERIFY(pty.send("3"));
    QTest::qWait(50);
    QCOMPARE(threads.size(), 2);
}

// Without synchronised events the handlers run on the event thread; a Close
// there runs on the UI thread, and what it raises comes back to the handler.
void TestComPort::closeFromTheEventThread()
{
    PtyPair pty;
    TComPort port;
    configure(port, pty.slavePath);
    port.SetSynchronizeEvents(false);
    std::atomic<int> shown{0};  // shown on the event thread
    TCustomComPort::HandleException = [&](const QString &message) { shown += message == QLatin1String("not now"); };
    const auto restore = qScopeGuard([] { TCustomComPort::HandleException = nullptr; });
    QList<QThread *> closeThreads;
    port.BeforeClose = [&](TCustomComPort *) {
        closeThreads << QThread::currentThread();
        if (closeThreads.size() == 1)
            throw std::runtime_error("not now");
    };
    port.OnRxChar = [&](QObject *) { port.Close(); };
    port.Open();

    QVERIFY(pty.send("1"));
    QTRY_COMPARE(shown.load(), 1);
    QVERIFY(port.Active());
    QVERIFY(pty.send("2"));
    QTRY_VERIFY(!port.Active());
    QCOMPARE(closeThreads, QList<QThread *>({QThread::currentThread(), QThread::currentThread()}));
}

void TestComPort::dispatchOrderWithinOneEvent()
{
    PtyPair pty;
    TComPort port;
    configure(port, pty.slavePath);
    QStringList calls;
    port.OnRxChar = [&](QObject *) {
        calls << QStringLiteral("RxChar");
        port.ReadByte();
    };
    port.OnTxEmpty = [&](QObject *) { calls << QStringLiteral("TxEmpty"); };
    port.Open();

    // While this thread does not serve events, the transmit queue runs empty
    // first and a character arrives after it; both reach one dispatch, which
    // calls RxChar before TxEmpty. A first character keeps the event thread
    // waiting for us meanwhile.
    QVERIFY(pty.send("a"));
    QThread::msleep(50);
    port.Write("b", 1, true);
    QThread::msleep(50);
    QVERIFY(pty.send("c"));
    QThread::msleep(50);
    QTRY_COMPARE(calls.size(), 3);
    QCOMPARE(calls, QStringList({"RxChar", "RxChar", "TxEmpty"}));
    QCOMPARE(pty.receive(1), QByteArray("b"));
}

void TestComPort::nonexistentDevice()
{
    TComPort port;
    port.SetDeviceName(QStringLiteral("/dev/ttyQuillonMissing0"));
    port.SetPriorityClass(pcIdle);
    bool beforeOpen = false, afterOpen = false;
    port.BeforeOpen = [&](TCustomComPort *) { beforeOpen = true; };
    port.AfterOpen = [&](TCustomComPort *) { afterOpen = true; };
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, 0);

    int code = 0;
    QCOMPARE(comErrorOf([&] { port.Open(); }, &code), QStringLiteral("/dev/ttyQuillonMissing0: nicht vorhanden"));
    QCOMPARE(code, ENOENT);
    QVERIFY(beforeOpen);
    QVERIFY(!afterOpen);
    QVERIFY(!port.Active());
    QCOMPARE(::getpriority(PRIO_PROCESS, 0), nice);
}

void TestComPort::onErrorAbortMakesErrorsSilent()
{
    TComPort port;
    port.SetDeviceName(QStringLiteral("/dev/ttyQuillonMissing0"));
    QStringList seen;
    port.OnError = [&](TCustomComPort *sender, EComError &error, TComAction &action) {
        QCOMPARE(sender, &port);
        QCOMPARE(action, caFail);
        seen << error.message();
        action = caAbort;
    };
    QVERIFY_THROWS_EXCEPTION(EAbort, port.Open());
    QVERIFY_THROWS_EXCEPTION(EAbort, port.WriteByte(1));
    QCOMPARE(seen, QStringList({QStringLiteral("/dev/ttyQuillonMissing0: nicht vorhanden"),
                                QStringLiteral("Can't perform this operation on a closed port")}));

    // A handler that leaves caFail lets the error through unchanged.
    port.OnError = [&](TCustomComPort *, EComError &, TComAction &) {};
    QVERIFY_THROWS_EXCEPTION(EComError, port.ReadByte());
}

void TestComPort::refusalsOnOpenAndClosedPort()
{
    PtyPair pty;
    TComPort port;
    configure(port, pty.slavePath);
    int handlerCalls = 0;
    const auto count = [&](TCustomComPort *) { ++handlerCalls; };
    port.BeforeOpen = count;
    port.AfterOpen = count;
    port.BeforeClose = count;
    port.AfterClose = count;
    port.Close();  // closed already: nothing
    QCOMPARE(handlerCalls, 0);
    port.Open();
    QCOMPARE(handlerCalls, 2);
    port.Open();  // open already: nothing
    QCOMPARE(handlerCalls, 2);

    const QString refusal = QStringLiteral("Can't perform this operation on an open port");
    QCOMPARE(comErrorOf([&] { port.SetDeviceName(QStringLiteral("COM3")); }), refusal);
    QCOMPARE(port.DeviceName(), pty.slavePath);
    QCOMPARE(comErrorOf([&] { port.SetPriorityClass(pcHigh); }), refusal);
    QCOMPARE(port.PriorityClass(), pcDefault);
    QCOMPARE(comErrorOf([&] { port.SetSynchronizeEvents(false); }), refusal);
    QVERIFY(port.SynchronizeEvents());
    // The same value again is no change.
    QCOMPARE(comErrorOf([&] { port.SetDeviceName(pty.slavePath); }), QString());
    QCOMPARE(comErrorOf([&] { port.SetPriorityClass(pcDefault); }), QString());

    port.SetActive(false);
    QCOMPARE(handlerCalls, 4);
    const QString closed = QStringLiteral("Can't perform this operation on a closed port");
    QCOMPARE(comErrorOf([&] { port.Write("x", 1, true); }), closed);
    QCOMPARE(comErrorOf([&] { port.SetRTS(); }), closed);
    QCOMPARE(comErrorOf([&] { port.GetModemStatus(); }), closed);
    QCOMPARE(comErrorOf([&] { port.CheckLineErrors(); }), closed);
    int code = 0;
    QVERIFY(!comErrorOf([&] { port.InputCount(); }, &code).isEmpty());
    QCOMPARE(code, EBADF);
    port.PurgeInput();  // purges and Flush do nothing while closed
    port.Flush();
}

void TestComPort::secondOpenerIsRefused()
{
    PtyPair pty;
    TComPort first, second;
    configure(first, pty.slavePath);
    configure(second, pty.slavePath);
    first.Open();
    int code = 0;
    QCOMPARE(comErrorOf([&] { second.Open(); }, &code), pty.slavePath + QStringLiteral(": von einem anderen Programm belegt"));
    QCOMPARE(code, EBUSY);
    QVERIFY(!second.Active());
    // The refused opener leaves the holder's exclusive flag alone.
    int exclusive = 0;
    QCOMPARE(::ioctl(int(first.Handle()), TIOCGEXCL, &exclusive), 0);
    QCOMPARE(exclusive, 1);
    first.Close();
    second.Open();  // free again once the first has closed
    QVERIFY(second.Active());
}

void TestComPort::peerHangUpWhileWriting()
{
    PtyPair pty;
    TComPort port;
    configure(port, pty.slavePath);
    port.Open();
    // The device stops reading, then goes away in the middle of a long write.
    std::thread unplug([&] {
        QThread::msleep(200);
        pty.closeMaster();
    });
    int code = 0;
    const QString message = comErrorOf([&] { port.Write(QByteArray(1 << 20, 'x').constData(), 1 << 20, true); }, &code);
    unplug.join();
    QCOMPARE(code, EIO);
    QCOMPARE(message, QStringLiteral("Ein-/Ausgabefehler"));
    // Polling for an answer afterwards reports the same, instead of waiting forever.
    QVERIFY_THROWS_EXCEPTION(EComError, port.InputCount());
}

void TestComPort::peerHangUpSeenByEventThread()
{
    PtyPair pty;
    TComPort port;
    configure(port, pty.slavePath);
    QList<int> codes;
    QStringList calls;
    QThread *errorThread = nullptr;
    port.OnError = [&](TCustomComPort *, EComError &error, TComAction &action) {
        codes << error.ErrorCode;
        calls << error.Call;
        errorThread = QThread::currentThread();
        action = caAbort;
    };
    port.OnRLSDChange = [](QObject *) {};  // the program's port: carrier changes only
    port.Open();
    QCOMPARE(port.EventMask(), quint32(evRLSD));
    pty.closeMaster();
    QTRY_VERIFY(!port.Active());  // a vanished device closes the port
    QCOMPARE(codes, QList<int>({EIO}));
    QCOMPARE(calls.size(), 1);
    QVERIFY(!calls[0].isEmpty());  // poll or ioctl: whichever met the hang-up first
    QCOMPARE(errorThread, QThread::currentThread());
}

void TestComPort::destroyingAnOpenPortClosesIt()
{
    PtyPair pty;
    QStringList calls;
    {
        TComPort port;
        configure(port, pty.slavePath);
        port.Open();
        const auto record = [&](const char *hook) {
            return [&calls, hook](TCustomComPort *p) { calls << QLatin1String(hook) + (p->Active() ? " open" : " closed"); };
        };
        port.BeforeClose = record("BeforeClose");
        port.AfterClose = record("AfterClose");
    }
    QCOMPARE(calls, QStringList({"BeforeClose open", "AfterClose closed"}));
}

void TestComPort::waitingWriteEndsAtItsDeadline_data()
{
    QTest::addColumn<bool>("heldByDriver");
    QTest::newRow("bytes held in the driver's queue") << true;
    QTest::newRow("output stopped by XOFF") << false;
}

void TestComPort::waitingWriteEndsAtItsDeadline()
{
    QFETCH(bool, heldByDriver);
    PtyPair pty;
    HeldLinePort port;
    configure(port, pty.slavePath);
    port.FlowControl().SetXOnXOff(xcOutput);
    port.Timeouts().SetWriteConstant(150);
    port.Open();
    if (heldByDriver)
        port.held = true;
    else
        QVERIFY(pty.send("\x13"));  // XOFF: the port must not send
    QTest::qWait(20);

    QElapsedTimer clock;
    clock.start();
    int code = -1;
    QCOMPARE(comErrorOf([&] { port.Write("abc", 3, true); }, &code), QStringLiteral("Timeout"));
    QCOMPARE(code, 0);
    QVERIFY2(clock.elapsed() >= 140 && clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!port.WritePending());

    // The line runs again: only what is written now goes out.
    port.held = false;
    if (!heldByDriver)
        QVERIFY(pty.send("\x11"));
    QTest::qWait(20);
    port.Write("z", 1, true);
    const QByteArray received = pty.receive(4, 300);
    if (heldByDriver)  // a pty sent them at once; the port still works
        QVERIFY(received.endsWith('z'));
    else
        QCOMPARE(received, QByteArray("z"));
}

void TestComPort::nonWaitingReadCompletesByItself()
{
    PtyPair pty;
    TComPort port;
    configure(port, pty.slavePath);
    port.Open();

    char buffer[6] = {};
    QVERIFY(pty.send("he"));
    QTRY_COMPARE(port.InputCount(), 2);
    port.Read(buffer, 5, false);
    QVERIFY(port.ReadPending());
    QVERIFY(pty.send("llo!"));
    QTRY_VERIFY(!port.ReadPending());  // the event loop finished it
    QCOMPARE(QByteArray(buffer), QByteArray("hello"));
    QCOMPARE(port.InputCount(), 1);    // the rest stays for the next read
    port.WaitForReadCompletion();      // nothing pending: no "Timeout"
    QCOMPARE(port.ReadByte(), quint8('!'));
}

void TestComPort::readIntervalMinusOneFinishesAtOnce()
{
    PtyPair pty;
    TComPort port;
    configure(port, pty.slavePath);
    port.Timeouts().SetReadInterval(-1);
    port.Open();

    QVERIFY(pty.send("abc"));
    QTRY_COMPARE(port.InputCount(), 3);
    char buffer[11] = {};
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(comErrorOf([&] { port.Read(buffer, 10, true); }), QString());
    QVERIFY(clock.elapsed() < 100);
    QCOMPARE(QByteArray(buffer), QByteArray("abc"));
    QVERIFY(!port.ReadPending());
    // A read that does not wait is just as finished, with nothing there.
    port.Read(buffer, 10, false);
    QVERIFY(!port.ReadPending());
}

void TestComPort::permissionErrorKeepsTheSystemText()
{
    // Another user's device, read and write for the group "dialout" only.
    PtyPair pty;
    const QByteArray path = QFile::encodeName(pty.slavePath);
    const group *dialout = ::getgrnam("dialout");
    QVERIFY(dialout);
    if (::chown(path.constData(), 4242, dialout->gr_gid) != 0)
        QSKIP("cannot give the device away here");
    QCOMPARE(::chmod(path.constData(), 0060), 0);
    TComPort port;
    port.SetDeviceName(pty.slavePath);
    int code = 0;
    QString message;
    {
        WithoutAccessOverride asUser;
        if (!asUser.active())
            QSKIP("cannot give up the permission override here");
        message = comErrorOf([&] { port.Open(); }, &code);
    }
    QCOMPARE(code, EACCES);
    QVERIFY2(message.startsWith(pty.slavePath + QStringLiteral(": keine Berechtigung")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("(sudo usermod -aG dialout $USER)")), qPrintable(message));
}

void TestComPort::failuresNameTheFailingCall_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("message");  // %1: the device
    QTest::newRow("missing device") << QStringLiteral("missing") << ENOENT << QStringLiteral("open") << QStringLiteral("/dev/ttyQuillonMissing0: nicht vorhanden");
    QTest::newRow("held by another port") << QStringLiteral("held") << EBUSY << QStringLiteral("flock") << QStringLiteral("%1: von einem anderen Programm belegt");
    // No German text of its own: the system's text and the number.
    QTest::newRow("queue of a closed port") << QStringLiteral("closed") << EBADF << QStringLiteral("ioctl(FIONREAD)")
                                            << QString::fromLocal8Bit(strerror(EBADF)) + QStringLiteral(" (Fehler %1)").arg(EBADF);
    QTest::newRow("device gone before a read") << QStringLiteral("gone") << EIO << QStringLiteral("read") << QStringLiteral("Ein-/Ausgabefehler");
    QTest::newRow("the component's own message") << QStringLiteral("own") << 0 << QString() << QString();
}

void TestComPort::failuresNameTheFailingCall()
{
    QFETCH(QString, failure);
    QFETCH(int, error);
    QFETCH(QString, call);
    QFETCH(QString, message);
    PtyPair pty;
    TComPort port, holder;
    configure(port, pty.slavePath);
    configure(holder, pty.slavePath);
    std::optional<EComError> caught;
    port.OnError = [&](TCustomComPort *, EComError &e, TComAction &) { caught = e; };
    try {
        if (failure == QLatin1String("missing")) {
            port.SetDeviceName(QStringLiteral("/dev/ttyQuillonMissing0"));
            port.Open();
        } else if (failure == QLatin1String("held")) {
            holder.Open();
            port.Open();
        } else if (failure == QLatin1String("closed")) {
            port.InputCount();
        } else if (failure == QLatin1String("gone")) {
            port.Open();
            pty.closeMaster();
            port.ReadByte();
        } else {
            port.SetRTS();
        }
    } catch (const EComError &) {
    }
    QVERIFY(caught);
    QCOMPARE(caught->ErrorCode, error);
    QCOMPARE(caught->Call, call);
    if (error != 0)
        QCOMPARE(caught->message(), message.contains(QLatin1String("%1")) ? message.arg(pty.slavePath) : message);
}

QTEST_GUILESS_MAIN(TestComPort)
#include "tst_comport.moc"
