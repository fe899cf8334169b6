#pragma once
#include "frontend/frontend.h"
#include "options/optionsmodel.h"
#include "station/station.h"

#include <QList>
#include <QStringList>

// A scripted window: records what was shown and answers questions from lists.
class FakeFrontend : public Frontend {
public:
    explicit FakeFrontend(OptionsModel &options) : Frontend(options) {}

    QStringList messages;       // showMessage and showMessageBox texts, in order
    QStringList captions;       // showMessageBox captions, in order
    QStringList questions;      // askYesNo texts, in order
    QList<bool> answers;        // answers to askYesNo, taken from the front; No when empty
    QStringList statusHistory;  // every non-empty status text "0:..." / "1:..."
    QList<LinkColour> colours;
    QList<std::pair<ModemTask, bool>> modemTasks;  // each start (true) and end of a modem task

    // The password dialog: each entry is what the user does at one showing.
    struct PasswordAction {
        enum Kind { Confirm, GiveUp, Close } kind;
        QByteArray text;  // for Confirm
    };
    QList<PasswordAction> passwordActions;  // Close when empty
    QList<QByteArray> passwordShownWith;    // the dialog's edPw text when shown

    void showMessage(const QString &text) override { messages.append(text); }
    void showMessageBox(const QString &text, const QString &caption) override
    {
        messages.append(text);
        captions.append(caption);
    }
    bool askYesNo(const QString &text) override
    {
        questions.append(text);
        return answers.isEmpty() ? false : answers.takeFirst();
    }
    void askReadPassword(QByteArray &readPassword) override
    {
        passwordShownWith.append(readPassword);
        const PasswordAction action = passwordActions.isEmpty() ? PasswordAction{PasswordAction::Close, {}} : passwordActions.takeFirst();
        if (action.kind == PasswordAction::Confirm)
            readPassword = action.text;
        else if (action.kind == PasswordAction::GiveUp)
            readPassword.clear();
    }
    void setLinkColour(LinkColour colour) override { colours.append(colour); }
    void modemTask(ModemTask task, bool running) override { modemTasks.append({task, running}); }

protected:
    void statusChanged(int panel) override
    {
        if (!status(panel).isEmpty())
            statusHistory.append(QString::number(panel) + QLatin1Char(':') + status(panel));
    }
};

// The program's state wired together with a fake window, as one object.
using TestStation = Station<FakeFrontend>;
