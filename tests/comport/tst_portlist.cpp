// Port lookup and the free/busy test, against pseudo-terminals and a made-up
// /sys and /dev: the test machine has no serial hardware of its own.
#include "comport/comport.h"
#include "comport/portlist.h"
#include "tests/comport/fakeportroot.h"
#include "tests/comport/ptypair.h"
#include "tests/support/withoutaccessoverride.h"

#include <QtTest>
#include <sys/stat.h>

class TestPortList : public QObject {
    Q_OBJECT
private slots:
    void freeBusyAndUnknown();
    void refusedAccessGivesAdvice();
    void comPortsByTheSysfsRules();
};

void TestPortList::freeBusyAndUnknown()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    QCOMPARE(CheckComPort(pty.slavePath), 0);
    {
        TComPort holder;
        holder.SetDeviceName(pty.slavePath);
        holder.Open();
        QCOMPARE(CheckComPort(pty.slavePath), 2);
        QVERIFY(comPortProblem(pty.slavePath).isEmpty());
    }
    QCOMPARE(CheckComPort(pty.slavePath), 0);  // the tests left it free
    for (const char *name : {"/dev/ttyUSB97", "/dev/does-not-exist", "COM255", "ttyACM97", "TCP/IP Client", "/tmp"})
        QVERIFY2(CheckComPort(QString::fromLatin1(name)) == 1, name);
}

void TestPortList::refusedAccessGivesAdvice()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    QCOMPARE(::chmod(QFile::encodeName(pty.slavePath).constData(), 0), 0);
    int result;
    QString advice;
    {
        WithoutAccessOverride asUser;
        if (!asUser.active())
            QSKIP("cannot give up the permission override here");
        result = CheckComPort(pty.slavePath);
        advice = comPortProblem(pty.slavePath);
    }

    QCOMPARE(result, 2);
    QVERIFY2(advice.contains(QLatin1String("\"dialout\" auf (sudo usermod -aG dialout $USER)")), qPrintable(advice));
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
    root.addUsbAdapter(QStringLiteral("ttyUSB2"), "USB-Serial Controller");
    root.addUsbAdapter(QStringLiteral("ttyUSBx"));

    QStringList names, descriptions;
    for (const SerialPortEntry &port : PresentSerialPorts()) {
        names << port.name;
        descriptions << port.description;
    }
    QCOMPARE(names, (QStringList{"COM1", "COM4", "COM11", "COM255", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0"}));
    QCOMPARE(descriptions, (QStringList{"", "", "", "", "USB-Serial Controller", "", "USB Modem"}));
    QCOMPARE(CountComPorts(2), 2);
    QCOMPARE(CountComPorts(10), 4);
    QCOMPARE(CountComPorts(0), 4);  // a limit never reached counts all

    QCOMPARE(CheckComPort(QStringLiteral("com1")), 0);
    QCOMPARE(CheckComPort(QStringLiteral("COM2")), 1);
    QCOMPARE(CheckComPort(QStringLiteral("COM3")), 1);
    QCOMPARE(CheckComPort(QStringLiteral("COM4")), 2);  // known, but no device file
    TComPort holder;
    holder.SetDeviceName(pty.slavePath);
    holder.Open();
    QCOMPARE(CheckComPort(QStringLiteral("COM1")), 2);
}

QTEST_GUILESS_MAIN(TestPortList)
#include "tst_portlist.moc"
