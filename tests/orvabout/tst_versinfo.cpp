// The version reader on version data with missing and empty entries (a host
// without any data: see the About box test).
#include "orvabout/versinfo.h"

#include <QMetaProperty>
#include <QTemporaryDir>
#include <QTest>

class TestVersInfo : public QObject
{
    Q_OBJECT
private slots:
    void entries_data();
    void entries();
};

void TestVersInfo::entries_data()
{
    QTest::addColumn<QByteArray>("translation");
    QTest::addColumn<QString>("expected");
    QTest::newRow("German, Windows-1252")
        << QByteArray("0x04E40407")
        << "040704E4|Orv|No FileDescription|3.2.0.15|Quillon|(c) Orv|No LegalTrademarks|quillon|Quillon|3.2|No Comments";
    QTest::newRow("texts under another translation")
        << QByteArray("0x04B00409")
        << "040904B0|No CompanyName|No FileDescription|No FileVersion|No InternalName|No LegalCopyright|"
           "No LegalTrademarks|No OriginalFilename|No ProductName|No ProductVersion|No Comments";
}

void TestVersInfo::entries()
{
    QFETCH(QByteArray, translation);
    QFETCH(QString, expected);
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("versinfo.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[VarFileInfo]\nTranslation=" + translation + "\n[StringFileInfo\\040704E4]\n"
               "CompanyName=Orv\nFileDescription=\nFileVersion=3.2.0.15\ninternalname=Quillon\n"
               "LegalCopyright=(c) Orv\nOriginalFilename=quillon\nProductName=Quillon\nProductVersion=3.2\n");
    file.close();

    const TVersInfo info(file.fileName(), nullptr);
    QStringList values;
    for (int i = info.metaObject()->propertyOffset(); i < info.metaObject()->propertyCount(); ++i)
        values << info.metaObject()->property(i).read(&info).toString();
    QCOMPARE(values.join(u'|'), expected);
}

QTEST_MAIN(TestVersInfo)
#include "tst_versinfo.moc"
