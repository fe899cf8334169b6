#include "mainwindow/helpmanual.h"

#include "mainwindow/helpfolder.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QTextDocument>
#include <algorithm>

namespace {

struct ContextPage {
    int context;
    const char *file;
};

// The context numbers the main window gives its controls.
constexpr ContextPage kContextPages[] = {
    {1, "hauptfenster.html"}, {2, "datei.html"},   {3, "krvinfo.html"},      {4, "upload.html"},
    {5, "fabrikdaten.html"},  {7, "modem.html"},   {49, "symbolleiste.html"},
};

HelpManual::Page readPage(const QString &file)
{
    QFile source(helpFolder() + file);
    source.open(QIODevice::ReadOnly);
    QTextDocument document;
    document.setHtml(QString::fromUtf8(source.readAll()));
    return {file, document.metaInformation(QTextDocument::DocumentTitle), document.toPlainText()};
}
}  // namespace

HelpManual::HelpManual()
{
    // The contents first, then the pages as a German index sorts their titles.
    const QStringList files = QDir(helpFolder()).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    for (const QString &file : files)
        if (file != contentsFile())
            m_pages.append(readPage(file));
    QCollator collator{QLocale(QLocale::German)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(m_pages.begin(), m_pages.end(), [&collator](const Page &a, const Page &b) { return collator.compare(a.title, b.title) < 0; });
    m_pages.prepend(readPage(contentsFile()));
}

QUrl HelpManual::urlOf(const QString &file)
{
    const QString path = helpFolder() + file;
    return path.startsWith(u':') ? QUrl(QStringLiteral("qrc") + path) : QUrl::fromLocalFile(path);
}

QString HelpManual::contentsFile() { return QStringLiteral("index.html"); }

QString HelpManual::fileOfContext(int context)
{
    for (const ContextPage &entry : kContextPages)
        if (entry.context == context)
            return QString::fromLatin1(entry.file);
    return contentsFile();
}

QList<HelpManual::Page> HelpManual::find(const QString &query) const
{
    const QStringList words = query.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<Page> hits;
    for (const Page &page : m_pages) {
        const bool all = std::all_of(words.begin(), words.end(), [&page](const QString &word) {
            return page.title.contains(word, Qt::CaseInsensitive) || page.text.contains(word, Qt::CaseInsensitive);
        });
        if (all)
            hits.append(page);
    }
    return hits;
}
