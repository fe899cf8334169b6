// The main window's areas, controls, menus and status bar as its tables give them.
#include "mainwindow/controls.h"
#include "mainwindow/form1.h"
#include "mainwindow/helpviewer.h"
#include "mainwindow/pnfab.h"
#include "mainwindow/speedbuttonicon.h"

#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>

namespace {
constexpr int kWidth = 470;

QFrame *area(QWidget *parent, Control name, int top, int height)
{
    auto *frame = place<QFrame>(parent, name, 0, top, kWidth, height);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    // A press on a panel is the panel's, not the window background's.
    frame->setAttribute(Qt::WA_NoMousePropagation);
    return frame;
}

QPushButton *button(QWidget *parent, Control name, const QString &caption, const QString &hint, int x, int y,
                    int width = 90)
{
    auto *b = place<QPushButton>(parent, name, x, y, width, 25);
    b->setText(caption);
    b->setCursor(Qt::PointingHandCursor);
    if (!hint.isEmpty())
        setHint(b, hint);
    return b;
}

void colour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void setFontStyle(QLabel *label, bool bold, bool italic)
{
    QFont font = label->font();
    font.setBold(bold);
    font.setItalic(italic);
    label->setFont(font);
}

QAction *item(QMenu *menu, Control name, const QString &caption, const QString &hint)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(controlName(name));
    if (!hint.isEmpty())
        setHint(action, hint);
    return action;
}

void separator(QMenu *menu, Control name) { menu->addSeparator()->setObjectName(controlName(name)); }

QMenu *menu(QMenuBar *bar, Control name, const QString &caption, const QString &hint)
{
    QMenu *m = bar->addMenu(caption);
    m->setObjectName(controlName(name));
    setHint(m->menuAction(), hint);
    return m;
}
}  // namespace

void TForm1::buildSpeedBar()
{
    SpeedBar = area(centralWidget(), Control::SpeedBar, 0, 32);
    setHint(SpeedBar, QStringLiteral("Mauspalette"));
    setHelpContext(SpeedBar, 49);
    const auto speedButton = [this](Control name, const char *picture, int left, const QString &hint) {
        auto *b = place<QToolButton>(SpeedBar, name, left, 4, 25, 25);
        b->setIcon(speedButtonIcon(QLatin1String(picture)));
        b->setIconSize(QSize(SpeedButtonIconSize, SpeedButtonIconSize));
        b->setAutoRaise(true);
        b->setCursor(Qt::PointingHandCursor);
        b->setFocusPolicy(Qt::NoFocus);
        setHint(b, hint);
        return b;
    };
    sbOpen = speedButton(Control::sbOpen, "open", 5, QStringLiteral("Öffnen|Binärdatei öffnen"));
    sbUpdate = speedButton(Control::sbUpdate, "update", 35, QStringLiteral("Upload|Aktualisierten Code ans Gerät senden"));
    sbAbbruch = speedButton(Control::sbAbbruch, "abbruch", 65, QStringLiteral("Abbruch|Upload abbrechen"));
    sbComm = speedButton(Control::sbComm, "comm", 215, QStringLiteral("Einstellung|Schnittstelle parametrieren"));
    sbHilfe = speedButton(Control::sbHilfe, "hilfe", 380, QStringLiteral("Hilfe|Bedienungsanleitung lesen"));
    sbEnde = speedButton(Control::sbEnde, "ende", 440, QStringLiteral("Ende|Quillon beenden"));
}

void TForm1::buildMenus()
{
    QMenuBar *bar = menuBar();
    QMenu *mmDatei = menu(bar, Control::mmDatei, QStringLiteral("&Datei"), QStringLiteral("Dateimenü"));
    item(mmDatei, Control::smOpen, QStringLiteral("Ö&ffnen"), QStringLiteral("Updatedatei öffnen"));
    separator(mmDatei, Control::line);
    item(mmDatei, Control::smClose, QStringLiteral("&Beenden"), QStringLiteral("Quillon beenden"));

    QMenu *mmUpdate = menu(bar, Control::mmUpdate, QStringLiteral("&Upload"), QStringLiteral("Upload"));
    item(mmUpdate, Control::smUpdate, QStringLiteral("&Upload"), QStringLiteral("Starte Update"));
    item(mmUpdate, Control::smAbbruch, QStringLiteral("&Abbrechen"), QString());

    QMenu *mmEinstellungen = menu(bar, Control::mmEinstellungen, QStringLiteral("&Einstellungen"), QStringLiteral("Einstellungen"));
    item(mmEinstellungen, Control::smComm, QStringLiteral("S&chnittstelle"), QStringLiteral("Einstellungen an den Schnittstellen ändern"));

    QMenu *mmHilfe = menu(bar, Control::mmHilfe, QStringLiteral("&Hilfe"), QStringLiteral("Diverse Hilfen"));
    item(mmHilfe, Control::smHilfe, QStringLiteral("&Hilfe"), QStringLiteral("Hilfe zu Quillon"));
    separator(mmHilfe, Control::N2);
    item(mmHilfe, Control::smOrvhome, QStringLiteral("Orv im Internet"), QString());
    item(mmHilfe, Control::smNewVers, QStringLiteral("Auf &Update prüfen"), QStringLiteral("Im Internet auf Programmupdate prüfen"));
    separator(mmHilfe, Control::N1);
    item(mmHilfe, Control::smAbout, QStringLiteral("Inf&o"), QStringLiteral("Info über Quillon und Orv"));
}

void TForm1::buildFilePanel()
{
    pnFile = area(centralWidget(), Control::pnFile, 32, 72);
    btOpen = button(pnFile, Control::btOpen, QStringLiteral("Öffnen"), QStringLiteral("Quelldatei öffnen"), 8, 8, 75);
    setHelpContext(btOpen, 2);
    auto *lbFileName = placeLabel(pnFile, Control::lbFileName, QString(), 92, 13, 370);
    lbFileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    placeLabel(pnFile, Control::lbFileInfo, QString(), 92, 33, 280);
    lbConv = placeLabel(pnFile, Control::lbConv, QString(), 376, 33, 86);
    lbConv->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lbConv->setCursor(Qt::PointingHandCursor);
    auto *lbDSfGFile = placeLabel(pnFile, Control::lbDSfGFile, QString(), 296, 51, 166);
    lbDSfGFile->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    colour(lbDSfGFile, Qt::blue);
}

void TForm1::buildKrvPanel()
{
    pnKRV = area(centralWidget(), Control::pnKRV, 312, 81);
    btKRV = button(pnKRV, Control::btKRV, QStringLiteral("KRV-Info"), QStringLiteral("Version & Konfiguration des KRV's auslesen"), 8, 8);
    setHelpContext(btKRV, 3);
    btUpdate = button(pnKRV, Control::btUpdate, QStringLiteral("Upload"), QStringLiteral("Aktualisierten Code ans Gerät senden"), 106, 8);
    setHelpContext(btUpdate, 4);
    btAbbruch = button(pnKRV, Control::btAbbruch, QStringLiteral("Abbruch"), QStringLiteral("|Upload abbrechen"), 204, 8);
    btAbbruch->setFocusPolicy(Qt::NoFocus);  // not in the keyboard order
    // cbOnlyFabdata is a box of the options model; the panel places it here.
    pnFab->placeOnlyFabdata(pnKRV, 302, 12, 160, 20);

    auto *lbVersion = placeLabel(pnKRV, Control::lbVersion, QString(), 8, 42, 290);
    setFontStyle(lbVersion, true, false);
    colour(lbVersion, Qt::blue);
    placeLabel(pnKRV, Control::lbIntVersion, QString(), 8, 60, 290);
    auto *lbDSfG = placeLabel(pnKRV, Control::lbDSfG, QString(), 302, 42, 160);
    setFontStyle(lbDSfG, true, true);
    colour(lbDSfG, Qt::blue);
}

void TForm1::buildModemPanel()
{
    pnModem = area(centralWidget(), Control::pnModem, 396, 100);
    QFont fixedPitch = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixedPitch.setPointSize(font().pointSize());

    placeLabel(pnModem, Control::lbMoNr, QStringLiteral("Rufnummer des KRV's"), 8, 6, 200);
    auto *edRuf = place<QLineEdit>(pnModem, Control::edRuf, 8, 22, 200, 21);
    edRuf->setFont(fixedPitch);
    setHint(edRuf, QStringLiteral("Rufnummer der Zentrale"));
    btRuf = button(pnModem, Control::btRuf, QStringLiteral("Verbinden"), QStringLiteral("Verbindung zum KRV aufbauen"), 216, 20);

    placeLabel(pnModem, Control::lbMoIni, QStringLiteral("Modem-Initialisierung"), 8, 50, 200);
    auto *edInit = place<QLineEdit>(pnModem, Control::edInit, 8, 66, 200, 21);
    setHint(edInit, QStringLiteral("Initialisierung für Modem"));
    btInit = button(pnModem, Control::btInit, QStringLiteral("Initialisieren"), QStringLiteral("Modem Initialisieren"), 216, 64);
    for (QWidget *w : {static_cast<QWidget *>(edRuf), static_cast<QWidget *>(btRuf), static_cast<QWidget *>(edInit),
                       static_cast<QWidget *>(btInit)})
        setHelpContext(w, 7);

    auto *lbMoMeld = place<QLabel>(pnModem, Control::lbMoMeld, 316, 20, 146, 70);
    lbMoMeld->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbMoMeld->setWordWrap(true);
    colour(lbMoMeld, Qt::blue);
}

void TForm1::buildStatusBar()
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(controlName(Control::StatusBar));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(19);
    bar->setAttribute(Qt::WA_NoMousePropagation);
    for (int panel = 0; panel < 2; ++panel) {
        StatusPanels[panel] = new QLabel(bar);
        StatusPanels[panel]->setObjectName(controlName(panel == 0 ? Control::StatusPanel0 : Control::StatusPanel1));
        StatusPanels[panel]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        StatusPanels[panel]->setTextFormat(Qt::PlainText);
    }
    StatusPanels[0]->setFixedWidth(GuiFrontend::StatusPanel0Width);
    // No fixed accessible names: a screen reader reads what the panels show.
    StatusPanels[0]->setAccessibleDescription(QStringLiteral("Status"));
    StatusPanels[1]->setMinimumWidth(50);
    StatusPanels[1]->setAccessibleDescription(QStringLiteral("Details"));
    bar->addWidget(StatusPanels[0]);
    bar->addWidget(StatusPanels[1], 1);
    // The upload's share; the panels keep their texts beside it.
    pbUpload = new QProgressBar(bar);
    pbUpload->setObjectName(controlName(Control::pbUpload));
    pbUpload->setFixedWidth(UploadBarWidth);
    pbUpload->setTextVisible(false);
    pbUpload->setAccessibleName(QStringLiteral("Fortschritt"));
    bar->addPermanentWidget(pbUpload);
    setStatusBar(bar);
}
