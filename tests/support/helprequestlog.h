#pragma once
// Records the window's help requests instead of showing the manual.
#include "mainwindow/helpviewer.h"

#include <QList>

class HelpRequestLog : public HelpViewer {
public:
    struct Request {
        enum Kind { Topic, Finder, Contents } kind;
        int context = 0;
        bool operator==(const Request &) const = default;
    };
    QList<Request> requests;

    void showTopic(int context) override { requests.append(Request{Request::Topic, context}); }
    void showFinder() override { requests.append(Request{Request::Finder, 0}); }
    void showContents() override { requests.append(Request{Request::Contents, 0}); }
};
