// Port lookup and the free/busy test, against pseudo-terminals and a made-up
// /sys and /dev: the test machine has no serial hardware of its own.
#include "comport/comport.h"
#include "comport/portlist.h"
#include "tests/comport/fakeportroot.h"
#include "tests/comport/ptypair.h"
#include "tests/support/withoutaccessoverride.h"

#include <QtTest>
#include <asm/termbits.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

class TestPortList : public QObject {
    Q_OBJECT
private slots:
    void freeBusyAndUnknown();
    void refusedAccessGivesAdvice();
    void askingLeavesTheLineAlone();
    void comPortsByTheSysfsRules();
};

void TestPortList::freeBusyAndUnknown()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    QCOMPARE(CheckComPort(pty.slavePath), ComPortCheck::Free);
    QCOMPARE(portState(pty.slavePath), PortState::Free);
    {
        TComPort holder;
        holder.SetDeviceName(pty.slavePath);
        holder.Open();
        QCOMPARE(CheckComPort(pty.slavePath), ComPortCheck::Busy);
        QCOMPARE(portState(pty.slavePath), PortState::Busy);
        QVERIFY(comPortProblem(pty.slavePath).isEmpty());
    }
    QCOMPARE(CheckComPort(pty.slavePath), ComPortCheck::Free);  // the tests left it free
    for (const char *name : {"/dev/ttyUSB97", "/dev/does-not-exist", "COM255", "ttyACM97", "TCP/IP Client", "/tmp"})
        QVERIFY2(CheckComPort(QString::fromLatin1(name)) == ComPortCheck::Unknown && portState(QString::fromLatin1(name)) == PortState::Missing, name);
}

void TestPortList::refusedAccessGivesAdvice()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    QCOMPARE(::chmod(QFile::encodeName(pty.slavePath).constData(), 0), 0);
    ComPortCheck result = ComPortCheck::Free;
    PortState state;
    QString advice;
    {
        WithoutAccessOverride asUser;
        if (!asUser.active())
            QSKIP("cannot give up the permission override here");
        result = CheckComPort(pty.slavePath);
        state = portState(pty.slavePath);
        advice = comPortProblem(pty.slavePath);
    }

    QCOMPARE(result, ComPortCheck::Busy);
    QCOMPARE(state, PortState::NoPermission);
    QVERIFY2(advice.contains(QLatin1String("\"dialout\" auf (sudo usermod -aG dialout $USER)")), qPrintable(advice));
}

namespace {
QByteArray lineSettings(int fd)
{
    termios2 tio{};
    return ::ioctl(fd, TCGETS2, &tio) == 0 ? QByteArray(reinterpret_cast<const char *>(&tio), sizeof tio) : QByteArray();
}
} // namespace

// A port another program (or the console) uses keeps its line settings and
// the bytes waiting for it while it is asked about.
void TestPortList::askingLeavesTheLineAlone()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    const int other = ::open(QFile::encodeName(pty.slavePath).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(other >= 0);
    const auto closeOther = qScopeGuard([other] { ::close(other); });
    QVERIFY(pty.send("waiting\n"));
    pollfd arrived{other, POLLIN, 0};
    QCOMPARE(::poll(&arrived, 1, 5000), 1);
    const QByteArray before = lineSettings(other);
    QVERIFY(!before.isEmpty());

    QCOMPARE(CheckComPort(pty.slavePath), ComPortCheck::Free);
    QCOMPARE(portState(pty.slavePath), PortState::Free);
    QVERIFY(comPortProblem(pty.slavePath).isEmpty());

    QCOMPARE(lineSettings(other), before);
    int waiting = 0;
    QCOMPARE(::ioctl(other, FIONREAD, &waiting), 0);
    QCOMPARE(waiting, 8);
}

void TestPortList::comPortsByTheSysfsRules()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    {
        FakePortRoot none;
        QVERIFY(PresentSerialPorts().isEmpty());
        QCOMPARE(CountComPorts(2), 0);
    }
    FakePortRoot root;
    for (int line : {10, 0, 3, 254, 255})
        root.addUart(line);
    root.addUart(1, 0);         // reserved slot
    root.addUart(2, 4, false);  // no device behind it
    root.linkDevice(QStringLiteral("ttyS0"), pty.slavePath);
    root.linkDevice(QStringLiteral("ttyS1"), pty.slavePath);
    root.addUsbAdapter(QStringLiteral("ttyUSB10"));
    root.addUsbAdapter(QStringLiteral("ttyACM0"), "USB Modem");
    root.addUsbAdapter(QStringLiteral("ttyUSB2"), "USB-Serial Controller", "Prolific", "A7X3");
    root.addUsbAdapter(QStringLiteral("ttyUSBx"));

    QStringList names, paths, descriptions, serials;
    for (const SerialPortEntry &port : PresentSerialPorts()) {
        names << port.name;
        paths << port.path;
        descriptions << port.description();
        serials << port.serial;
    }
    QCOMPARE(names, (QStringList{"COM1", "COM4", "COM11", "COM255", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0"}));
    QCOMPARE(paths, (QStringList{"/dev/ttyS0", "/dev/ttyS3", "/dev/ttyS10", "/dev/ttyS254", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0"}));
    QCOMPARE(descriptions, (QStringList{"", "", "", "", "Prolific USB-Serial Controller", "", "USB Modem"}));
    QCOMPARE(serials, (QStringList{"", "", "", "", "A7X3", "", ""}));
    QCOMPARE(CountComPorts(2), 2);
    QCOMPARE(CountComPorts(10), 4);
    QCOMPARE(CountComPorts(0), 4);  // a limit never reached counts all

    QCOMPARE(CheckComPort(QStringLiteral("com1")), ComPortCheck::Free);
    QCOMPARE(CheckComPort(QStringLiteral("COM2")), ComPortCheck::Unknown);
    QCOMPARE(CheckComPort(QStringLiteral("COM3")), ComPortCheck::Unknown);
    QCOMPARE(CheckComPort(QStringLiteral("COM4")), ComPortCheck::Busy);  // known, but no device file
    TComPort holder;
    holder.SetDeviceName(pty.slavePath);
    holder.Open();
    QCOMPARE(CheckComPort(QStringLiteral("COM1")), ComPortCheck::Busy);
}

QTEST_GUILESS_MAIN(TestPortList)
#include "tst_portlist.moc"
