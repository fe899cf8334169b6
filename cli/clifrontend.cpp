#include "cli/clifrontend.h"

CliFrontend::CliFrontend(OptionsModel &options, QTextStream &err, bool quiet)
    : Frontend(options), m_err(err), m_quiet(quiet)
{
}

void CliFrontend::showMessage(const QString &text)
{
    messages.append(text);
    m_err << text << Qt::endl;
}

void CliFrontend::showMessageBox(const QString &text, const QString &caption)
{
    messages.append(text);
    m_err << caption << ": " << text << Qt::endl;
}

bool CliFrontend::askYesNo(const QString &text)
{
    m_err << text << (yesNoAnswer ? " -> Ja" : " -> Nein") << Qt::endl;
    return yesNoAnswer;
}

void CliFrontend::askReadPassword(QByteArray &readPassword)
{
    // Asked again means the password was wrong: give it up like the dialog's
    // "Passwort wird deaktiviert" button.
    if (++m_passwordPrompts == 1 && !password.isEmpty()) {
        readPassword = password;
        m_err << "Lesepasswort: gesendet" << Qt::endl;
    } else {
        readPassword.clear();
        m_err << "Lesepasswort: " << (password.isEmpty() ? "keins angegeben (--password)" : "abgelehnt") << Qt::endl;
    }
}

void CliFrontend::changed(const QString &name)
{
    if (m_quiet || !name.startsWith(QLatin1String("StatusBar.")))
        return;
    const QString text = status(name.endsWith(QLatin1Char('0')) ? 0 : 1);
    if (!text.isEmpty())
        m_err << text << Qt::endl;
}
