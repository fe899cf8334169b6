#pragma once
#include <QList>

class QWidget;

// The program's help: a topic by its help context number, the topic finder,
// the contents. The window only asks; a viewer shows.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    virtual void showTopic(int context) = 0;
    virtual void showFinder() = 0;
    virtual void showContents() = 0;
};

// Keeps the requests until a viewer with the manual takes its place.
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

// The help context of a control: its own number, else that of the nearest
// enclosing widget that has one (the window has 1).
int helpContextOf(const QWidget *widget);
void setHelpContext(QWidget *widget, int context);
