#include "settings/inifile.h"
#include "settings/programsettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>


class TestProgramSettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void missingFileGivesTheDefaults();
    void newFileHasTheTableOrder();
    void handEditedFile_data();
    void handEditedFile();
    void settingsFilePath_data();
    void settingsFilePath();
    void withoutXdgConfigHomeTheHomeFolder();
    void configurationFolderIsMadeOnWrite();

private:
    QString configFile() const { return m_config.path() + QStringLiteral("/quillon/quillon.INI"); }
    QTemporaryDir m_dir;
    QTemporaryDir m_config;
};

void TestProgramSettings::initTestCase()
{
    QVERIFY(m_dir.isValid() && m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    QCoreApplication::setOrganizationName(QString());
    QCoreApplication::setApplicationName(QStringLiteral("quillon"));
}

void TestProgramSettings::missingFileGivesTheDefaults()
{
    const ProgramSettings s = ProgramSettings::load(TIniFile(m_dir.filePath(QStringLiteral("missing.INI"))));
    QCOMPARE((QStringList{s.Name, s.COM, s.Port, s.IP}), (QStringList{"", "COM1", "8000", "192.168.0.100"}));
    QCOMPARE((QList<int>{s.FW, s.Filter, s.Ethernet}), (QList<int>{0, 0, 0}));
}

void TestProgramSettings::newFileHasTheTableOrder()
{
    const QString path = m_dir.filePath(QStringLiteral("new.INI"));
    ProgramSettings s{"2007", "12345678", -1, 2, "/home/service/KRV470 Stand.hex", "/dev/ttyUSB0", 1, "8001", "127.0.0.1", {}};
    TIniFile ini(path);
    s.save(ini);
    QVERIFY2(ini.UpdateFile(), qPrintable(ini.errorString()));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[Code]\nBaujahr=2007\nFabNr=12345678\nFW=-1\n"
                                        "[File]\nFilter=2\nName=/home/service/KRV470 Stand.hex\n"
                                        "[Connection]\nCOM=/dev/ttyUSB0\nEthernet=1\nPort=8001\nIP=127.0.0.1\n"));
    // Year and factory number are not read back: both fields start empty.
    s.Baujahr.clear();
    s.FabNr.clear();
    QVERIFY(ProgramSettings::load(TIniFile(path)) == s);
}

void TestProgramSettings::handEditedFile_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("fw");
    QTest::addColumn<int>("ethernet");
    QTest::addColumn<QString>("ip");

    QTest::newRow("other case, blanks, CR LF")
        << QByteArray("[CONNECTION]\r\n ethernet = 1 \r\nip = 127.0.0.1\r\n[code]\r\nfw=3\r\n") << 3 << 1 << "127.0.0.1";
    QTest::newRow("Ethernet other than 0 and 1 kept") << QByteArray("[Connection]\nEthernet=2\n") << 0 << 2 << "192.168.0.100";
    QTest::newRow("bad integers give the defaults")
        << QByteArray("[Code]\nFW=drei\n[Connection]\nEthernet=ja\n") << 0 << 0 << "192.168.0.100";
}

void TestProgramSettings::handEditedFile()
{
    QFETCH(QByteArray, text);
    QFETCH(int, fw);
    QFETCH(int, ethernet);
    QFETCH(QString, ip);

    QFile file(m_dir.filePath(QStringLiteral("edited.INI")));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size());
    file.close();
    ProgramSettings expected;
    expected.FW = fw;
    expected.Ethernet = ethernet;
    expected.IP = ip;
    QVERIFY(ProgramSettings::load(TIniFile(file.fileName())) == expected);
}

void TestProgramSettings::settingsFilePath_data()
{
    QTest::addColumn<QString>("explicitPath");
    QTest::addColumn<QString>("programPath");
    QTest::addColumn<QString>("expected");

    const QString bin = m_dir.filePath(QStringLiteral("bin"));
    const QString portable = m_dir.filePath(QStringLiteral("portable"));
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(portable));
    for (const QString &existing : {portable + "/quillon.INI", portable + "/Quillon.v2.INI"}) {
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir().mkpath(portable + "/folder.INI"));

    QTest::newRow("explicit path wins") << "/etc/quillon/own.ini" << portable + "/quillon" << "/etc/quillon/own.ini";
    QTest::newRow("existing file beside the program") << "" << portable + "/quillon" << portable + "/quillon.INI";
    QTest::newRow("extension replaced") << "" << portable + "/Quillon.v2.exe" << portable + "/Quillon.v2.INI";
    QTest::newRow("writable folder without a file") << "" << bin + "/quillon" << configFile();
    QTest::newRow("a folder of that name is no file") << "" << portable + "/folder" << configFile();
    QTest::newRow("missing folder") << "" << m_dir.filePath(QStringLiteral("gone/quillon")) << configFile();
    QTest::newRow("no program path") << "" << "" << configFile();
}

void TestProgramSettings::settingsFilePath()
{
    QFETCH(QString, explicitPath);
    QFETCH(QString, programPath);
    QFETCH(QString, expected);
    QCOMPARE(::settingsFilePath(explicitPath, programPath), expected);
}

void TestProgramSettings::withoutXdgConfigHomeTheHomeFolder()
{
    QTemporaryDir home;
    const QByteArray savedHome = qgetenv("HOME"), savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("XDG_CONFIG_HOME");
    const QString path = ::settingsFilePath(QString(), m_dir.filePath(QStringLiteral("bin/quillon")));
    qputenv("HOME", savedHome);
    qputenv("XDG_CONFIG_HOME", savedConfig);
    QCOMPARE(path, home.path() + QStringLiteral("/.config/quillon/quillon.INI"));
}

void TestProgramSettings::configurationFolderIsMadeOnWrite()
{
    const QString path = ::settingsFilePath(QString(), m_dir.filePath(QStringLiteral("gone/quillon")));
    QCOMPARE(path, configFile());
    TIniFile ini(path);
    ProgramSettings settings;
    settings.Port = QStringLiteral("8123");
    settings.save(ini);
    QVERIFY2(ini.UpdateFile(), qPrintable(ini.errorString()));
    QCOMPARE(ProgramSettings::load(TIniFile(path)).Port, QStringLiteral("8123"));
}

QTEST_GUILESS_MAIN(TestProgramSettings)
#include "tst_programsettings.moc"
