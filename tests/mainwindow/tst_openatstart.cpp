// "quillon FILE": the file is loaded as "Öffnen" would load it, once the
// start-up has chosen the link.
#include "tests/cli/smallimage.h"
#include "tests/mainwindow/startuprig.h"
#include "tests/support/testfiles.h"

#include <QMessageBox>

class TestOpenAtStart : public QObject {
    Q_OBJECT
private slots:
    void loadsAfterTheLinkIsChosen_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("imageSize");
        const QByteArray image = smallImage();
        QTest::newRow("binary image") << "fw.bin" << image << int(image.size());
        QTest::newRow("Intel-HEX, converted") << "fw.HEX" << toIntelHex(image) << 0x40000;
    }
    void loadsAfterTheLinkIsChosen()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, imageSize);
        PtyPair busy, chosen;
        TComPort holder;
        holder.SetDeviceName(busy.slavePath);
        holder.Open();
        FakeSystem system(0, {busy.slavePath, chosen.slavePath});
        StartupRig rig;
        const QString file = writeFile(rig.dir, name, bytes);
        rig.writeSettings("[Connection]\nCOM=" + busy.slavePath.toUtf8() + "\n");
        rig.program = std::make_unique<Program>(rig.settingsPath);
        TForm1 &w = rig.form();
        int sizeWhileChoosing = -1;
        const ModalAnswerer::Answer pick = choosePort(chosen.slavePath, br9600);
        rig.answerer.script = {ModalAnswerer::press(QMessageBox::Ok), [&](QWidget *dialog) {
                                   sizeWhileChoosing = w.station.image.ImageSize;
                                   pick(dialog);
                               }};
        // Relative, as a shell hands it over.
        QDir::setCurrent(rig.dir.path());
        rig.program->start(name);

        QCOMPARE(sizeWhileChoosing, 0);
        QVERIFY(w.station.Comm1.Active());
        QCOMPARE(w.station.image.ImageSize, imageSize);
        QCOMPARE(w.station.image.fileName, file);
        QCOMPARE(w.station.ui.caption(Control::lbFileName), file);
        QCOMPARE(w.openDialog.FileName, file);  // the settings file keeps it as the last file
        QVERIFY(w.btUpdate->isEnabled());
    }

    void notLoadedWhenTheUserEndsAtStart()
    {
        PtyPair busy;
        TComPort holder;
        holder.SetDeviceName(busy.slavePath);
        holder.Open();
        FakeSystem system(0, {busy.slavePath});
        StartupRig rig;
        const QString file = writeFile(rig.dir, QStringLiteral("fw.bin"), smallImage());
        rig.writeSettings("[Connection]\nCOM=" + busy.slavePath.toUtf8() + "\n");
        const ModalAnswerer::Answer cancel = [](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); };
        rig.answerer.script = {ModalAnswerer::press(QMessageBox::Ok), cancel, ModalAnswerer::press(QMessageBox::Yes)};
        rig.program = std::make_unique<Program>(rig.settingsPath);
        rig.program->start(file);
        QVERIFY(rig.form().terminated());
        QCOMPARE(rig.form().station.image.ImageSize, 0);
    }

    void missingFileIsReportedLikeOpen()
    {
        FakeSystem system(0);
        StartupRig rig;
        rig.writeSettings("[Connection]\nEthernet=1\nIP=127.0.0.1\nPort=9\n");
        rig.program = std::make_unique<Program>(rig.settingsPath);
        rig.program->start(rig.dir.filePath(QStringLiteral("gone.hex")));
        QStringList texts;
        for (const ModalAnswerer::Seen &s : rig.answerer.seen)
            texts << s.text;
        QCOMPARE(texts, QStringList{QStringLiteral("Fehler beim Öffnen!")});
        QCOMPARE(rig.form().station.image.ImageSize, 0);
    }
};

QTEST_MAIN(TestOpenAtStart)
#include "tst_openatstart.moc"
