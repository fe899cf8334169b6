#pragma once

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

// The help context of a control: its own number, else that of the nearest
// enclosing widget that has one (the window has 1).
int helpContextOf(const QWidget *widget);
void setHelpContext(QWidget *widget, int context);
