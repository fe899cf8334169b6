// The main window as a technician meets it: layout, captions, hints, help
// requests, status line, file drop. No device is involved.
#include "mainwindow/comdialog.h"
#include "mainwindow/pnfab.h"
#include "mainwindow/program.h"
#include "sim/sampleimage.h"
#include "tests/support/captionsfit.h"
#include "tests/support/helprequestlog.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QStatusBar>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

class TestForm1 : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    // The window as the program makes it, without its start-up (no link).
    std::unique_ptr<Program> program() { return std::make_unique<Program>(dir.filePath("quillon.INI")); }

private slots:
    void fixedWindow()
    {
        auto p = program();
        TForm1 &w = p->form1;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillon"));
        QCOMPARE(w.centralWidget()->height() + w.statusBar()->height(), 519);
        QCOMPARE(w.centralWidget()->width(), 470);
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!w.windowIcon().isNull());
        const std::pair<const char *, QRect> areas[] = {
            {"SpeedBar", {0, 0, 470, 32}},  {"pnFile", {0, 32, 470, 72}},   {"pnFab", {0, 108, 470, 201}},
            {"pnKRV", {0, 312, 470, 81}},   {"pnModem", {0, 396, 470, 100}},
        };
        for (const auto &[name, rect] : areas)
            QCOMPARE(w.findChild<QWidget *>(name)->geometry(), rect);
        QCOMPARE(w.StatusPanels[0]->width(), 250);
    }

    // Every control fits its place and shows its caption whole, the lists'
    // items and the longest status texts included, in the main window and
    // in both layouts of the interface dialog.
    void nothingIsCut()
    {
        auto p = program();
        p->form1.show();
        QVERIFY2(cutCaptionsText(p->form1).isEmpty(), qPrintable(cutCaptionsText(p->form1)));
        TCommDialog &dialog = p->commDialog;
        dialog.ShowSerialLayout();
        QVERIFY2(cutCaptionsText(dialog).isEmpty(), qPrintable(cutCaptionsText(dialog)));
        dialog.EthernetSelected = true;
        dialog.ShowTcpLayout();
        QVERIFY2(cutCaptionsText(dialog).isEmpty(), qPrintable(cutCaptionsText(dialog)));

        QStatusBar *bar = p->form1.statusBar();
        for (const char *text : {"FLASH wurde erfolgreich gebrannt!  :-)", "Erase: 9999 Adr: 9999 Dat: 9999",
                                 "KRV braucht Lese-Passwort!?!?", "Wdh: 999 Adr: 9999 Dat: 9999"}) {
            p->form1.station.ui.setStatus(0, QStringLiteral("Upload"));
            p->form1.station.ui.setStatus(1, QString::fromUtf8(text));
            QApplication::processEvents();
            QVERIFY2(cutCaptionsText(*bar).isEmpty(), qPrintable(cutCaptionsText(*bar)));
        }
    }

    void controlsAsTheTablesGiveThem_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("btOpen") << "btOpen" << "Öffnen" << "Quelldatei öffnen" << "Quelldatei öffnen" << true;
        QTest::newRow("btUpdate") << "btUpdate" << "Upload" << "Aktualisierten Code ans Gerät senden"
                                  << "Aktualisierten Code ans Gerät senden" << false;
        QTest::newRow("btAbbruch") << "btAbbruch" << "Abbruch" << "" << "Upload abbrechen" << false;
        QTest::newRow("btKRV") << "btKRV" << "KRV-Info" << "Version & Konfiguration des KRV's auslesen"
                               << "Version & Konfiguration des KRV's auslesen" << true;
        QTest::newRow("cbOnlyFabdata") << "cbOnlyFabdata" << "Nur Fabrikationsdaten"
                                       << "Nur Fabrikationsdaten ans KRV senden"
                                       << "Nur Fabrikationsdaten ans KRV senden" << false;
        QTest::newRow("btRuf") << "btRuf" << "Verbinden" << "Verbindung zum KRV aufbauen"
                               << "Verbindung zum KRV aufbauen" << false;
        QTest::newRow("btInit") << "btInit" << "Initialisieren" << "Modem Initialisieren" << "Modem Initialisieren"
                                << false;
        QTest::newRow("lbFileName") << "lbFileName" << "Keine Datei geöffnet!" << "" << "" << true;
        QTest::newRow("lbMoNr") << "lbMoNr" << "Rufnummer des KRV's" << "" << "" << true;
        QTest::newRow("edRuf") << "edRuf" << "" << "Rufnummer der Zentrale" << "Rufnummer der Zentrale" << true;
        QTest::newRow("sbOpen") << "sbOpen" << "" << "Öffnen" << "Binärdatei öffnen" << true;
        QTest::newRow("sbUpdate") << "sbUpdate" << "" << "Upload" << "Aktualisierten Code ans Gerät senden" << false;
        QTest::newRow("sbAbbruch") << "sbAbbruch" << "" << "Abbruch" << "Upload abbrechen" << false;
        QTest::newRow("sbComm") << "sbComm" << "" << "Einstellung" << "Schnittstelle parametrieren" << true;
        QTest::newRow("sbHilfe") << "sbHilfe" << "" << "Hilfe" << "Bedienungsanleitung lesen" << true;
        QTest::newRow("sbEnde") << "sbEnde" << "" << "Ende" << "Quillon beenden" << true;
    }
    void controlsAsTheTablesGiveThem()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, tooltip);
        QFETCH(QString, status);
        QFETCH(bool, enabled);
        auto p = program();
        auto *w = p->form1.findChild<QWidget *>(name);
        QVERIFY(w);
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            QCOMPARE(b->text(), caption);
        if (auto *l = qobject_cast<QLabel *>(w))
            QCOMPARE(l->text(), caption);
        QCOMPARE(w->toolTip(), tooltip);
        QCOMPARE(w->statusTip(), status);
        QCOMPARE(w->isEnabled(), enabled);
        // Screen readers name a control by its caption, a picture button by its tooltip.
        const QString accessible = w->accessibleName().isEmpty() && qobject_cast<QAbstractButton *>(w)
                                       ? static_cast<QAbstractButton *>(w)->text()
                                       : w->accessibleName();
        QCOMPARE(accessible, caption.isEmpty() ? tooltip : caption);
    }

    void menus()
    {
        auto p = program();
        QStringList shown;
        for (QAction *menu : p->form1.menuBar()->actions()) {
            shown << menu->text() + (menu->isEnabled() ? "" : " (aus)");
            for (QAction *item : menu->menu()->actions())
                shown << "  " + (item->isSeparator() ? QStringLiteral("-") : item->text()) + (item->isEnabled() ? "" : " (aus)");
        }
        QCOMPARE(shown, QStringList({"&Datei", "  Ö&ffnen", "  -", "  &Beenden", "&Upload (aus)", "  &Upload",
                                     "  &Abbrechen (aus)", "&Einstellungen", "  S&chnittstelle", "&Hilfe", "  &Hilfe",
                                     "  -", "  Orv im Internet", "  Auf &Update prüfen", "  -", "  Inf&o"}));
        QCOMPARE(p->form1.findChild<QAction *>("smNewVers")->statusTip(), QStringLiteral("Im Internet auf Programmupdate prüfen"));
    }

    // The status part of a hint goes to panel 0 while the tooltip keeps its own part.
    void statusHint()
    {
        auto p = program();
        QStatusTipEvent tip(p->form1.sbOpen->statusTip());
        QCoreApplication::sendEvent(p->form1.sbOpen, &tip);
        QCOMPARE(p->form1.StatusPanels[0]->text(), QStringLiteral("Binärdatei öffnen"));
        QCOMPARE(p->form1.sbOpen->toolTip(), QStringLiteral("Öffnen"));
        QStatusTipEvent leave(QString{});
        QCoreApplication::sendEvent(p->form1.sbOpen, &leave);
        QCOMPARE(p->form1.StatusPanels[0]->text(), QString());
    }

    // A screen reader reads what the panels show, not a fixed name.
    void statusPanelsAreHeard()
    {
        auto p = program();
        p->form1.station.ui.setStatus(0, QStringLiteral("Upload"));
        p->form1.station.ui.setStatus(1, QStringLiteral("Wdh: 0 Adr: 1 Dat: 7"));
        for (auto [panel, text] : {std::pair{0, "Upload"}, std::pair{1, "Wdh: 0 Adr: 1 Dat: 7"}}) {
            QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(p->form1.StatusPanels[panel]);
            QCOMPARE(heard->text(QAccessible::Name), QString::fromLatin1(text));
        }
    }

    void helpRequests()
    {
        auto p = program();
        TForm1 &w = p->form1;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        HelpRequestLog log;
        w.setHelpViewer(&log);
        using R = HelpRequestLog::Request;
        const std::pair<const char *, int> focused[] = {{"edFabNr", 5}, {"edRuf", 7}, {"cbF4", 5}, {"btKRV", 3},
                                                        {"btOpen", 2},  {"cbDSfG", 1}};
        for (const auto &[name, context] : focused) {
            QWidget *control = w.findChild<QWidget *>(name);
            control->setEnabled(true);
            control->setFocus();
            QTest::keyClick(control, Qt::Key_F1);
            QCOMPARE(log.requests.takeLast(), (R{R::Topic, context}));
        }
        w.sbHilfe->click();
        QCOMPARE(log.requests.takeLast(), (R{R::Finder, 0}));
        w.findChild<QAction *>("smHilfe")->trigger();
        QCOMPARE(log.requests.takeLast(), (R{R::Finder, 0}));
        // The window's background is the strip between two panels; a press on a
        // panel is not the background's.
        QTest::mouseClick(w.centralWidget(), Qt::RightButton, {}, QPoint(200, 106));
        QCOMPARE(log.requests.takeLast(), (R{R::Contents, 0}));
        QTest::mouseClick(w.pnKRV, Qt::RightButton, {}, QPoint(400, 70));
        QVERIFY(log.requests.isEmpty());
    }

    // A firmware file dropped on the window loads as the open command would,
    // only while that command is available.
    void dropLoadsAFile()
    {
        auto p = program();
        TForm1 &w = p->form1;
        const QString path = dir.filePath("drop.bin");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(SampleImage().build());
        file.close();
        const auto drop = [&] {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(&w, &enter);
            if (!enter.isAccepted())
                return false;
            QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(&w, &dropped);
            return true;
        };
        w.station.ui.setEnabled(Control::pnFile, false);
        QVERIFY(!drop());
        QCOMPARE(w.station.image.ImageSize, 0);
        w.station.ui.setEnabled(Control::pnFile, true);
        QVERIFY(drop());
        QCOMPARE(w.station.image.ImageSize, SampleImage().size);
        QCOMPARE(w.findChild<QLabel *>("lbFileName")->text(), QFileInfo(path).absoluteFilePath());
        // Shown whole: a text that does not fit would be shortened.
        QCOMPARE(w.findChild<QLabel *>("lbFileInfo")->text(), QStringLiteral("Bytes: 524288, 256-Byteblöcke: 2048"));
        QVERIFY(w.btUpdate->isEnabled());
        QCOMPARE(w.openDialog.FileName, path);
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
