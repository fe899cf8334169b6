#include "mainwindow/program.h"

#include "mainwindow/windowplacement.h"
#include "orvabout/orvabout.h"

Program::Program(const QString &settingsPath) : form1(settingsPath)
{
    form1.attach(&commDialog, &comForm, &pwForm);
    form1.setHelpViewer(&help);
    help.setAnchor(&form1);
    GetNewVers = &getNewVers;
}

Program::~Program()
{
    GetNewVers = nullptr;
}

void Program::start()
{
    centreOnScreen(form1);
    form1.show();
    form1.FormShow();
}
