// The version reader: a host without version data, and version data with
// missing and empty entries.
#include "orvabout/versinfo.h"

#include <QMetaProperty>
#include <QTemporaryDir>
#include <QTest>

class TestVersInfo : public QObject
{
    Q_OBJECT
private slots:
    void hostWithoutVersionDataGivesElevenEmptyTexts();
    void entries_data();
    void entries();
};

namespace {
QStringList values(const TVersInfo &info)
{
    QStringList result;
    const QMetaObject *meta = info.metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        result << QString::fromLatin1(meta->property(i).name()) + '=' + meta->property(i).read(&info).toString();
    return result;
}
}  // namespace

void TestVersInfo::hostWithoutVersionDataGivesElevenEmptyTexts()
{
    // This test program carries no version data.
    const TVersInfo info;
    QCOMPARE(values(info), (QStringList{"LangCharset=", "CompanyName=", "FileDescription=", "FileVersion=",
                                        "InternalName=", "LegalCopyright=", "LegalTrademarks=", "OriginalFilename=",
                                        "ProductName=", "ProductVersion=", "Comments="}));
}

void TestVersInfo::entries_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("expected");
    const QByteArray strings = "CompanyName=Orv Software\nFileDescription=Flash\nFileVersion=3.2.0.15\n"
                               "InternalName=Quillon\nLegalCopyright=(c) Orv\nLegalTrademarks=\n"
                               "OriginalFilename=quillon\nProductName=Quillon\nProductVersion=3.2\n";
    QTest::newRow("German, Windows-1252; no Comments, empty trademarks")
        << "[VarFileInfo]\nTranslation=0x04E40407\n[StringFileInfo\\040704E4]\n" + strings
        << QStringList{"LangCharset=040704E4", "CompanyName=Orv Software", "FileDescription=Flash",
                       "FileVersion=3.2.0.15", "InternalName=Quillon", "LegalCopyright=(c) Orv",
                       "LegalTrademarks=No LegalTrademarks", "OriginalFilename=quillon", "ProductName=Quillon",
                       "ProductVersion=3.2", "Comments=No Comments"};
    QTest::newRow("texts under another translation are not this one's")
        << "[VarFileInfo]\nTranslation=0x04B00409\n[StringFileInfo\\040704E4]\n" + strings
        << QStringList{"LangCharset=040904B0", "CompanyName=No CompanyName", "FileDescription=No FileDescription",
                       "FileVersion=No FileVersion", "InternalName=No InternalName",
                       "LegalCopyright=No LegalCopyright", "LegalTrademarks=No LegalTrademarks",
                       "OriginalFilename=No OriginalFilename", "ProductName=No ProductName",
                       "ProductVersion=No ProductVersion", "Comments=No Comments"};
}

void TestVersInfo::entries()
{
    QFETCH(QByteArray, data);
    QFETCH(QStringList, expected);
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("versinfo.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
    file.close();
    QCOMPARE(values(TVersInfo(file.fileName(), nullptr)), expected);
}

QTEST_MAIN(TestVersInfo)
#include "tst_versinfo.moc"
