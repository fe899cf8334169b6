// Quillon: loads new firmware into KRV470 and KRV465 devices.
#include "mainwindow/controls.h"
#include "mainwindow/displayguard.h"
#include "mainwindow/program.h"
#include "mainwindow/startoptions.h"
#include "orvabout/versinfo.h"
#include "settings/programsettings.h"
#include "settings/userfolder.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QSettings>
#include <QTextStream>
#include <QTranslator>

#include <memory>

int main(int argc, char *argv[])
{
    // Read before the application object exists: it needs a display, and
    // --help and --version must answer without one.
    QStringList words;
    for (int i = 0; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    const StartOptions start = parseStartOptions(words);
    switch (start.want) {
    case StartOptions::Want::Help:
        QTextStream(stdout) << startHelpText();
        return 0;
    case StartOptions::Want::Version:
        QTextStream(stdout) << "quillon " << TVersInfo().FileVersion() << "\n";
        return 0;
    case StartOptions::Want::Error:
        QTextStream(stderr) << "quillon: " << start.error << "\nHilfe: quillon --help\n";
        return 2;
    case StartOptions::Want::Run:
        break;
    }

    auto guard = std::make_unique<DisplayGuard>();
    QApplication app(argc, argv);
    guard.reset();
    // Qt's file dialogs keep their history in Qt's user settings: in the
    // program's own folder, not in QtProject.conf among every Qt program's.
    const QString ownFolder = QFileInfo(userSettingsFile()).absolutePath();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, ownFolder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, ownFolder);
    // The window's class and the desktop entry's name: a dock matches the
    // window with the menu entry and its icon.
    QApplication::setApplicationName(QStringLiteral("quillon"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("example.orv.quillon"));

    // The program speaks German; so do Qt's own dialogs and buttons.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    try {
        Program program(settingsFilePath(start.settingsPath, QCoreApplication::applicationFilePath()));
        // Ends every event loop, nested ones included: no window is asked again.
        QObject::connect(&program.form1, &TForm1::programEnded, &app, [] { QCoreApplication::exit(0); });
        program.start(start.file);
        if (!program.form1.terminated())
            app.exec();
    } catch (const std::exception &e) {
        QMessageBox::critical(nullptr, applicationTitle(), QString::fromLocal8Bit(e.what()));
    }
    return 0;
}
