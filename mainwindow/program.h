#pragma once
#include "mainwindow/comdialog.h"
#include "mainwindow/form1.h"
#include "mainwindow/formcom.h"
#include "mainwindow/formpw.h"
#include "mainwindow/helpwindow.h"
#include "orvabout/getnewversion.h"

// The program's windows, made once in their order and kept until the end.
class Program {
public:
    explicit Program(const QString &settingsPath);
    ~Program();

    // Shows the main window and runs its start-up; then, once the link is
    // chosen, loads file when one is given. Afterwards form1.terminated()
    // says whether the user ended the program there.
    void start(const QString &file = {});

    // The manual's window; tests may hand the main window another viewer.
    HelpWindow help;
    TForm1 form1;
    TCommDialog commDialog{&form1};
    TComForm comForm{form1.station.Comm1, &form1};
    TPwForm pwForm{&form1};
    // The shared web-update window of the Orvabout library (GetNewVers).
    TGetNewVers getNewVers{&form1};
};
