// The version reader on Windows reads the version resource of the running
// program (this test carries the resource quillon.exe carries), of another
// file (the Orvabout library's own) and of a file without one.
#include "orvabout/versinfo.h"

#include <QDir>
#include <QFile>
#include <QMetaProperty>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

namespace {
QString valuesOf(const TVersInfo &info)
{
    QStringList values;
    for (int i = info.metaObject()->propertyOffset(); i < info.metaObject()->propertyCount(); ++i)
        values << info.metaObject()->property(i).read(&info).toString();
    return values.join(u'|');
}

// The library as the program finds it, along the search path.
QString libraryPath()
{
    wchar_t path[MAX_PATH];
    const DWORD n = SearchPathW(nullptr, L"liborvabout.dll", nullptr, MAX_PATH, path, nullptr);
    return n > 0 && n < MAX_PATH ? QString::fromWCharArray(path, int(n)) : QString();
}
}  // namespace

class TestVersInfoWin32 : public QObject {
    Q_OBJECT
private slots:
    void runningProgram()
    {
        const QString version = QStringLiteral(QUILLON_VERSION);
        QCOMPARE(valuesOf(TVersInfo()),
                 QStringLiteral("040704E4|Orv Software|Firmware-Update für KRV470 und KRV465|%1|Quillon|"
                                "Copyright © 2026 Orv Software|No LegalTrademarks|test_orvabout_versinfo_win32.exe|Quillon|%1|"
                                "Flash-Update über RS-232, Modem oder TCP")
                     .arg(version));
    }

    void otherFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        const QString library = libraryPath();
        QVERIFY2(!library.isEmpty(), "liborvabout.dll not on the search path");
        QTest::newRow("the library") << library
                                     << QStringLiteral("040704E4|Orv Software|About-Box und Web-Update|%1|Orvabout|"
                                                       "Copyright © 2026 Orv Software|No LegalTrademarks|liborvabout.dll|"
                                                       "Quillon|%1|Bibliothek von Quillon")
                                            .arg(QStringLiteral(QUILLON_VERSION));
        QTest::newRow("a file without version resource") << QStringLiteral("plain.txt") << QStringLiteral("||||||||||");
        QTest::newRow("a missing file") << QStringLiteral("gone.exe") << QStringLiteral("||||||||||");
    }

    void otherFiles()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QFile plain(dir.filePath(QStringLiteral("plain.txt")));
        QVERIFY(plain.open(QIODevice::WriteOnly) && plain.write("no resource\n") > 0);
        plain.close();
        const QString file = QFileInfo(path).isAbsolute() ? path : dir.filePath(path);
        QCOMPARE(valuesOf(TVersInfo(file, nullptr)), expected);
    }
};

QTEST_GUILESS_MAIN(TestVersInfoWin32)
#include "tst_versinfo_win32.moc"
