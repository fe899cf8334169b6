#include "mainwindow/orvmenu.h"

#include "orvabout/getnewversion.h"
#include "orvabout/makerlinks.h"
#include "orvabout/orvabout.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

void createSharedUpdateWindow(QWidget *mainWindow)
{
    GetNewVers = new TGetNewVers(mainWindow);
}

bool showSharedUpdateWindow()
{
    GetNewVers->CanInstall = true;
    return GetNewVers->exec() == TGetNewVers::ResultOK;
}

void showAboutBox()
{
    ShowOrvabout();
}

bool aboutOnRightPress(const QMouseEvent &event)
{
    if (event.button() != Qt::RightButton)
        return false;
    ShowOrvabout();
    return true;
}

void openOrvHomePage()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(OrvHomePage)));
}
