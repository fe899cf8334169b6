// The upload's share on the window's status bar and on the desktop's
// launcher entry, received on a session bus of the test's own.
#include "sim/sampleimage.h"
#include "tests/mainwindow/startuprig.h"
#include "tests/support/captionsfit.h"
#include "tests/support/simpeer.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QStatusBar>

namespace {
struct LauncherUpdate {
    QString path;
    QString uri;
    double progress;
    bool visible;
};
}

class TestUploadProgress : public QObject {
    Q_OBJECT

    QProcess m_bus;
    QList<LauncherUpdate> m_updates;

    static TForm1 &startOn(StartupRig &rig, const SimPeer &sim)
    {
        rig.writeSettings("[Connection]\nEthernet=1\nIP=127.0.0.1\nPort=" + QByteArray::number(sim.tcp.port()) + "\n");
        TForm1 &w = rig.start();
        rig.waitFor([&] { return w.station.link.TcpConnected; });
        return w;
    }

    struct Seen {
        bool programming;
        bool visible;
        int value;
    };

public slots:
    void launcherUpdate(const QDBusMessage &message)
    {
        const QList<QVariant> args = message.arguments();
        QCOMPARE(args.size(), 2);
        const QVariantMap properties = qdbus_cast<QVariantMap>(args.at(1));
        m_updates.append({message.path(), args.at(0).toString(), properties.value(QStringLiteral("progress")).toDouble(),
                          properties.value(QStringLiteral("progress-visible")).toBool()});
    }

private slots:
    // The bus is the program's session bus from its first use on.
    void initTestCase()
    {
        m_bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        QVERIFY(m_bus.waitForStarted());
        QVERIFY(QTest::qWaitFor([&] { return m_bus.canReadLine() || m_bus.state() == QProcess::NotRunning; }, 30000));
        const QByteArray address = m_bus.readLine().trimmed();
        QVERIFY2(!address.isEmpty(), m_bus.readAllStandardError().constData());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QDBusConnection listener = QDBusConnection::connectToBus(QString::fromLatin1(address), QStringLiteral("listener"));
        QVERIFY(listener.isConnected());
        QVERIFY(listener.connect(QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"),
                                 this, SLOT(launcherUpdate(QDBusMessage))));
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
        m_bus.kill();
        m_bus.waitForFinished();
    }

    void shownWhileTheUploadRuns_data()
    {
        QTest::addColumn<QByteArray>("letters");  // empty: what the device sends for the image
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("reached");  // the least share shown last, in steps of the bar
        QTest::newRow("burnt") << QByteArray() << QStringLiteral("Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)") << 900;
        // The records are about half the work: their share stays on the bar.
        QTest::newRow("silent while programming") << QByteArray("SEE") << QStringLiteral("Upload beendet: KRV reagiert nicht/falsch! PS: 5") << 400;
    }

    void shownWhileTheUploadRuns()
    {
        QFETCH(QByteArray, letters);
        QFETCH(QString, message);
        QFETCH(int, reached);
        m_updates.clear();
        StartupRig rig;
        SimPeer sim;
        FakeSystem system{0};
        sim.device.flash.goOnDelayMs = 10;
        sim.device.flash.letterIntervalMs = 2;
        sim.device.flash.faults.letters = letters;
        TForm1 &w = startOn(rig, sim);
        QVERIFY(w.station.link.TcpConnected);
        const QString path = rig.dir.filePath(QStringLiteral("krv470.hex"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(toIntelHex(SampleImage().build()));
        file.close();
        QCOMPARE(loadFirmwareFile(w.station.ui, w.station.image, path), LoadResult::Loaded);

        QProgressBar *bar = w.statusBar()->findChild<QProgressBar *>(QStringLiteral("pbUpload"));
        QVERIFY(bar);
        QVERIFY(!bar->isVisible());
        QList<Seen> seen;
        int redraws = 0;
        connect(bar, &QProgressBar::valueChanged, this, [&] { ++redraws; });
        const auto display = w.station.upload.progress;
        w.station.upload.progress = [&](const TransferProgress &p) {
            display(p);
            seen.append({p.programming, bar->isVisible(), bar->value()});
        };
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(w.btUpdate, Qt::LeftButton);
        const qint64 elapsed = clock.elapsed();

        QCOMPARE(rig.answerer.texts(), QStringList{message});
        QVERIFY(!bar->isVisible());
        // Shown in both phases, never falling back.
        QVERIFY(std::any_of(seen.begin(), seen.end(), [](const Seen &s) { return !s.programming && s.visible; }));
        QVERIFY(std::any_of(seen.begin(), seen.end(), [](const Seen &s) { return s.programming && s.visible; }));
        for (qsizetype i = 1; i + 1 < seen.size(); ++i)
            QVERIFY2(seen[i].value >= seen[i - 1].value, qPrintable(QString::number(i)));
        QVERIFY2(seen[seen.size() - 2].value >= reached, qPrintable(QString::number(seen[seen.size() - 2].value)));
        // Thousands of records and letters, a few redraws a second.
        QVERIFY2(redraws <= 3 + elapsed / 200, qPrintable(QStringLiteral("%1 in %2 ms").arg(redraws).arg(elapsed)));

        // The launcher follows: rising while shown, hidden at the end.
        QVERIFY(QTest::qWaitFor([&] { return !m_updates.isEmpty() && !m_updates.last().visible; }, 30000));
        const QList<LauncherUpdate> shown = m_updates.mid(0, m_updates.size() - 1);
        QVERIFY(shown.size() >= 2);
        for (qsizetype i = 0; i < m_updates.size(); ++i) {
            const LauncherUpdate &u = m_updates[i];
            QCOMPARE(u.uri, QStringLiteral("application://example.orv.quillon.desktop"));
            QVERIFY(u.path.startsWith(QStringLiteral("/com/canonical/unity/launcherentry/")));
            QCOMPARE(u.visible, i < shown.size());
            if (i > 0 && u.visible)
                QVERIFY(u.progress >= m_updates[i - 1].progress);
            QVERIFY(u.progress >= 0.0 && u.progress <= 1.0);
        }
        QVERIFY(shown.last().progress >= reached / 1000.0);
    }

    // Beside the bar the status panels still show their longest texts whole.
    void panelsBesideTheBar()
    {
        StartupRig rig;
        SimPeer sim;
        FakeSystem system{0};
        TForm1 &w = startOn(rig, sim);
        QProgressBar *bar = w.statusBar()->findChild<QProgressBar *>(QStringLiteral("pbUpload"));
        QVERIFY(bar);
        bar->show();
        for (const char *text : {"Erase: 99 Adr: 999 Dat: 9999", "Wdh: 99 Adr: 999 Dat: 9999", "Test highest FLASH-Sector!",
                                 "FabData erase & burn!"}) {
            w.station.ui.setStatus(0, QStringLiteral("KRV programmiert FLASH!"));
            w.station.ui.setStatus(1, QString::fromUtf8(text));
            QApplication::processEvents();
            QVERIFY2(cutCaptionsText(*w.statusBar()).isEmpty(), qPrintable(cutCaptionsText(*w.statusBar())));
        }
    }
};

QTEST_MAIN(TestUploadProgress)
#include "tst_uploadprogress.moc"
