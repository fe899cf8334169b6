#include "settings/inifile.h"
#include "settings/programsettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

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
    ProgramSettings s{"2007", "12345678", -1, 2, "/home/service/KRV470 Stand.hex", "/dev/ttyUSB0", 1, "8001", "127.0.0.1"};
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
    QVERIFY(QDir().mkpath(bin));
    const QString plainFile = m_dir.filePath(QStringLiteral("plain"));
    QFile plain(plainFile);
    QVERIFY(plain.open(QIODevice::WriteOnly));

    QTest::newRow("explicit path wins") << "/etc/quillon/own.ini" << bin + "/quillon" << "/etc/quillon/own.ini";
    QTest::newRow("program without extension") << "" << bin + "/quillon" << bin + "/quillon.INI";
    QTest::newRow("extension replaced") << "" << bin + "/Quillon.v2.exe" << bin + "/Quillon.v2.INI";
    QTest::newRow("missing folder") << "" << m_dir.filePath(QStringLiteral("gone/quillon")) << configFile();
    QTest::newRow("folder is a file") << "" << plainFile + "/quillon" << configFile();
    QTest::newRow("read-only folder") << "" << m_dir.filePath(QStringLiteral("ro/quillon")) << configFile();
}

void TestProgramSettings::settingsFilePath()
{
    QFETCH(QString, explicitPath);
    QFETCH(QString, programPath);
    QFETCH(QString, expected);

    const QString readOnly = m_dir.filePath(QStringLiteral("ro"));
    if (programPath.startsWith(readOnly)) {
        if (geteuid() == 0)
            QSKIP("permission bits do not stop root");
        QVERIFY(QDir().mkpath(readOnly));
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));
    }
    QCOMPARE(::settingsFilePath(explicitPath, programPath), expected);
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
