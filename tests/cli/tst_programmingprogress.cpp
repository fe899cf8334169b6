// While the device programs, quillon-cli tells how far its letters have come
// against the letters the image brings, and how long the rest will take.
#include "tests/cli/smallimage.h"
#include "tests/cli/terminalrun.h"
#include "tests/support/testfiles.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/ioctl.h>

namespace {
// About thirty records, so about forty letters: a few seconds at the
// simulator's pace below, while the records go out in a moment over TCP.
QByteArray thinImage()
{
    QByteArray bytes = smallImage();
    bytes.replace(0x0000, 0x8000, QByteArray(0x8000, char(0xFF)));
    bytes.replace(0x9100, 0x5F00, QByteArray(0x5F00, char(0xFF)));
    return bytes;
}
const QStringList kSlowLetters = {QStringLiteral("--letter-interval"), QStringLiteral("100")};

QList<int> numbers(const QString &text, const QRegularExpression &pattern, int group)
{
    QList<int> found;
    for (const QRegularExpressionMatch &m : pattern.globalMatch(text))
        found << m.captured(group).toInt();
    return found;
}

bool rising(const QList<int> &values)
{
    return std::is_sorted(values.begin(), values.end()) && !values.isEmpty() && values.first() < values.last();
}
}

class TstProgrammingProgress : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void onATerminal_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("times");  // a narrow terminal keeps the share, not the times
        QTest::newRow("80 columns") << 80 << true;
        QTest::newRow("50 columns") << 50 << false;
    }

    void onATerminal()
    {
        QFETCH(int, columns);
        QFETCH(bool, times);
        PtyPair terminal;
        QVERIFY(terminal.isValid());
        winsize size{};
        size.ws_col = ushort(columns);
        size.ws_row = 24;
        QVERIFY(::ioctl(terminal.master, TIOCSWINSZ, &size) == 0);
        KrvSimProcess sim(kSlowLetters);
        const QString image = writeFile(m_dir, QStringLiteral("thin.bin"), thinImage());
        const CliRun run = runServing({"--tcp", sim.target(), "flash", image}, &terminal);
        QCOMPARE(run.exitCode, 0);

        const QString screen = QString::fromUtf8(run.err).remove(QStringLiteral("\x1b[K"));
        static const QRegularExpression frame(QStringLiteral(
            "\rProgrammierung: E \\d+  a \\d+  p \\d+ \\[([#.]+)\\] +(\\d+) %(  \\d+:\\d\\d, noch (?:\\d+:\\d\\d|-:--))?"));
        const QList<int> percents = numbers(screen, frame, 2);
        QVERIFY2(rising(percents), qPrintable(screen.right(3000)));
        QCOMPARE(percents.last(), 100);
        QStringList bars;
        for (const QRegularExpressionMatch &m : frame.globalMatch(screen)) {
            bars << m.captured(1);
            QCOMPARE(m.hasCaptured(3), times);
        }
        QList<int> filled;
        for (const QString &bar : bars)
            filled << int(bar.count(QLatin1Char('#')));
        QVERIFY(rising(filled));
        QVERIFY(!bars.last().contains(QLatin1Char('.')));
        if (times) {
            // A time to go once letters have set the pace, and none left at the end.
            QVERIFY2(screen.contains(QRegularExpression(QStringLiteral("Programmierung: [^\r]* +[1-9]\\d? %  \\d+:\\d\\d, noch \\d+:\\d\\d"))),
                     qPrintable(screen.right(3000)));
            QVERIFY(screen.contains(QRegularExpression(QStringLiteral("Programmierung: [^\r]* 100 %  \\d+:\\d\\d, noch 0:00\r?\n"))));
        }
        for (const QString &line : screen.split(QRegularExpression(QStringLiteral("[\r\n]"))))
            QVERIFY2(line.size() < columns || !line.startsWith(QLatin1String("Programmierung")), qPrintable(line));
    }

    // In a log: the counter lines, at most once a second, say the share of
    // the phase and the time to go; the end says neither.
    void withoutATerminal()
    {
        KrvSimProcess sim(kSlowLetters);
        const QString image = writeFile(m_dir, QStringLiteral("thin.bin"), thinImage());
        const CliRun run = runQuillonCli({"--tcp", sim.target(), "flash", image});
        QCOMPARE(run.exitCode, 0);
        const QString err = QString::fromUtf8(run.err);
        static const QRegularExpression line(QStringLiteral("\nErase: \\d+ Adr: \\d+ Dat: \\d+  (\\d+) %, noch (?:\\d+:\\d\\d|-:--)\n"));
        const QList<int> percents = numbers(err, line, 1);
        QVERIFY2(percents.size() >= 2, qPrintable(err));
        QVERIFY2(std::is_sorted(percents.begin(), percents.end()) && percents.last() < 100, qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("\nFLASH wurde erfolgreich gebrannt!  :-)\n")), qPrintable(err));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TstProgrammingProgress)
#include "tst_programmingprogress.moc"
