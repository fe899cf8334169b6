#pragma once
#include "link/frontend.h"

#include <QStringList>
#include <QTextStream>

// The terminal as the program's window: status lines and messages go to
// stderr, questions are answered from the command line's options.
class CliFrontend : public Frontend {
public:
    CliFrontend(OptionsModel &options, QTextStream &err, bool quiet);

    // The answer to every Yes/No question (the CLI never waits for a human).
    bool yesNoAnswer = false;
    // Given once to the first password prompt; a second prompt gives up.
    QByteArray password;

    // Every message box shown, in order (for --json).
    QStringList messages;

    void showMessage(const QString &text) override;
    void showMessageBox(const QString &text, const QString &caption) override;
    bool askYesNo(const QString &text) override;
    void askReadPassword(QByteArray &readPassword) override;

    // Status lines on stderr off while a progress display owns the line.
    void setQuiet(bool quiet) { m_quiet = quiet; }
    bool quiet() const { return m_quiet; }

protected:
    void changed(const QString &name) override;

private:
    QTextStream &m_err;
    bool m_quiet;
    int m_passwordPrompts = 0;
};
