#include "cli/clifrontend.h"

CliFrontend::CliFrontend(OptionsModel &options, QTextStream &err, bool quiet)
    : Frontend(options), m_err(err), m_quiet(quiet)
{
    m_heldTimer.setSingleShot(true);
    m_heldTimer.callOnTimeout([this] { flushStatus(); });
}

void CliFrontend::say(const QString &text, const QString &line)
{
    flushStatus();
    messages.append(text);
    if (!m_heldMessage.isEmpty())
        m_err << takeHeldMessage() << Qt::endl;
    if (holdMessages)
        m_heldMessage = line;
    else
        m_err << line << Qt::endl;
}

void CliFrontend::showMessage(const QString &text) { say(text, text); }

void CliFrontend::showMessageBox(const QString &text, const QString &caption) { say(text, caption + QStringLiteral(": ") + text); }

bool CliFrontend::askYesNo(const QString &text)
{
    flushStatus();
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
        m_err << "Lesepasswort: " << (password.isEmpty() ? "keins angegeben (--password-file, QUILLON_PASSWORD oder --password)" : "abgelehnt") << Qt::endl;
    }
}

void CliFrontend::flushStatus()
{
    m_heldTimer.stop();
    if (m_heldStatus.isEmpty())
        return;
    m_err << m_heldStatus << detailsTail() << Qt::endl;
    m_heldStatus.clear();
    m_sinceStatus.start();
}

void CliFrontend::statusChanged(int panel)
{
    if (m_quiet)
        return;
    const bool details = panel == 1;
    const QString text = status(panel);
    if (text.isEmpty())
        return;
    if (details && m_statusInterval > 0) {
        const qint64 since = m_sinceStatus.isValid() ? m_sinceStatus.elapsed() : m_statusInterval;
        if (since < m_statusInterval) {
            m_heldStatus = text;
            if (!m_heldTimer.isActive())
                m_heldTimer.start(int(m_statusInterval - since));
            return;
        }
        m_heldStatus.clear();
        m_heldTimer.stop();
        m_sinceStatus.start();
    } else {
        flushStatus();
    }
    m_err << text << (details ? detailsTail() : QString()) << Qt::endl;
}

QString CliFrontend::detailsTail() const { return detailsSuffix ? detailsSuffix() : QString(); }
