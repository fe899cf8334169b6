// Words of the command line that name files: behind "--", "-" for stdout,
// names that are not UTF-8. quillon-cli runs as a process, as a shell runs it.
#include "tests/cli/smallimage.h"
#include "tests/support/cliprocess.h"
#include "tests/support/testfiles.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <unistd.h>

namespace {
QByteArray hexImage()
{
    SampleImage sample;
    sample.size = 0x40000;
    return toIntelHex(sample.build());
}

// A file whose name is any bytes; QFile cannot make one that is not UTF-8.
bool writeRawName(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}

QByteArray readRawName(const QByteArray &path)
{
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return {};
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    return file.readAll();
}

// quillon-cli started by a shell, so its words can be bytes a QString cannot
// carry: "$1" .. are the words, given as shell-quoted printf formats.
CliRun runThroughShell(const QByteArray &words, const QString &lang, const QString &dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LANG"), lang);
    env.insert(QStringLiteral("LC_ALL"), lang);
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir);
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromLatin1("exec \"$QUILLON_CLI\" " + words)});
    CliRun run;
    if (!process.waitForFinished(kRunLimitMs))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

}

class TestFileArguments : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(qEnvironmentVariable("QUILLON_CLI")).isExecutable(), "QUILLON_CLI not set");
        QVERIFY(m_dir.isValid());
        m_hex = writeFile(m_dir, QStringLiteral("fw.hex"), hexImage());
        const CliRun reference = runQuillonCli({QStringLiteral("convert"), m_hex, m_dir.filePath(QStringLiteral("fw.bin"))});
        QCOMPARE(reference.exitCode, 0);
        m_bin = fileBytes(m_dir.filePath(QStringLiteral("fw.bin")));
        QCOMPARE(m_bin.size(), 0x40000);
    }

    // Behind "--" a word that looks like an option or the help is a name.
    void wordsBehindTheOptionsEnd_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::newRow("output named like an option") << QStringList{"convert", "--", "fw.hex", "--verify"} << "fw.hex" << "--verify";
        QTest::newRow("output named like the help") << QStringList{"convert", "fw.hex", "--", "--help"} << "fw.hex" << "--help";
        QTest::newRow("output named like the version") << QStringList{"convert", "--", "fw.hex", "-V"} << "fw.hex" << "-V";
        QTest::newRow("input named like an option") << QStringList{"--quiet", "convert", "--", "--json.hex", "out.bin"} << "--json.hex" << "out.bin";
        QTest::newRow("command behind it") << QStringList{"--", "convert", "-h.hex", "x.bin"} << "-h.hex" << "x.bin";
        QTest::newRow("a second -- is a name") << QStringList{"convert", "--", "fw.hex", "--"} << "fw.hex" << "--";
    }
    void wordsBehindTheOptionsEnd()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, input);
        QFETCH(QString, output);
        QTemporaryDir dir;
        writeFile(dir, input, fileBytes(m_hex));
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(qEnvironmentVariable("QUILLON_CLI"), args);
        QVERIFY(process.waitForFinished(kRunLimitMs));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        QCOMPARE(fileBytes(dir.filePath(output)), m_bin);
    }

    void imageToStdout()
    {
        QProcess process;
        process.start(qEnvironmentVariable("QUILLON_CLI"), {QStringLiteral("convert"), m_hex, QStringLiteral("-")});
        QVERIFY(process.waitForFinished(kRunLimitMs));
        const QByteArray err = process.readAllStandardError();
        QVERIFY2(process.exitCode() == 0, err.constData());
        QCOMPARE(process.readAllStandardOutput(), m_bin);  // the image and nothing else
        QVERIFY2(err.contains("Bytes: 262144, 256-Byteblöcke: 1024"), err.constData());
    }

    void noImageToStdout_data()
    {
        QTest::addColumn<QString>("shell");
        QTest::addColumn<QByteArray>("message");
        // script gives the program a terminal on stdout and stderr.
        QTest::newRow("stdout a terminal") << QStringLiteral("script -qec '\"$QUILLON_CLI\" convert fw.hex -' /dev/null")
                                           << QByteArray("das Binärabbild gehört nicht auf das Terminal");
        QTest::newRow("JSON on stdout too") << QStringLiteral("\"$QUILLON_CLI\" --json convert fw.hex - > out")
                                            << QByteArray("--json und die Ausgabe - (stdout) schließen einander aus");
    }
    void noImageToStdout()
    {
        QFETCH(QString, shell);
        QFETCH(QByteArray, message);
        if (QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty())
            QSKIP("script (util-linux) is not installed");
        QTemporaryDir dir;
        writeFile(dir, QStringLiteral("fw.hex"), fileBytes(m_hex));
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), shell});
        QVERIFY(process.waitForFinished(kRunLimitMs));
        const QByteArray said = process.readAll();
        QCOMPARE(process.exitCode(), 2);
        QVERIFY2(said.contains(message), said.constData());
        QVERIFY(!said.contains(m_bin.left(64)));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("-"))));
        QVERIFY(fileBytes(dir.filePath(QStringLiteral("out"))).isEmpty());
    }

    // A name with bytes that are not UTF-8 is found, whatever the locale,
    // and messages and JSON show it as typed, each stray byte as U+FFFD.
    void nameNotUtf8_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::newRow("UTF-8 locale") << QStringLiteral("C.UTF-8");
        QTest::newRow("C locale") << QStringLiteral("C");
    }
    void nameNotUtf8()
    {
        QFETCH(QString, lang);
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        const QString shownFolder = QFileInfo(dir.path()).canonicalFilePath();
        QVERIFY(writeRawName(folder + "/fw\xff\xfe.hex", fileBytes(m_hex)));
        QVERIFY(writeRawName(folder + "/ok\xff.txt", "1234\n"));

        const CliRun convert = runThroughShell("convert \"$(printf 'fw\\377\\376.hex')\" out.bin", lang, dir.path());
        QVERIFY2(convert.exitCode == 0, convert.err.constData());
        QCOMPARE(fileBytes(dir.filePath(QStringLiteral("out.bin"))), m_bin);

        // An output by such a name gets the bytes typed, and JSON names it readably.
        const CliRun toRaw = runThroughShell("--json convert \"$(printf 'fw\\377\\376.hex')\" \"$(printf 'o\\377.bin')\"", lang, dir.path());
        QVERIFY2(toRaw.exitCode == 0, toRaw.err.constData());
        QCOMPARE(readRawName(folder + "/o\xff.bin"), m_bin);
        QCOMPARE(jsonOf(toRaw).value(QStringLiteral("output")).toString(), shownFolder + QStringLiteral("/o\uFFFD.bin"));

        // So is a password file by such a name, given either way.
        writeFile(dir, QStringLiteral("out.hex"), fileBytes(m_hex));
        for (const QByteArray &option : {QByteArray("--password-file "), QByteArray("--password-file=")}) {
            const CliRun password = runThroughShell(option + "\"$(printf 'ok\\377.txt')\" convert out.hex x.bin", lang, dir.path());
            QVERIFY2(password.exitCode == 0, password.err.constData());
        }

        // A name not there is named as typed.
        const CliRun missing = runThroughShell("convert \"$(printf 'no\\377.hex')\" out.bin", lang, dir.path());
        QCOMPARE(missing.exitCode, 2);
        QVERIFY2(QString::fromUtf8(missing.err).contains(QStringLiteral("no\uFFFD.hex: Datei nicht gefunden")), missing.err.constData());
    }

    // The upload record names the firmware file as typed and still reads it.
    void recordOfAFileNotUtf8()
    {
        QVERIFY2(QFileInfo(qEnvironmentVariable("KRVSIM")).isExecutable(), "KRVSIM not set");
        KrvSimProcess sim({QStringLiteral("--restart"), QStringLiteral("200")});
        QVERIFY(sim.port > 0);
        QTemporaryDir dir;
        const QByteArray image = smallImage();
        QVERIFY(writeRawName(QFile::encodeName(dir.path()) + "/fw\xff.bin", image));
        const CliRun run = runThroughShell("--tcp " + sim.target().toLatin1() + " flash \"$(printf 'fw\\377.bin')\" --report r.json",
                                           QStringLiteral("C.UTF-8"), dir.path());
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY2(!run.err.contains("quillon-cli-"), run.err.constData());
        const QJsonObject file = QJsonDocument::fromJson(fileBytes(dir.filePath(QStringLiteral("r.json")))).object()
                                     .value(QStringLiteral("file")).toObject();
        QCOMPARE(file.value(QStringLiteral("name")).toString(), QFileInfo(dir.path()).canonicalFilePath() + QStringLiteral("/fw\uFFFD.bin"));
        QCOMPARE(file.value(QStringLiteral("sha256")).toString(),
                 QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Sha256).toHex()));
    }

private:
    QTemporaryDir m_dir;
    QString m_hex;
    QByteArray m_bin;
};

QTEST_GUILESS_MAIN(TestFileArguments)
#include "tst_filearguments.moc"
