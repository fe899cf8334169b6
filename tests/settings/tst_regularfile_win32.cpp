// On Windows, too, files a user names are read and written only as regular
// files, and written atomically: a device name (NUL) or a folder stays as it
// was, a file that must be new replaces nothing, a replaced file keeps its
// attributes, a read-only file counts as write-protected and the settings
// file leaves it so. No temporary file is left behind.
#include "settings/inifile.h"
#include "settings/regularfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

namespace {
enum class Thing { Nothing, Regular, Folder, Device };

const QByteArray kEarlier = "earlier\n";

bool make(Thing thing, const QString &path)
{
    switch (thing) {
    case Thing::Nothing:
    case Thing::Device: return true;
    case Thing::Regular: {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(kEarlier) == kEarlier.size();
    }
    case Thing::Folder: return QDir().mkdir(path);
    }
    return false;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::wstring native(const QString &path) { return QDir::toNativeSeparators(path).toStdWString(); }

DWORD attributesOf(const QString &path) { return GetFileAttributesW(native(path).c_str()); }

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}
}  // namespace

Q_DECLARE_METATYPE(Thing)
Q_DECLARE_METATYPE(Replace)

class TestRegularFileWin32 : public QObject {
    Q_OBJECT
private slots:
    void writesOnlyRegularFiles_data()
    {
        QTest::addColumn<Thing>("thing");
        QTest::addColumn<Replace>("replace");
        QTest::addColumn<QString>("problem");  // empty: written

        QTest::newRow("new file") << Thing::Nothing << Replace::RegularFile << QString();
        QTest::newRow("new file, must be new") << Thing::Nothing << Replace::Nothing << QString();
        QTest::newRow("earlier file replaced") << Thing::Regular << Replace::RegularFile << QString();
        QTest::newRow("folder") << Thing::Folder << Replace::RegularFile << "ist ein Verzeichnis";
        QTest::newRow("device name") << Thing::Device << Replace::RegularFile << "ist eine Gerätedatei, keine normale Datei";
        QTest::newRow("must be new: earlier file") << Thing::Regular << Replace::Nothing << "gibt es schon";
        QTest::newRow("must be new: folder") << Thing::Folder << Replace::Nothing << "gibt es schon";
    }

    void writesOnlyRegularFiles()
    {
        QFETCH(Thing, thing);
        QFETCH(Replace, replace);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        // NUL is the device in every folder; it swallows what is written.
        const QString path = dir.filePath(thing == Thing::Device ? QStringLiteral("NUL") : QStringLiteral("record.json"));
        QVERIFY(make(thing, path));
        const QStringList before = filesIn(dir.path());
        const QByteArray bytes = "{\"record\": 1}\n";

        const QString result = writeFileAtomically(path, bytes, replace);

        if (problem.isEmpty()) {
            QVERIFY2(result.isEmpty(), qPrintable(result));
            QCOMPARE(contentOf(path), bytes);
            QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("record.json")});
        } else {
            QCOMPARE(result, QDir::toNativeSeparators(path) + QStringLiteral(": ") + problem);
            if (thing == Thing::Regular)
                QCOMPARE(contentOf(path), kEarlier);
            QCOMPARE(filesIn(dir.path()), before);
        }
    }

    void readsOnlyRegularFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("problem");  // empty: opened and read
        QTest::newRow("regular file") << "fw.bin" << QString();
        QTest::newRow("missing file") << "gone.bin" << "Datei nicht gefunden";
        QTest::newRow("folder") << "folder" << "ist ein Verzeichnis";
        QTest::newRow("device") << "NUL" << "ist eine Gerätedatei, keine normale Datei";
    }

    void readsOnlyRegularFiles()
    {
        QFETCH(QString, name);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        QVERIFY(make(Thing::Regular, dir.filePath(QStringLiteral("fw.bin"))));
        QVERIFY(make(Thing::Folder, dir.filePath(QStringLiteral("folder"))));
        QFile file;
        QCOMPARE(openRegularFile(file, dir.filePath(name)), problem);
        if (problem.isEmpty()) {
            QCOMPARE(file.readAll(), kEarlier);
            QCOMPARE(readProblem(dir.filePath(name)), QStringLiteral("nicht lesbar"));
        } else {
            QCOMPARE(readProblem(dir.filePath(name)), problem);
        }
    }

    // ReplaceFileW hands the replaced file's attributes to the new one, as
    // the other platform keeps mode and owner.
    void replacedFileKeepsItsAttributes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quillon.INI"));
        QVERIFY(make(Thing::Regular, path));
        QVERIFY(SetFileAttributesW(native(path).c_str(), FILE_ATTRIBUTE_HIDDEN));
        QCOMPARE(writeFileAtomically(path, "[Code]\n", Replace::RegularFile), QString());
        QCOMPARE(contentOf(path), QByteArray("[Code]\n"));
        QVERIFY(attributesOf(path) & FILE_ATTRIBUTE_HIDDEN);
        QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("quillon.INI")});
    }

    void readOnlyFileIsWriteProtected()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quillon.INI"));
        QVERIFY(make(Thing::Regular, path));
        QVERIFY(!isWriteProtected(path));
        QVERIFY(!isWriteProtected(dir.filePath(QStringLiteral("gone.INI"))));
        QVERIFY(SetFileAttributesW(native(path).c_str(), FILE_ATTRIBUTE_READONLY));
        QVERIFY(isWriteProtected(path));

        TIniFile ini(path);
        ini.WriteString(QStringLiteral("Connection"), QStringLiteral("COM"), QStringLiteral("COM3"));
        QVERIFY(!ini.UpdateFile());
        QCOMPARE(ini.errorString(), QDir::toNativeSeparators(path) + QStringLiteral(" ist schreibgeschützt und bleibt unverändert."));
        QCOMPARE(contentOf(path), kEarlier);
        // Even without that check the system refuses: the file stays.
        QCOMPARE(writeFileAtomically(path, "x", Replace::RegularFile), QDir::toNativeSeparators(path) + QStringLiteral(": Zugriff verweigert"));
        QCOMPARE(contentOf(path), kEarlier);
        QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("quillon.INI")});
        SetFileAttributesW(native(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    }

    void missingFolder()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("gone"));
        QCOMPARE(writeFileAtomically(folder + QStringLiteral("/fw.BIN"), "x", Replace::RegularFile),
                 QDir::toNativeSeparators(folder + QStringLiteral("/fw.BIN")) + QStringLiteral(": Verzeichnis ")
                     + QDir::toNativeSeparators(folder) + QStringLiteral(" gibt es nicht"));
    }

    void sameFileWhateverTheSpelling_data()
    {
        QTest::addColumn<QString>("other");
        QTest::addColumn<bool>("same");
        QTest::newRow("other case") << "FW.BIN" << true;
        QTest::newRow("through a dot folder") << "sub/../fw.bin" << true;
        QTest::newRow("another file") << "other.bin" << false;
        QTest::newRow("a missing file") << "gone.bin" << false;
    }

    void sameFileWhateverTheSpelling()
    {
        QFETCH(QString, other);
        QFETCH(bool, same);
        QTemporaryDir dir;
        QVERIFY(make(Thing::Regular, dir.filePath(QStringLiteral("fw.bin"))));
        QVERIFY(make(Thing::Regular, dir.filePath(QStringLiteral("other.bin"))));
        QVERIFY(make(Thing::Folder, dir.filePath(QStringLiteral("sub"))));
        QCOMPARE(sameFile(dir.filePath(QStringLiteral("fw.bin")), QDir::toNativeSeparators(dir.filePath(other))), same);
    }
};

QTEST_GUILESS_MAIN(TestRegularFileWin32)
#include "tst_regularfile_win32.moc"
