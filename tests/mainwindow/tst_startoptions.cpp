// The desktop program's command line, and --help and --version of both
// programs where there is no display at all.
#include "mainwindow/startoptions.h"
#include "tests/support/cliprocess.h"

#include <QtTest>

Q_DECLARE_METATYPE(StartOptions::Want)

namespace {
// A program started with no window system to reach.
CliRun runWithoutDisplay(const QString &program, const QStringList &args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    return runProgram(program, args, env, 10000);
}
}  // namespace

class TestStartOptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        for (const char *name : {"QUILLON", "QUILLON_CLI"})
            QVERIFY2(QFileInfo(qEnvironmentVariable(name)).isExecutable(), name);
        const CliRun version = runQuillonCli({QStringLiteral("version")});
        QCOMPARE(version.exitCode, 0);
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^FileVersion: (.+)$"), QRegularExpression::MultilineOption)
                                              .match(QString::fromUtf8(version.out));
        QVERIFY2(m.hasMatch(), version.out.constData());
        m_version = m.captured(1);
    }

    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<StartOptions::Want>("want");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("error");
        using W = StartOptions::Want;
        QTest::newRow("nothing") << QStringList{} << W::Run << "" << "" << "";
        QTest::newRow("a file") << QStringList{"fw.hex"} << W::Run << "" << "fw.hex" << "";
        QTest::newRow("settings and file") << QStringList{"--settings", "s.INI", "/tmp/fw.bin"} << W::Run << "s.INI" << "/tmp/fw.bin" << "";
        QTest::newRow("file first, settings as --opt=value") << QStringList{"fw.hex", "--settings=s.INI"} << W::Run << "s.INI" << "fw.hex" << "";
        QTest::newRow("Qt's options pass with their values") << QStringList{"-platform", "offscreen", "-reverse", "fw.hex"} << W::Run << ""
                                                             << "fw.hex" << "";
        QTest::newRow("a file that looks like an option") << QStringList{"--", "-fw.hex"} << W::Run << "" << "-fw.hex" << "";
        QTest::newRow("help wins") << QStringList{"--bogus", "--help"} << W::Help << "" << "" << "";
        QTest::newRow("-h") << QStringList{"fw.hex", "-h"} << W::Help << "" << "" << "";
        QTest::newRow("-V") << QStringList{"-V"} << W::Version << "" << "" << "";
        QTest::newRow("--version after a bad option") << QStringList{"--settings", "--version"} << W::Version << "" << "" << "";
        QTest::newRow("-h after -- is a file") << QStringList{"--", "-h"} << W::Run << "" << "-h" << "";
        QTest::newRow("unknown option") << QStringList{"--colour=red"} << W::Error << "" << "" << "unbekannte Option \"--colour\"";
        QTest::newRow("settings without a value") << QStringList{"--settings"} << W::Error << "" << ""
                                                  << "--settings braucht einen Wert (DATEI)";
        QTest::newRow("settings with an empty value") << QStringList{"--settings="} << W::Error << "" << ""
                                                      << "--settings braucht einen Wert (DATEI)";
        QTest::newRow("two files") << QStringList{"a.hex", "b.hex"} << W::Error << "" << "a.hex"
                                   << "nur eine Datei kann beim Start geladen werden, nicht auch \"b.hex\"";
    }
    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(StartOptions::Want, want);
        QFETCH(QString, settings);
        QFETCH(QString, file);
        QFETCH(QString, error);
        const StartOptions o = parseStartOptions(QStringList{QStringLiteral("quillon")} + args);
        QCOMPARE(o.want, want);
        QCOMPARE(o.error, error);
        QCOMPARE(o.settingsPath, settings);
        QCOMPARE(o.file, file);
    }

    // Answered on stdout with exit 0 before anything asks for a display.
    void withoutDisplay_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("firstLine");
        for (const char *program : {"quillon", "quillon-cli"}) {
            const QString name = QLatin1String(program);
            const QString path = qEnvironmentVariable(name == QLatin1String("quillon") ? "QUILLON" : "QUILLON_CLI");
            QTest::addRow("%s --version", program) << path << "--version" << name + " " + m_version;
            QTest::addRow("%s -V", program) << path << "-V" << name + " " + m_version;
            QTest::addRow("%s --help", program) << path << "--help" << "Aufruf: " + name + " [";
        }
    }
    void withoutDisplay()
    {
        QFETCH(QString, program);
        QFETCH(QString, option);
        QFETCH(QString, firstLine);
        const CliRun run = runWithoutDisplay(program, {option});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty(), run.err.constData());
        const QString text = QString::fromUtf8(run.out);
        QVERIFY2(text.section(QLatin1Char('\n'), 0, 0).startsWith(firstLine), qPrintable(text));
        if (option == QLatin1String("--help")) {
            QVERIFY2(text.contains(QLatin1String("--version")), qPrintable(text));
            // German throughout: none of Qt's own option texts.
            QVERIFY2(!text.contains(QLatin1String("Displays")), qPrintable(text));
        }
    }

    // Started to open its window where there is none: a German reason and
    // exit code 2, not Qt's English abort.
    void windowWithoutDisplay()
    {
        QTemporaryDir dir;
        const CliRun run = runWithoutDisplay(qEnvironmentVariable("QUILLON"),
                                             {QStringLiteral("--settings"), dir.filePath(QStringLiteral("quillon.INI"))});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.startsWith("quillon: Keine grafische Anzeige erreichbar"), run.err.constData());
        QVERIFY2(!run.err.contains("qt.qpa") && !run.err.contains("This application"), run.err.constData());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("quillon.INI"))));
    }

    void wrongOptionIsNamedWithoutDisplay()
    {
        const CliRun run = runWithoutDisplay(qEnvironmentVariable("QUILLON"), {QStringLiteral("--setings"), QStringLiteral("x.INI")});
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(QString::fromUtf8(run.err), QStringLiteral("quillon: unbekannte Option \"--setings\"\nHilfe: quillon --help\n"));
    }

private:
    QString m_version;
};

QTEST_GUILESS_MAIN(TestStartOptions)
#include "tst_startoptions.moc"
