// Records, settings and converted images are written only as regular files:
// whatever else lies at the path (a FIFO, a folder, also behind a symlink)
// stays as it was, a symlink to a file stays a link, and a file that must be
// new (the window's records) replaces nothing. quillon-cli's tests show the
// same for device nodes.
#include "settings/regularfile.h"
#include "tests/support/nonregularfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {
// What lies at the path before the write: nothing, a regular file (an
// earlier one, or a link to one), a link to nothing, or something kind.
enum class Thing { Nothing, Regular, LinkToRegular, DanglingLink, Folder, Fifo, LinkToFifo };

const QByteArray kEarlier = "earlier\n";

// Puts thing at path; a link's target lies beside it as path + ".target".
bool make(Thing thing, const QString &path)
{
    const QString target = path + QStringLiteral(".target");
    switch (thing) {
    case Thing::Nothing: return true;
    case Thing::Regular: {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(kEarlier) == kEarlier.size();
    }
    case Thing::LinkToRegular: return make(Thing::Regular, target) && QFile::link(target, path);
    case Thing::DanglingLink: return QFile::link(target, path);
    case Thing::Folder: return QDir().mkdir(path);
    case Thing::Fifo: return makeNonRegular(NonRegular::Fifo, path);
    case Thing::LinkToFifo: return makeNonRegular(NonRegular::LinkToFifo, path);
    }
    return false;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}  // namespace

Q_DECLARE_METATYPE(Thing)
Q_DECLARE_METATYPE(Replace)

class TestRegularFile : public QObject {
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
        QTest::newRow("link: its file replaced") << Thing::LinkToRegular << Replace::RegularFile << QString();
        QTest::newRow("folder") << Thing::Folder << Replace::RegularFile << "ist ein Verzeichnis";
        QTest::newRow("link to a FIFO") << Thing::LinkToFifo << Replace::RegularFile << "ist eine FIFO (benannte Pipe), keine normale Datei";
        QTest::newRow("must be new: earlier file") << Thing::Regular << Replace::Nothing << "gibt es schon";
        QTest::newRow("must be new: FIFO") << Thing::Fifo << Replace::Nothing << "gibt es schon";
        QTest::newRow("must be new: dangling link") << Thing::DanglingLink << Replace::Nothing << "gibt es schon";
    }

    void writesOnlyRegularFiles()
    {
        QFETCH(Thing, thing);
        QFETCH(Replace, replace);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("record.json"));
        const QString target = path + QStringLiteral(".target");
        QVERIFY(make(thing, path));
        const char typeBefore = typeAt(path);
        const char targetBefore = typeAt(target);
        const QStringList filesBefore = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        const QByteArray bytes = "{\"record\": 1}\n";

        const QString result = writeFileAtomically(path, bytes, replace);

        if (problem.isEmpty()) {
            QVERIFY2(result.isEmpty(), qPrintable(result));
            QCOMPARE(contentOf(path), bytes);
            QCOMPARE(typeAt(path), thing == Thing::LinkToRegular ? 'l' : 'f');
            if (thing == Thing::Nothing) {
                // The rights of any new file, not a temporary file's private ones.
                const mode_t mask = ::umask(0);
                ::umask(mask);
                struct stat st {};
                QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
                QCOMPARE(st.st_mode & 0777, 0666 & ~mask);
            }
        } else {
            QCOMPARE(result, path + QStringLiteral(": ") + problem);
            QCOMPARE(typeAt(path), typeBefore);
            QCOMPARE(typeAt(target), targetBefore);
            if (thing == Thing::Regular)
                QCOMPARE(contentOf(path), kEarlier);
        }
        // No temporary file is left behind.
        QStringList filesAfter = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        filesAfter.removeAll(QStringLiteral("record.json"));
        QStringList expected = filesBefore;
        expected.removeAll(QStringLiteral("record.json"));
        QCOMPARE(filesAfter, expected);
    }
};

QTEST_GUILESS_MAIN(TestRegularFile)
#include "tst_regularfile.moc"
