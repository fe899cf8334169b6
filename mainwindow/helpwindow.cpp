#include "mainwindow/helpwindow.h"
#include "mainwindow/windowplacement.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Quillon - Hilfe"));
    resize(860, 600);

    auto *finder = new QWidget;
    auto *finderLayout = new QVBoxLayout(finder);
    finderLayout->setContentsMargins(0, 0, 0, 0);
    finderLayout->addWidget(new QLabel(QStringLiteral("Suchbegriff:")));
    edSearch = new QLineEdit;
    edSearch->setObjectName(QStringLiteral("edSearch"));
    edSearch->setClearButtonEnabled(true);
    finderLayout->addWidget(edSearch);
    finderLayout->addWidget(new QLabel(QStringLiteral("Themen:")));
    lbTopics = new QListWidget;
    lbTopics->setObjectName(QStringLiteral("lbTopics"));
    finderLayout->addWidget(lbTopics);

    browser = new QTextBrowser;
    browser->setObjectName(QStringLiteral("browser"));
    // The manual is offline: links stay inside it, nothing goes to a web browser.
    browser->setOpenExternalLinks(false);

    auto *splitter = new QSplitter;
    splitter->addWidget(finder);
    splitter->addWidget(browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 620});
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(splitter);

    // Esc closes it, as it closes the program's dialogs.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);

    connect(edSearch, &QLineEdit::textChanged, this, &HelpWindow::listTopics);
    connect(edSearch, &QLineEdit::returnPressed, this, &HelpWindow::openFirstHit);
    connect(lbTopics, &QListWidget::itemActivated, this, &HelpWindow::openHit);
    connect(lbTopics, &QListWidget::itemClicked, this, &HelpWindow::openHit);
    // The list follows the page, whether a topic, a link or a help request
    // opened it (sourceChanged misses a page shown before).
    connect(browser, &QTextBrowser::historyChanged, this, &HelpWindow::markTopic);
    listTopics(QString());
    openFile(HelpManual::contentsFile());
}

void HelpWindow::showTopic(int context)
{
    openFile(HelpManual::fileOfContext(context));
    present();
    browser->setFocus();
}

void HelpWindow::showFinder()
{
    present();
    edSearch->setFocus();
    edSearch->selectAll();
}

void HelpWindow::showContents()
{
    openFile(HelpManual::contentsFile());
    present();
    browser->setFocus();
}

QString HelpWindow::currentFile() const { return browser->source().fileName(); }

void HelpWindow::openFile(const QString &file) { browser->setSource(HelpManual::urlOf(file)); }

void HelpWindow::listTopics(const QString &query)
{
    lbTopics->clear();
    for (const HelpManual::Page &page : m_manual.find(query)) {
        auto *item = new QListWidgetItem(page.title, lbTopics);
        item->setData(Qt::UserRole, page.file);
    }
    markTopic();
}

void HelpWindow::markTopic()
{
    const QString file = currentFile();
    for (int row = 0; row < lbTopics->count(); ++row)
        if (lbTopics->item(row)->data(Qt::UserRole).toString() == file) {
            lbTopics->setCurrentRow(row);
            return;
        }
    lbTopics->setCurrentRow(-1);
}

// Return in the search field: the first hit.
void HelpWindow::openFirstHit()
{
    if (lbTopics->count() > 0)
        openHit(lbTopics->item(0));
}

// A topic of the list, the first match of the search marked in it.
void HelpWindow::openHit(QListWidgetItem *item)
{
    openFile(item->data(Qt::UserRole).toString());
    const QString first = edSearch->text().split(QLatin1Char(' '), Qt::SkipEmptyParts).value(0);
    // From the top: a page already shown keeps its cursor, and find would go on to the next match.
    browser->moveCursor(QTextCursor::Start);
    if (!first.isEmpty())
        browser->find(first);
}

void HelpWindow::present()
{
    if (!isVisible() && m_anchor)
        placeBeside(*this, *m_anchor);
    show();
    raise();
    activateWindow();
}
