// Where the Windows program keeps its settings: a quillon.INI beside
// quillon.exe when there is one (a copy on a USB stick brings its own),
// else %APPDATA%\Quillon\quillon.INI, made on the first write.
#include "settings/inifile.h"
#include "settings/programsettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString appDataFile()
{
    return QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")) + QStringLiteral("/Quillon/quillon.INI");
}

bool touch(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}
}  // namespace

class TestProgramSettingsWin32 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("APPDATA"), "APPDATA not set");
        // This prefix's own folder, left as the test found it.
        QVERIFY(!QFileInfo::exists(appDataFile()));
    }

    void settingsFilePath_data()
    {
        QTest::addColumn<QString>("besideName");  // a file beside quillon.exe; empty: none
        QTest::addColumn<QString>("expected");    // relative: beside the program
        QTest::newRow("quillon.INI beside the program") << "quillon.INI" << "quillon.INI";
        // Names on Windows are case-blind: the program's name with ".INI".
        QTest::newRow("other spelling beside the program") << "QUILLON.ini" << "quillon.INI";
        QTest::newRow("nothing beside the program") << "" << appDataFile();
        QTest::newRow("another program's file") << "quillon-cli.INI" << appDataFile();
    }

    void settingsFilePath()
    {
        QFETCH(QString, besideName);
        QFETCH(QString, expected);
        QTemporaryDir folder;
        QVERIFY(touch(folder.filePath(QStringLiteral("quillon.exe"))));
        if (!besideName.isEmpty())
            QVERIFY(touch(folder.filePath(besideName)));
        const QString path = ::settingsFilePath(QString(), folder.filePath(QStringLiteral("quillon.exe")));
        QCOMPARE(path, QFileInfo(expected).isAbsolute() ? expected : folder.filePath(expected));
    }

    void appDataFolderIsMadeOnWrite()
    {
        const QString path = ::settingsFilePath(QString(), QString());
        QCOMPARE(path, appDataFile());
        TIniFile ini(path);
        ProgramSettings settings;
        settings.COM = QStringLiteral("COM3");
        settings.save(ini);
        const bool written = ini.UpdateFile();
        const ProgramSettings back = ProgramSettings::load(TIniFile(path));
        QDir(QFileInfo(path).absolutePath()).removeRecursively();
        QVERIFY2(written, qPrintable(ini.errorString()));
        QCOMPARE(back.COM, QStringLiteral("COM3"));
    }
};

QTEST_GUILESS_MAIN(TestProgramSettingsWin32)
#include "tst_programsettings_win32.moc"
