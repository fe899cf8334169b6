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
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

class TestPortList : public QObject {
    Q_OBJECT
private slots:
    void freeBusyAndUnknown();
    void refusedAccessGivesAdvice_data();
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
    for (const char *name : {"/dev/ttyUSB97", "/dev/does-not-exist", "COM255", "ttyACM97", "TCP/IP Client"})
        QVERIFY2(CheckComPort(QString::fromLatin1(name)) == ComPortCheck::Unknown && portState(QString::fromLatin1(name)) == PortState::Missing, name);
    // No port at all, but there: a folder, a device that is no terminal.
    QCOMPARE(portState(QStringLiteral("/tmp")), PortState::Folder);
    QCOMPARE(portState(QStringLiteral("/dev/null")), PortState::NotSerial);
    QCOMPARE(CheckComPort(QStringLiteral("/dev/null")), ComPortCheck::Unknown);
}

// The group advice only where joining the group helps; a device only root
// may open (a console: root, group tty) gets no usermod advice.
void TestPortList::refusedAccessGivesAdvice_data()
{
    QTest::addColumn<QByteArray>("group");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("advice");
    const QString join = QStringLiteral("Sie haben keine Berechtigung für %1. Nehmen Sie Ihr Benutzerkonto in die Gruppe "
                                        "\"dialout\" auf (sudo usermod -aG dialout $USER) und melden Sie sich danach neu an.");
    const QString admin = QStringLiteral("%1 darf nur der Administrator öffnen; keine Gruppe, in die Sie Ihr Benutzerkonto "
                                         "aufnehmen könnten, hat Zugriff darauf.");
    QTest::newRow("group dialout may read and write") << QByteArray("dialout") << 0060 << "keine Berechtigung – Gruppe \"dialout\"" << join;
    QTest::newRow("group may only write, like a console") << QByteArray("tty") << 0020 << "keine Berechtigung – nur für den Administrator" << admin;
    QTest::newRow("owner only") << QByteArray("dialout") << 0600 << "keine Berechtigung – nur für den Administrator" << admin;
}

void TestPortList::refusedAccessGivesAdvice()
{
    QFETCH(QByteArray, group);
    QFETCH(int, mode);
    QFETCH(QString, state);
    QFETCH(QString, advice);
    PtyPair pty;
    QVERIFY(pty.isValid());
    const QByteArray path = QFile::encodeName(pty.slavePath);
    const ::group *owner = ::getgrnam(group.constData());
    QVERIFY(owner);
    // Another user's device: the test's own user meets only the group and other bits.
    if (::chown(path.constData(), 4242, owner->gr_gid) != 0)
        QSKIP("cannot give the device away here");
    QCOMPARE(::chmod(path.constData(), mode_t(mode)), 0);
    ComPortCheck result = ComPortCheck::Free;
    PortStatus status;
    QString problem;
    {
        WithoutAccessOverride asUser;
        if (!asUser.active())
            QSKIP("cannot give up the permission override here");
        result = CheckComPort(pty.slavePath);
        status = portStatus(pty.slavePath);
        problem = comPortProblem(pty.slavePath);
    }

    QCOMPARE(result, ComPortCheck::Busy);
    QCOMPARE(status.state, PortState::NoPermission);
    QCOMPARE(portStatusText(status), state);
    QCOMPARE(problem, advice.arg(pty.slavePath));
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
    QCOMPARE(portState(QStringLiteral("COM4")), PortState::Missing);  // known, but no device file
    TComPort holder;
    holder.SetDeviceName(pty.slavePath);
    holder.Open();
    QCOMPARE(CheckComPort(QStringLiteral("COM1")), ComPortCheck::Busy);
}

QTEST_GUILESS_MAIN(TestPortList)
#include "tst_portlist.moc"
