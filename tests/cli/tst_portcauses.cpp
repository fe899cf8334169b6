// quillon-cli on a --port that is no usable serial port names why, in its
// messages and in its JSON; and its port list marks the console and gives
// udev's stable names and the USB ids, on a made-up /sys and /dev.
#include "comport/comport.h"
#include "tests/comport/fakeportroot.h"
#include "tests/comport/ptypair.h"
#include "tests/support/cliprocess.h"
#include "tests/support/schemacheck.h"

#include <QJsonArray>
#include <QtTest>
#include <sys/stat.h>

class TestPortCauses : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(qEnvironmentVariable("QUILLON_CLI")).isExecutable(), "QUILLON_CLI not set");
        QVERIFY(m_dir.isValid());
    }

    void refusedPortNamesTheCause_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("reason");
        const QString notSerial = QStringLiteral("keine serielle Schnittstelle");
        QTest::newRow("/dev/null") << "null" << notSerial << "not-a-serial-port";
        QTest::newRow("regular file") << "file" << notSerial << "not-a-serial-port";
        QTest::newRow("FIFO without a writer") << "fifo" << notSerial << "not-a-serial-port";
        QTest::newRow("folder") << "folder" << "ein Verzeichnis, keine serielle Schnittstelle" << "folder";
        QTest::newRow("missing") << "missing" << "nicht vorhanden" << "missing";
        QTest::newRow("missing folder on the way") << "missing folder" << "nicht vorhanden" << "missing";
    }
    void refusedPortNamesTheCause()
    {
        QFETCH(QString, kind);
        QFETCH(QString, cause);
        QFETCH(QString, reason);
        QString port;
        if (kind == QLatin1String("null")) {
            port = QStringLiteral("/dev/null");
        } else if (kind == QLatin1String("file")) {
            port = m_dir.filePath(QStringLiteral("ttyFile"));
            QFile file(port);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (kind == QLatin1String("fifo")) {
            port = m_dir.filePath(QStringLiteral("ttyFifo"));
            QVERIFY(QFile::exists(port) || ::mkfifo(QFile::encodeName(port).constData(), 0600) == 0);
        } else if (kind == QLatin1String("folder")) {
            port = m_dir.path();
        } else if (kind == QLatin1String("missing")) {
            port = QStringLiteral("/dev/ttyQuillonMissing7");
        } else {
            port = m_dir.filePath(QStringLiteral("no-folder/ttyS0"));
        }

        const CliRun text = runQuillonCli({QStringLiteral("--port"), port, QStringLiteral("info")});
        QCOMPARE(text.exitCode, 1);
        const QString err = QString::fromUtf8(text.err);
        QVERIFY2(err.contains(QStringLiteral("Programm muß beendet werden!! Fehler von Linux: %1: %2\n").arg(port, cause)), qPrintable(err));
        const QString message = QStringLiteral("quillon-cli: die serielle Schnittstelle %1 lässt sich nicht öffnen: %2").arg(port, cause);
        QVERIFY2(err.contains(message + QLatin1Char('\n')), qPrintable(err));

        const CliRun json = runQuillonCli({QStringLiteral("--json"), QStringLiteral("--port"), port, QStringLiteral("info")});
        QCOMPARE(json.exitCode, 1);
        const QJsonObject error = jsonOf(json).value("error").toObject();
        QCOMPARE(error.value("message").toString(), message);
        QCOMPARE(error.value("reason").toString(), reason);
        SchemaCheck schemas;
        const QString violations = schemas.violations(QStringLiteral("info"), json.out);
        QVERIFY2(violations.isEmpty(), qPrintable(violations));
    }

    // Held by a port of another program: busy, said plainly, also to scripts.
    void heldPortIsBusy()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        TComPort holder;
        holder.SetDeviceName(pty.slavePath);
        holder.Open();
        const CliRun run = runQuillonCli({QStringLiteral("--json"), QStringLiteral("--port"), pty.slavePath, QStringLiteral("time")});
        QCOMPARE(run.exitCode, 1);
        const QJsonObject error = jsonOf(run).value("error").toObject();
        QCOMPARE(error.value("message").toString(),
                 QStringLiteral("quillon-cli: die serielle Schnittstelle %1 ist belegt: ein anderes Programm benutzt sie").arg(pty.slavePath));
        QCOMPARE(error.value("reason").toString(), QStringLiteral("busy"));
        const QString err = QString::fromUtf8(run.err);
        QVERIFY2(err.contains(QStringLiteral("Fehler von Linux: %1: von einem anderen Programm belegt").arg(pty.slavePath)), qPrintable(err));
    }

    // The last of the kernel's consoles is the main one; a virtual terminal
    // there means no serial port is the console.
    void consoleIsMarked_data()
    {
        QTest::addColumn<QByteArray>("active");
        QTest::addColumn<bool>("marked");
        QTest::newRow("serial console last") << QByteArray("tty0 ttyS0") << true;
        QTest::newRow("serial console alone") << QByteArray("ttyS0") << true;
        QTest::newRow("virtual terminal last") << QByteArray("ttyS0 tty0") << false;
        QTest::newRow("another virtual terminal") << QByteArray("tty1") << false;
        QTest::newRow("no console file") << QByteArray() << false;
    }
    void consoleIsMarked()
    {
        QFETCH(QByteArray, active);
        QFETCH(bool, marked);
        PtyPair uart;
        FakePortRoot root;
        root.addUart(0);
        root.linkDevice(QStringLiteral("ttyS0"), uart.slavePath);
        if (!active.isEmpty())
            root.setConsoles(active);
        const QStringList env{QStringLiteral("QUILLON_TEST_PORT_ROOT=") + root.path()};

        const CliRun text = runQuillonCli({QStringLiteral("ports")}, kRunLimitMs, env);
        QCOMPARE(text.exitCode, 0);
        QCOMPARE(QString::fromUtf8(text.out), marked ? QStringLiteral("/dev/ttyS0  COM1  frei  Systemkonsole\n") : QStringLiteral("/dev/ttyS0  COM1  frei\n"));

        const CliRun json = runQuillonCli({QStringLiteral("--json"), QStringLiteral("ports")}, kRunLimitMs, env);
        QCOMPARE(json.exitCode, 0);
        const QJsonObject port = jsonOf(json).value("ports").toArray().at(0).toObject();
        QCOMPARE(port.value("console"), QJsonValue(marked));
    }

    // An adapter's udev names and USB ids beside its path; a built-in port
    // has no ids, and an adapter without a by-id link an empty list.
    void adaptersByIdAndUsbIds()
    {
        PtyPair uart, ftdi, acm;
        FakePortRoot root;
        root.addUart(0);
        root.linkDevice(QStringLiteral("ttyS0"), uart.slavePath);
        root.addUsbAdapter(QStringLiteral("ttyUSB0"), "FT232R USB UART", "FTDI", "A10K3B");
        root.linkDevice(QStringLiteral("ttyUSB0"), ftdi.slavePath);
        root.addUsbIds(QStringLiteral("ttyUSB0"), "0403", "6001");
        root.addById(QStringLiteral("usb-FTDI_FT232R_USB_UART_A10K3B-if00-port0"), QStringLiteral("ttyUSB0"));
        root.addUsbAdapter(QStringLiteral("ttyACM0"), "USB Modem");
        root.linkDevice(QStringLiteral("ttyACM0"), acm.slavePath);
        const QStringList env{QStringLiteral("QUILLON_TEST_PORT_ROOT=") + root.path()};

        const CliRun text = runQuillonCli({QStringLiteral("ports")}, kRunLimitMs, env);
        QCOMPARE(text.exitCode, 0);
        QCOMPARE(QString::fromUtf8(text.out),
                 QStringLiteral("/dev/ttyS0    COM1  frei\n"
                                "/dev/ttyUSB0        frei  FTDI FT232R USB UART, Seriennummer A10K3B, USB 0403:6001, "
                                "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3B-if00-port0\n"
                                "/dev/ttyACM0        frei  USB Modem\n"));

        const CliRun json = runQuillonCli({QStringLiteral("--json"), QStringLiteral("ports")}, kRunLimitMs, env);
        QCOMPARE(json.exitCode, 0);
        SchemaCheck schemas;
        const QString violations = schemas.violations(QStringLiteral("ports"), json.out);
        QVERIFY2(violations.isEmpty(), qPrintable(violations));
        const QJsonArray ports = jsonOf(json).value("ports").toArray();
        QCOMPARE(ports.size(), 3);
        const QJsonObject builtIn = ports.at(0).toObject(), usb = ports.at(1).toObject(), modem = ports.at(2).toObject();
        QVERIFY(builtIn.value("usbId").isNull());
        QCOMPARE(builtIn.value("byId").toArray(), QJsonArray());
        QCOMPARE(usb.value("usbId").toString(), QStringLiteral("0403:6001"));
        QCOMPARE(usb.value("byId").toArray(), QJsonArray({QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3B-if00-port0")}));
        QCOMPARE(usb.value("console"), QJsonValue(false));
        QVERIFY(modem.value("usbId").isNull());
        QCOMPARE(modem.value("byId").toArray(), QJsonArray());
    }
};

QTEST_GUILESS_MAIN(TestPortCauses)
#include "tst_portcauses.moc"
