// Port lookup and the free/busy test, against pseudo-terminals and a made-up
// /sys and /dev tree: the test machine has no serial hardware of its own.
#include "comport/comport.h"
#include "comport/portlist.h"
#include "tests/comport/fakeportroot.h"
#include "tests/comport/ptypair.h"

#include <QtTest>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>

namespace {
// Takes the file-permission override from this thread while it lives, so
// root meets permission bits like any user. Empty when the system refuses.
class WithoutDacOverride {
public:
    WithoutDacOverride()
    {
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_active = ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~WithoutDacOverride()
    {
        if (m_active)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    bool isActive() const { return m_active; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_active = false;
};

QStringList namesOf(const QList<SerialPortEntry> &ports)
{
    QStringList names;
    for (const SerialPortEntry &port : ports)
        names << port.name;
    return names;
}
}  // namespace

class TestPortList : public QObject {
    Q_OBJECT
private slots:
    void freeBusyAndUnknownDevices();
    void comNamesFollowTheSysfsRules();
    void refusedAccessGivesAdvice();
    void countStopsAtTheLimit_data();
    void countStopsAtTheLimit();
    void presentPortsInOrderWithAdapterNames();
    void systemWithoutSerialPorts();
};

void TestPortList::freeBusyAndUnknownDevices()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    QCOMPARE(CheckComPort(pty.slavePath), 0);
    QCOMPARE(CheckComPort(pty.slavePath), 0);  // the test itself leaves the port free

    {
        TComPort holder;
        holder.SetDeviceName(pty.slavePath);
        holder.Open();
        QCOMPARE(CheckComPort(pty.slavePath), 2);
        QVERIFY(holder.Active());  // the test does not disturb the holder
        QVERIFY(comPortProblem(pty.slavePath).isEmpty());
    }
    QCOMPARE(CheckComPort(pty.slavePath), 0);

    for (const char *name : {"/dev/ttyUSB97", "/dev/ttyACM97", "/dev/does-not-exist", "COM255", "ttyUSB97",
                             "TCP/IP Client", "/tmp", ""})
        QVERIFY2(CheckComPort(QString::fromLatin1(name)) == 1, name);
}

void TestPortList::comNamesFollowTheSysfsRules()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    FakePortRoot root;
    QVERIFY(root.isValid());
    root.addUart(0);
    root.linkDevice(QStringLiteral("ttyS0"), pty.slavePath);
    root.addUart(1, 0);  // a reserved slot
    root.linkDevice(QStringLiteral("ttyS1"), pty.slavePath);
    root.addUart(2, 4, false);
    root.linkDevice(QStringLiteral("ttyS2"), pty.slavePath);
    root.addUart(3);  // known, but its device file is missing

    QCOMPARE(CheckComPort(QStringLiteral("COM1")), 0);
    QCOMPARE(CheckComPort(QStringLiteral("com1")), 0);
    QCOMPARE(CheckComPort(QStringLiteral("COM2")), 1);
    QCOMPARE(CheckComPort(QStringLiteral("COM3")), 1);
    QCOMPARE(CheckComPort(QStringLiteral("COM4")), 2);
    QCOMPARE(CheckComPort(QStringLiteral("COM5")), 1);

    TComPort holder;
    holder.SetDeviceName(pty.slavePath);
    holder.Open();
    QCOMPARE(CheckComPort(QStringLiteral("COM1")), 2);
}

void TestPortList::refusedAccessGivesAdvice()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    const QByteArray path = QFile::encodeName(pty.slavePath);
    QCOMPARE(::chmod(path.constData(), 0), 0);
    WithoutDacOverride unprivileged;
    if (!unprivileged.isActive())
        QSKIP("cannot give up the permission override here");
    QCOMPARE(CheckComPort(pty.slavePath), 2);
    const QString advice = comPortProblem(pty.slavePath);
    QVERIFY2(advice.contains(QLatin1String("\"dialout\"")), qPrintable(advice));
    QVERIFY(advice.contains(QLatin1String("sudo usermod -aG dialout $USER")));
    QVERIFY(advice.contains(pty.slavePath));
}

void TestPortList::countStopsAtTheLimit_data()
{
    QTest::addColumn<QList<int>>("lines");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("count");
    const QList<int> three{0, 4, 254};
    QTest::newRow("limit 2 of 3") << three << 2 << 2;
    QTest::newRow("limit 1 of 3") << three << 1 << 1;
    QTest::newRow("limit above") << three << 10 << 3;
    QTest::newRow("limit 0 counts all") << three << 0 << 3;
    QTest::newRow("one port, limit 2") << QList<int>{7} << 2 << 1;
    QTest::newRow("ttyS255 is no COM name") << QList<int>{255, 300} << 2 << 0;
    QTest::newRow("none") << QList<int>{} << 2 << 0;
}

void TestPortList::countStopsAtTheLimit()
{
    QFETCH(QList<int>, lines);
    QFETCH(int, limit);
    QFETCH(int, count);
    FakePortRoot root;
    for (int line : lines)
        root.addUart(line);
    root.addUart(1, 0);
    root.addUart(2, 4, false);
    QCOMPARE(CountComPorts(limit), count);
}

void TestPortList::presentPortsInOrderWithAdapterNames()
{
    FakePortRoot root;
    for (int line : {10, 0, 3})
        root.addUart(line);
    root.addUart(1, 0);
    root.addUart(2, 4, false);
    root.addUsbAdapter(QStringLiteral("ttyUSB10"));
    root.addUsbAdapter(QStringLiteral("ttyACM0"), {}, QStringLiteral("USB Modem"));
    root.addUsbAdapter(QStringLiteral("ttyUSB0"), QStringLiteral("FTDI"), QStringLiteral("FT232R USB UART"));
    root.addUsbAdapter(QStringLiteral("ttyUSB2"), QStringLiteral("Prolific"), QStringLiteral("USB-Serial Controller"));
    root.addUsbAdapter(QStringLiteral("ttyUSBx"));

    const QList<SerialPortEntry> ports = PresentSerialPorts();
    QCOMPARE(namesOf(ports), (QStringList{"COM1", "COM4", "COM11", "/dev/ttyUSB0", "/dev/ttyUSB2", "/dev/ttyUSB10",
                                          "/dev/ttyACM0"}));
    QStringList descriptions;
    for (const SerialPortEntry &port : ports)
        descriptions << port.description;
    QCOMPARE(descriptions, (QStringList{"", "", "", "FTDI FT232R USB UART", "Prolific USB-Serial Controller", "",
                                        "USB Modem"}));
    // An adapter is known by its device file.
    QCOMPARE(CheckComPort(QStringLiteral("/dev/ttyUSB42")), 1);
    QCOMPARE(CountComPorts(255), 3);
}

void TestPortList::systemWithoutSerialPorts()
{
    FakePortRoot root;
    QVERIFY(PresentSerialPorts().isEmpty());
    QCOMPARE(CountComPorts(2), 0);
    QCOMPARE(CheckComPort(QStringLiteral("COM1")), 1);
}

QTEST_GUILESS_MAIN(TestPortList)
#include "tst_portlist.moc"
