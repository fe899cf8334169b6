// Every seed of the fuzzers and every input they once failed on, run through
// its target again: a fixed finding stays fixed in the normal suite.
#include "tests/fuzz/targets/fuzztargets.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {
QDir fuzzDir(const char *kind, const char *target)
{
    return QDir(qEnvironmentVariable("SRCDIR") + QStringLiteral("/tests/fuzz/%1/%2").arg(QLatin1String(kind), QLatin1String(target)));
}
}

class TestFuzzCases : public QObject {
    Q_OBJECT
private slots:
    void everyTargetHasSeeds()
    {
        for (const FuzzTarget &target : fuzzTargets())
            QVERIFY2(!fuzzDir("corpus", target.name).entryList(QDir::Files).isEmpty(), target.name);
    }

    void replay_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("path");
        for (const FuzzTarget &target : fuzzTargets()) {
            for (const char *kind : {"corpus", "findings"}) {
                const QDir dir = fuzzDir(kind, target.name);
                for (const QString &file : dir.entryList(QDir::Files))
                    QTest::addRow("%s/%s/%s", kind, target.name, qPrintable(file)) << QString::fromLatin1(target.name) << dir.filePath(file);
            }
        }
    }

    void replay()
    {
        QFETCH(QString, target);
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray input = file.readAll();
        const FuzzTarget *fuzz = findFuzzTarget(qPrintable(target));
        QVERIFY(fuzz);
        QCOMPARE(fuzz->run(reinterpret_cast<const quint8 *>(input.constData()), std::size_t(input.size())), 0);
    }
};

QTEST_GUILESS_MAIN(TestFuzzCases)
#include "tst_fuzzcases.moc"
