#pragma once
#include <QList>
#include <QString>
#include <QUrl>

// The German manual: its HTML pages (helpFolder()), their titles and their
// text for the finder, and the page of each help context number.
class HelpManual {
public:
    struct Page {
        QString file;   // "upload.html"
        QString title;  // the page's <title>
        QString text;   // its plain text, for the search
    };

    HelpManual();

    static QUrl urlOf(const QString &file);
    static QString contentsFile();
    // The page of a context number; the contents for a number without one.
    static QString fileOfContext(int context);

    const QList<Page> &pages() const { return m_pages; }
    // Pages whose title or text holds every word of the query (case ignored),
    // the contents first, then by title; all pages for an empty query.
    QList<Page> find(const QString &query) const;

private:
    QList<Page> m_pages;
};
