#pragma once
#include "frontend/frontend.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTextStream>
#include <QTimer>
#include <functional>
#include <utility>

// The terminal as the program's window: status lines and messages go to
// stderr, questions are answered from the command line's options.
class CliFrontend : public Frontend {
public:
    CliFrontend(OptionsModel &options, QTextStream &err, bool quiet);

    // The answer to every Yes/No question (the CLI never waits for a human).
    bool yesNoAnswer = false;
    // Given once to the first password prompt; a second prompt gives up.
    QByteArray password;
    // A new conversation (the device restarted) may ask for it once more.
    void offerPasswordAgain() { m_passwordPrompts = 0; }

    // Every message box shown, in order (for --json).
    QStringList messages;
    QString lastMessage() const { return messages.isEmpty() ? QString() : messages.constLast(); }

    // While set, a message waits until the next one comes: the last one is
    // the command's result, which the command prints on stdout itself.
    bool holdMessages = false;
    // The message kept back, then none.
    QString takeHeldMessage() { return std::exchange(m_heldMessage, QString()); }

    void showMessage(const QString &text) override;
    void showMessageBox(const QString &text, const QString &caption) override;
    bool askYesNo(const QString &text) override;
    void askReadPassword(QByteArray &readPassword) override;

    // Status lines on stderr off while a progress display owns the line.
    void setQuiet(bool quiet) { m_quiet = quiet; }
    bool quiet() const { return m_quiet; }

    // Status panel 1 at most once per ms (0: every change). A line held back
    // shows when the time is over, or before the next line of another kind.
    void setStatusInterval(int ms) { m_statusInterval = ms; }
    void flushStatus();
    // Added to every status panel 1 line, as it is printed.
    std::function<QString()> detailsSuffix;

protected:
    void statusChanged(int panel) override;

private:
    void say(const QString &text, const QString &line);
    QString detailsTail() const;

    QTextStream &m_err;
    bool m_quiet;
    int m_passwordPrompts = 0;
    int m_statusInterval = 0;
    QElapsedTimer m_sinceStatus;
    QString m_heldStatus;
    QString m_heldMessage;
    QTimer m_heldTimer;
};
