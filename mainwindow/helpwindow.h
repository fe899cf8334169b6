#pragma once
#include "mainwindow/helpmanual.h"
#include "mainwindow/helpviewer.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTextBrowser;

// The manual's window: the topic finder (search field and topic list) beside
// the page. Made once, not modal; each request brings it to the front.
class HelpWindow : public QWidget, public HelpViewer {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    void showTopic(int context) override;
    void showFinder() override;
    void showContents() override;

    // The window the help belongs to: the help opens beside it.
    void setAnchor(const QWidget *window) { m_anchor = window; }

    // The page shown, by its file name.
    QString currentFile() const;

    QLineEdit *edSearch;
    QListWidget *lbTopics;
    QTextBrowser *browser;

private:
    void openFile(const QString &file);
    void listTopics(const QString &query);
    void openFirstHit();
    void openHit(QListWidgetItem *item);
    void markTopic();
    void present();

    HelpManual m_manual;
    const QWidget *m_anchor = nullptr;
};
