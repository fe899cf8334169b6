// The manual and its window: every help context of the main window opens a
// page of its own, the finder searches the pages, links stay inside the
// manual, and every message the program can show is explained in it.
#include "mainwindow/helpwindow.h"
#include "mainwindow/program.h"

#include <QApplication>
#include <QCollator>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>

namespace {
// The literals of the statements that show a message or a status text, split
// where the program inserts a value or breaks a line. Preprocessor lines are
// no statements: their file names must not join the first one.
QStringList messageFragments(const QString &code)
{
    static const QRegularExpression directive(QStringLiteral("^\\s*#[^\n]*"), QRegularExpression::MultilineOption);
    const QString source = QString(code).remove(directive);
    static const QRegularExpression verb(QStringLiteral(
        "\\b(showMessage|showMessageBox|ShowMessage|askYesNo|setStatus|RaiseError|ask)\\s*\\(|\\bresultMessage\\s*="
        "|\\{\\s*-\\d+\\s*,|\\btexts\\[\\]\\s*="));
    static const QRegularExpression literal(QStringLiteral("\"((?:[^\"\\\\\\n]|\\\\.)*)\""));
    static const QRegularExpression cut(QStringLiteral("%\\d|\\\\n"));
    QStringList fragments;
    QString statement;
    bool inString = false;
    for (qsizetype i = 0; i < source.size(); ++i) {
        const QChar c = source.at(i);
        statement += c;
        if (inString && c == QLatin1Char('\\') && i + 1 < source.size()) {
            statement += source.at(++i);
            continue;
        }
        if (c == QLatin1Char('"'))
            inString = !inString;
        if (inString || c != QLatin1Char(';'))
            continue;
        if (statement.contains(verb)) {
            // Adjacent literals are one text.
            QString text;
            QString previousEnd;
            for (const QRegularExpressionMatch &m : literal.globalMatch(statement)) {
                const bool adjacent = !text.isEmpty()
                                      && statement.mid(previousEnd.toInt(), m.capturedStart() - previousEnd.toInt()).trimmed().isEmpty();
                if (!adjacent) {
                    fragments += text.split(cut);
                    text.clear();
                }
                text += m.captured(1);
                previousEnd = QString::number(m.capturedEnd());
            }
            fragments += text.split(cut);
        }
        statement.clear();
    }
    QStringList result;
    for (QString f : fragments) {
        f = f.replace(QStringLiteral("\\\""), QStringLiteral("\"")).replace(QStringLiteral("\\\\"), QStringLiteral("\\")).simplified();
        if (f.size() >= 4 && f.contains(QRegularExpression(QStringLiteral("[a-zäöüß]"))))
            result.append(f);
    }
    return result;
}

QString manualText(const HelpManual &manual)
{
    QString all;
    for (const HelpManual::Page &page : manual.pages())
        all += page.text + QLatin1Char('\n');
    return all.replace(QChar(0xA0), QLatin1Char(' ')).simplified();
}
}  // namespace

class TestHelpWindow : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    // F1 on any control of the main window opens a page of its own, never
    // the contents; a number without a page falls back to the contents.
    void everyContextOpensItsTopic()
    {
        Program p(dir.filePath(QStringLiteral("quillon.INI")));
        QSet<int> contexts{helpContextOf(&p.form1)};
        for (const QWidget *w : p.form1.findChildren<QWidget *>())
            contexts.insert(helpContextOf(w));
        QCOMPARE(contexts, (QSet<int>{1, 2, 3, 4, 5, 7, 49}));
        QSet<QString> files;
        for (int context : std::as_const(contexts)) {
            p.help.showTopic(context);
            QVERIFY(p.help.isVisible());
            QVERIFY2(p.help.currentFile() != HelpManual::contentsFile(), qPrintable(QString::number(context)));
            QVERIFY(!p.help.browser->documentTitle().isEmpty());
            files.insert(p.help.currentFile());
        }
        QCOMPARE(files.size(), contexts.size());
        p.help.showTopic(999);
        QCOMPARE(p.help.currentFile(), HelpManual::contentsFile());

        p.form1.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p.form1));
        p.form1.activateWindow();
        p.form1.btUpdate->setEnabled(true);
        p.form1.btUpdate->setFocus();
        QTest::keyClick(p.form1.btUpdate, Qt::Key_F1);
        QCOMPARE(p.help.currentFile(), QStringLiteral("upload.html"));
        QCOMPARE(p.help.lbTopics->currentItem()->data(Qt::UserRole).toString(), QStringLiteral("upload.html"));
        p.help.showContents();
        QCOMPARE(p.help.currentFile(), HelpManual::contentsFile());

        // Esc closes it, from the search field and from the page.
        for (QWidget *focus : {static_cast<QWidget *>(p.help.edSearch), static_cast<QWidget *>(p.help.browser)}) {
            p.help.showContents();
            QVERIFY(QTest::qWaitForWindowExposed(&p.help));
            p.help.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&p.help));
            focus->setFocus();
            QTest::keyClick(focus, Qt::Key_Escape);
            QVERIFY(!p.help.isVisible());
        }
    }

    void finderSearchesThePages()
    {
        HelpWindow w;
        const int all = w.lbTopics->count();
        QCOMPARE(all, HelpManual().pages().size());
        // The contents first, the rest as an index sorts them.
        QCOMPARE(w.lbTopics->item(0)->data(Qt::UserRole).toString(), HelpManual::contentsFile());
        QCollator german{QLocale(QLocale::German)};
        german.setCaseSensitivity(Qt::CaseInsensitive);
        for (int i = 2; i < all; ++i)
            QVERIFY2(german.compare(w.lbTopics->item(i - 1)->text(), w.lbTopics->item(i)->text()) <= 0,
                     qPrintable(w.lbTopics->item(i)->text()));
        w.showFinder();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), w.edSearch);
        QTest::keyClicks(w.edSearch, QStringLiteral("eichschalter ZU"));
        QVERIFY(w.lbTopics->count() > 0 && w.lbTopics->count() < all);
        for (int i = 0; i < w.lbTopics->count(); ++i) {
            QTextDocument page;
            QFile file(QStringLiteral(":/help/") + w.lbTopics->item(i)->data(Qt::UserRole).toString());
            QVERIFY(file.open(QIODevice::ReadOnly));
            page.setHtml(QString::fromUtf8(file.readAll()));
            QVERIFY(page.toPlainText().contains(QStringLiteral("eichschalter"), Qt::CaseInsensitive));
            QVERIFY(page.toPlainText().contains(QStringLiteral("zu"), Qt::CaseInsensitive));
        }
        QTest::keyClick(w.edSearch, Qt::Key_Return);
        QCOMPARE(w.currentFile(), w.lbTopics->item(0)->data(Qt::UserRole).toString());
        QCOMPARE(w.browser->textCursor().selectedText().toLower(), QStringLiteral("eichschalter"));
        // A click on another hit marks the match there too, and the list follows.
        QListWidgetItem *last = w.lbTopics->item(w.lbTopics->count() - 1);
        QTest::mouseClick(w.lbTopics->viewport(), Qt::LeftButton, {}, w.lbTopics->visualItemRect(last).center());
        QCOMPARE(w.currentFile(), last->data(Qt::UserRole).toString());
        QCOMPARE(w.lbTopics->currentItem(), last);
        QCOMPARE(w.browser->textCursor().selectedText().toLower(), QStringLiteral("eichschalter"));
        QTest::keyClicks(w.edSearch, QStringLiteral("xyzzy"));
        QCOMPARE(w.lbTopics->count(), 0);
        w.edSearch->clear();
        QCOMPARE(w.lbTopics->count(), all);
    }

    // Links stay inside the manual and reach a page; the contents reach every page.
    void linksStayInTheManual()
    {
        static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
        const HelpManual manual;
        QSet<QString> linkedFromContents;
        for (const HelpManual::Page &page : manual.pages()) {
            QFile file(QStringLiteral(":/help/") + page.file);
            QVERIFY(file.open(QIODevice::ReadOnly));
            for (const QRegularExpressionMatch &m : href.globalMatch(QString::fromUtf8(file.readAll()))) {
                const QUrl target = HelpManual::urlOf(page.file).resolved(QUrl(m.captured(1)));
                QVERIFY2(target.scheme() == QStringLiteral("qrc") && QFile::exists(QLatin1Char(':') + target.path()),
                         qPrintable(page.file + QStringLiteral(" → ") + m.captured(1)));
                if (page.file == HelpManual::contentsFile())
                    linkedFromContents.insert(target.fileName());
            }
        }
        for (const HelpManual::Page &page : manual.pages())
            QVERIFY2(page.file == HelpManual::contentsFile() || linkedFromContents.contains(page.file), qPrintable(page.file));
    }

    void everyMessageIsInTheManual()
    {
        const QString root = qEnvironmentVariable("SRCDIR");
        QVERIFY(!root.isEmpty());
        const QString manual = manualText(HelpManual());
        QStringList missing;
        int found = 0;
        for (const char *folder : {"link", "image", "upload", "mainwindow", "comport", "cli", "orvabout"}) {
            QDirIterator files(root + QLatin1Char('/') + QLatin1String(folder), {QStringLiteral("*.cpp")}, QDir::Files);
            while (files.hasNext()) {
                QFile file(files.next());
                QVERIFY(file.open(QIODevice::ReadOnly));
                for (const QString &fragment : messageFragments(QString::fromUtf8(file.readAll()))) {
                    ++found;
                    if (!manual.contains(fragment))
                        missing.append(QFileInfo(file).fileName() + QStringLiteral(": ") + fragment);
                }
            }
        }
        missing.removeDuplicates();
        QVERIFY2(found > 40, qPrintable(QString::number(found)));
        for (const QString &m : std::as_const(missing))
            qWarning("Not in the manual: %s", qPrintable(m));
        QVERIFY(missing.isEmpty());
    }
};

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
