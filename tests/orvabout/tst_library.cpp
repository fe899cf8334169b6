// The shared library as a host program meets it: loaded through the
// program's RUNPATH, exporting only its published names.
#include "orvabout/getnewversion.h"
#include "orvabout/orvabout.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTest>
#include <dlfcn.h>
#include <elf.h>
#include <link.h>

class TestLibrary : public QObject
{
    Q_OBJECT
private slots:
    void loadedFromTheBuildTreeThroughRunpath();
    void exportsOnlyThePublishedNames_data();
    void exportsOnlyThePublishedNames();
};

namespace {
QString libraryPath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&ShowOrvabout), &info) == 0 || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalFilePath();
}

// The program's DT_RUNPATH entry, or empty.
QString runpath()
{
    for (const ElfW(Dyn) *entry = _DYNAMIC; entry->d_tag != DT_NULL; ++entry)
        if (entry->d_tag == DT_RUNPATH)
            for (const ElfW(Dyn) *table = _DYNAMIC; table->d_tag != DT_NULL; ++table)
                if (table->d_tag == DT_STRTAB)
                    return QString::fromLocal8Bit(reinterpret_cast<const char *>(table->d_un.d_ptr) + entry->d_un.d_val);
    return {};
}
}  // namespace

void TestLibrary::loadedFromTheBuildTreeThroughRunpath()
{
    const QString library = libraryPath();
    QVERIFY2(library.contains(QLatin1String("/orvabout/liborvabout.so")), qPrintable(library));
    QVERIFY(qEnvironmentVariable("LD_LIBRARY_PATH").isEmpty() || !qEnvironmentVariable("LD_LIBRARY_PATH").contains("orvabout"));
    const QString folder = QFileInfo(library).canonicalPath();
    bool listed = false;
    for (const QString &entry : runpath().split(u':'))
        listed = listed || QFileInfo(entry).canonicalFilePath() == folder;
    QVERIFY2(listed, qPrintable(runpath()));
}

void TestLibrary::exportsOnlyThePublishedNames_data()
{
    QTest::addColumn<QByteArray>("symbol");
    QTest::addColumn<bool>("exported");
    QTest::newRow("ShowOrvabout") << QByteArray("ShowOrvabout") << true;
    QTest::newRow("GetNewVers") << QByteArray("GetNewVers") << true;
    QTest::newRow("OrvAboutBox") << QByteArray("OrvAboutBox") << true;
    QTest::newRow("AboutOrvBox") << QByteArray("AboutOrvBox") << true;
    QTest::newRow("TGetNewVers constructor") << QByteArray("_ZN11TGetNewVersC1EP7QWidget") << true;
    QTest::newRow("TGetNewVers::VersInfoToInt") << QByteArray("_ZN11TGetNewVers13VersInfoToIntERK7QString") << true;
    QTest::newRow("TGetNewVers::DownloadFile") << QByteArray("_ZN11TGetNewVers12DownloadFileERK7QStringS2_") << true;
    QTest::newRow("TGetNewVers type information") << QByteArray("_ZTI11TGetNewVers") << true;
    QTest::newRow("About box class stays inside") << QByteArray("_ZN12TOrvAboutBoxC1EP7QWidget") << false;
    QTest::newRow("static part stays inside") << QByteArray("_Z13versInfoToIntRK7QString") << false;
    QTest::newRow("widget stays inside") << QByteArray("_ZN10TURLButton16staticMetaObjectE") << false;
}

void TestLibrary::exportsOnlyThePublishedNames()
{
    QFETCH(QByteArray, symbol);
    QFETCH(bool, exported);
    void *library = dlopen(libraryPath().toLocal8Bit().constData(), RTLD_NOW | RTLD_NOLOAD);
    QVERIFY(library);
    QCOMPARE(dlsym(library, symbol.constData()) != nullptr, exported);
    dlclose(library);
}

QTEST_MAIN(TestLibrary)
#include "tst_library.moc"
