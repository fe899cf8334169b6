#pragma once
#include <QList>
#include <QString>
#include <QtGlobal>

// Held while the application object is made: when it finds no display, the
// program ends with a German message and exit code 2 instead of Qt's English
// abort. Qt's own messages of that time are shown only if it starts.
class DisplayGuard {
public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard &) = delete;
    DisplayGuard &operator=(const DisplayGuard &) = delete;

private:
    QtMessageHandler m_previous;
};
