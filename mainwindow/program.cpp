#include "mainwindow/program.h"

#include "orvabout/orvabout.h"

Program::Program(const QString &settingsPath) : form1(settingsPath)
{
    form1.attach(&commDialog, &comForm, &pwForm);
    form1.setHelpViewer(&help);
    GetNewVers = &getNewVers;
}

Program::~Program()
{
    GetNewVers = nullptr;
}

void Program::start(const QString &file)
{
    form1.show();
    form1.FormShow();
    if (!file.isEmpty() && !form1.terminated())
        form1.openAtStart(file);
}
