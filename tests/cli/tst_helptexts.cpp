// What quillon-cli says about itself: the help of the program and of every
// command in 80 columns, and the version with its copyright and licence.
#include "cli/clisession.h"
#include "tests/support/cliprocess.h"

#include <QtTest>

class TestHelpTexts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(QFileInfo(qEnvironmentVariable("QUILLON_CLI")).isExecutable(), "QUILLON_CLI not set"); }

    void helpFitsEightyColumns_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("wrappedText");  // a long text the help holds whole, wrapped or not
        const QString optionsEnd = QStringLiteral("nach -- ist jedes Wort ein Argument, etwa ein Dateiname, der mit - beginnt");
        QTest::newRow("program") << QStringList{QStringLiteral("--help")} << optionsEnd;
        QTest::newRow("program, short") << QStringList{QStringLiteral("-h")} << optionsEnd;
        // Every command the program knows, from its own table.
        for (const CliCommand *command : CliCommand::all())
            QTest::newRow(command->name) << QStringList{QString::fromLatin1(command->name), QStringLiteral("--help")}
                                         << QString::fromUtf8(command->summary);
        QTest::newRow("flash, an option's text") << QStringList{QStringLiteral("flash"), QStringLiteral("--help")}
                                                 << QStringLiteral("--force auch eine Datei senden, die nicht zum KRV passt "
                                                                   "(FLASH zu klein, andere Geräteart); schließt --yes ein");
    }
    void helpFitsEightyColumns()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, wrappedText);
        const CliRun run = runQuillonCli(args);
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'));
        QVERIFY(lines.size() > 3);
        for (const QString &line : lines)
            QVERIFY2(line.size() <= 80, qPrintable(QStringLiteral("%1 characters: %2").arg(line.size()).arg(line)));
        QVERIFY(run.out.startsWith("Aufruf: quillon-cli"));
        // Wrapping loses no word.
        QVERIFY2(QString::fromUtf8(run.out).simplified().contains(wrappedText), run.out.constData());
    }

    void versionNamesCopyrightAndLicence_data()
    {
        QTest::addColumn<QString>("word");
        QTest::newRow("long") << QStringLiteral("--version");
        QTest::newRow("short") << QStringLiteral("-V");
    }
    void versionNamesCopyrightAndLicence()
    {
        QFETCH(QString, word);
        const CliRun run = runQuillonCli({word});
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = QString::fromUtf8(run.out).trimmed().split(QLatin1Char('\n'));
        const CliRun data = runQuillonCli({QStringLiteral("--json"), QStringLiteral("version")});
        const QJsonObject json = jsonOf(data);
        // Scripts read the first line: program and version, nothing else.
        QCOMPARE(lines.value(0), QStringLiteral("quillon-cli ") + json.value("fileVersion").toString());
        QCOMPARE(lines.value(1), json.value("legalCopyright").toString());
        QVERIFY(lines.value(1).startsWith(QStringLiteral("Copyright © ")));
        QVERIFY2(lines.mid(2).join(QLatin1Char(' ')).contains(QStringLiteral("Alle Rechte vorbehalten.")), run.out.constData());
        const QString maker = json.value("companyName").toString();
        QVERIFY(!maker.isEmpty());
        QVERIFY2(lines.mid(2).join(QLatin1Char(' ')).contains(maker), run.out.constData());
        for (const QString &line : lines)
            QVERIFY2(line.size() <= 80, qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(TestHelpTexts)
#include "tst_helptexts.moc"
