// The shared library as a host program meets it: loaded through the
// program's RUNPATH, exporting only its published names.
#include "orvabout/orvabout.h"

#include <QFileInfo>
#include <QTest>
#include <dlfcn.h>
#include <link.h>

class TestLibrary : public QObject
{
    Q_OBJECT
private slots:
    void loadedThroughRunpath();
    void exports_data();
    void exports();
};

namespace {
QString libraryPath()
{
    Dl_info info{};
    dladdr(reinterpret_cast<void *>(&ShowOrvabout), &info);
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalFilePath();
}

// This program's DT_RUNPATH.
QString runpath()
{
    const char *strings = nullptr;
    ElfW(Addr) offset = 0;
    for (const ElfW(Dyn) *entry = _DYNAMIC; entry->d_tag != DT_NULL; ++entry) {
        if (entry->d_tag == DT_STRTAB)
            strings = reinterpret_cast<const char *>(entry->d_un.d_ptr);
        if (entry->d_tag == DT_RUNPATH)
            offset = entry->d_un.d_val;
    }
    return strings && offset ? QString::fromLocal8Bit(strings + offset) : QString();
}
}  // namespace

void TestLibrary::loadedThroughRunpath()
{
    QVERIFY(!qEnvironmentVariable("LD_LIBRARY_PATH").contains(QLatin1String("orvabout")));
    const QString library = libraryPath();
    QVERIFY2(library.contains(QLatin1String("/orvabout/liborvabout.so")), qPrintable(library));
    QVERIFY2(runpath().split(u':').contains(QFileInfo(library).path()), qPrintable(runpath()));
}

void TestLibrary::exports_data()
{
    QTest::addColumn<QByteArray>("symbol");
    QTest::addColumn<bool>("exported");
    for (const char *name : {"ShowOrvabout", "GetNewVers", "OrvAboutBox", "AboutOrvBox",
                             "_ZN11TGetNewVersC1EP7QWidget", "_ZN11TGetNewVers13VersInfoToIntERK7QString",
                             "_ZN11TGetNewVers12DownloadFileERK7QStringS2_", "_ZTI11TGetNewVers"})
        QTest::newRow(name) << QByteArray(name) << true;
    // These exist inside the library (nm shows them) but stay private.
    for (const char *name : {"_ZN12TOrvAboutBoxC1EP7QWidget", "_Z13versInfoToIntRK7QString",
                             "_ZN10TURLButton16staticMetaObjectE"})
        QTest::newRow(name) << QByteArray(name) << false;
}

void TestLibrary::exports()
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
