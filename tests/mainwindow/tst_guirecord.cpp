// The window's upload record: with [Protokoll] Ordner= in the settings file,
// every upload run leaves one record in that folder.
#include "sim/sampleimage.h"
#include "tests/mainwindow/startuprig.h"
#include "tests/support/simpeer.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>

namespace {
QString sha256(const QByteArray &bytes) { return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()); }
}

class TestGuiRecord : public QObject {
    Q_OBJECT

    struct Rig : StartupRig {
        SimPeer sim;
        FakeSystem system{0};
        QTemporaryDir records;
        QByteArray image = SampleImage().build();
        QString imagePath = dir.filePath(QStringLiteral("krv470.bin"));

        TForm1 &startWith(const QByteArray &folderLine)
        {
            sim.device.flash.goOnDelayMs = 10;
            writeSettings("[Connection]\nEthernet=1\nIP=127.0.0.1\nPort=" + QByteArray::number(sim.tcp.port()) + "\n[Protokoll]\n" + folderLine + "\n");
            TForm1 &w = start();
            waitFor([&] { return w.station.link.TcpConnected; });
            QFile file(imagePath);
            if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size())
                qFatal("cannot write the image");
            file.close();
            if (loadFirmwareFile(w.station.ui, w.station.image, imagePath) != LoadResult::Loaded)
                qFatal("cannot load the image");
            return w;
        }
        QStringList recordFiles() const { return QDir(records.path()).entryList(QDir::Files); }
    };

private slots:
    void oneRecordPerRun()
    {
        Rig rig;
        TForm1 &w = rig.startWith("Ordner=" + rig.records.path().toUtf8());
        QTest::mouseClick(w.btUpdate, Qt::LeftButton);
        QCOMPARE(rig.answerer.texts(), QStringList{"Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)"});
        QCOMPARE(rig.recordFiles().size(), 1);
        QFile file(rig.records.filePath(rig.recordFiles().first()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject r = QJsonDocument::fromJson(file.readAll()).object();

        QCOMPARE(r.value("program").toObject().value("name").toString(), QStringLiteral("quillon"));
        QCOMPARE(r.value("link").toObject(), (QJsonObject{{"kind", "tcp"}, {"host", "127.0.0.1"}, {"port", rig.sim.tcp.port()}}));
        // The upload read the device itself.
        QCOMPARE(r.value("deviceBefore").toObject().value("version").toString(), QStringLiteral("KRV470 V3.02 a"));
        QCOMPARE(r.value("deviceBefore").toObject().value("buildDate").toInt(), 20080115);
        QCOMPARE(r.value("file").toObject().value("name").toString(), rig.imagePath);
        QCOMPARE(r.value("file").toObject().value("sha256").toString(), sha256(rig.image));
        const QByteArray received = rig.sim.device.flash.flash.left(int(rig.image.size()));
        QCOMPARE(r.value("imageSent").toObject().value("sha256").toString(), sha256(received));
        QCOMPARE(r.value("factoryData").toObject().value("bytes").toString(), QString::fromLatin1(received.right(32).toHex()));
        QCOMPARE(r.value("factoryData").toObject().value("fabNr").toString(), w.station.options.edFabNr.text);
        QCOMPARE(r.value("result").toString(), QStringLiteral("ok"));
        QCOMPARE(r.value("UploadPhase").toInt(), 5);
        QCOMPARE(r.value("message").toString(), QStringLiteral("Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)"));
        QCOMPARE(r.value("counters").toObject().value("data").toInt(), w.station.upload.recordCounters.dataRecords);
        QVERIFY(r.value("verification").isNull());

        // A second run, a second record beside the first.
        QTest::mouseClick(w.btUpdate, Qt::LeftButton);
        QCOMPARE(rig.recordFiles().size(), 2);
        // The settings file keeps the key after the exit's write.
        w.SaveSettings();
        QVERIFY(rig.settings().contains("[Protokoll]\nOrdner=" + rig.records.path().toUtf8()));
    }

    // A folder that cannot take the record: asked before, said after.
    void folderThatCannotTakeIt()
    {
        {
            // Gone before the next rig: its answerer would take the next rig's boxes.
            Rig rig;
            TForm1 &w = rig.startWith("Ordner=/nonexistent/quillon-records");
            QTest::mouseClick(w.btUpdate, Qt::LeftButton);  // the question is answered No
            QCOMPARE(rig.answerer.texts(), QStringList{"Das Upload-Protokoll kann nicht geschrieben werden!\n"
                                                       "Ordner /nonexistent/quillon-records gibt es nicht\n\nUpload trotzdem starten?"});
            QVERIFY(rig.sim.device.frames.isEmpty());
        }
        if (::geteuid() != 0)
            return;
        // As root /proc looks writable but takes no file: the run goes on, the loss is said.
        Rig root;
        TForm1 &w2 = root.startWith("Ordner=/proc");
        QTest::mouseClick(w2.btUpdate, Qt::LeftButton);
        const QStringList texts = root.answerer.texts();
        QVERIFY2(texts.size() == 2, qPrintable(texts.join(" | ")));
        QCOMPARE(texts.first(), QStringLiteral("Upload beendet: FLASH wurde erfolgreich gebrannt!  :-)"));
        QVERIFY2(texts.last().startsWith("Das Upload-Protokoll kann nicht geschrieben werden!\n/proc/quillon-"), qPrintable(texts.last()));
    }
};

QTEST_MAIN(TestGuiRecord)
#include "tst_guirecord.moc"
