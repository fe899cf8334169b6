// The main window's entries into the Orvabout library: update check, About
// box, the maker's home page.
#include "mainwindow/form1.h"
#include "orvabout/getnewversion.h"
#include "orvabout/makerlinks.h"
#include "orvabout/orvabout.h"

#include <QDesktopServices>
#include <QUrl>

void TForm1::smNewVersClick()
{
    GetNewVers->CanInstall = true;
    if (GetNewVers->exec() != TGetNewVers::ResultOK)
        return;
    // The installer runs: end at once, without the exit step (no settings written).
    station.link.cancel();
    terminate();
}

void TForm1::smAboutClick()
{
    ShowOrvabout();
}

void TForm1::btOpenMouseDown(Qt::MouseButton button)
{
    if (button == Qt::RightButton)
        ShowOrvabout();
}

void TForm1::smOrvhomeClick()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(OrvHomePage)));
}
