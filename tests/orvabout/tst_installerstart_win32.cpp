// A saved installer is started through the shell's "open", as a user's
// double click would start it: the program it names runs; a file that is
// not there starts nothing and says so.
#include "orvabout/installerstart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestInstallerStartWin32 : public QObject {
    Q_OBJECT
private slots:
    void startsWhatTheShellOpens()
    {
        QTemporaryDir dir;
        // A batch file stands in for Quillon-Setup-<version>.exe: the shell
        // opens both by running them.
        const QString marker = QDir::toNativeSeparators(dir.filePath(QStringLiteral("installed.txt")));
        QFile setup(dir.filePath(QStringLiteral("Quillon-Setup.cmd")));
        QVERIFY(setup.open(QIODevice::WriteOnly));
        setup.write(QStringLiteral("@echo started> \"%1\"\r\n").arg(marker).toLocal8Bit());
        setup.close();

        QVERIFY(startInstaller(setup.fileName()));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(marker), 60000);
        // Gone once the batch file has ended.
        QTRY_VERIFY_WITH_TIMEOUT(dir.remove(), 60000);
    }

    void missingFileStartsNothing()
    {
        QTemporaryDir dir;
        QVERIFY(!startInstaller(dir.filePath(QStringLiteral("Quillon-Setup-9.9.9.9.exe"))));
    }
};

QTEST_GUILESS_MAIN(TestInstallerStartWin32)
#include "tst_installerstart_win32.moc"
