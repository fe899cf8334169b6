// Quillon: loads new firmware into KRV470 and KRV465 devices.
#include "mainwindow/controls.h"
#include "mainwindow/program.h"
#include "settings/programsettings.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillon"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Firmware-Update für KRV470 und KRV465"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption settings(QStringLiteral("settings"), QStringLiteral("Diese Einstellungsdatei verwenden."),
                                      QStringLiteral("FILE"));
    parser.addOption(settings);
    parser.process(app);

    // The program speaks German; so do Qt's own dialogs and buttons.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    try {
        Program program(settingsFilePath(parser.value(settings), QCoreApplication::applicationFilePath()));
        // Ends every event loop, nested ones included: no window is asked again.
        QObject::connect(&program.form1, &TForm1::programEnded, &app, [] { QCoreApplication::exit(0); });
        program.start();
        if (!program.form1.terminated())
            app.exec();
    } catch (const std::exception &e) {
        QMessageBox::critical(nullptr, applicationTitle(), QString::fromLocal8Bit(e.what()));
    }
    return 0;
}
