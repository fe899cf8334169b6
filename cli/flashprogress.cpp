#include "cli/flashprogress.h"

#include "cli/clifrontend.h"

namespace {
constexpr int kBarWidth = 40;
constexpr int kLettersShown = 50;
// A record takes well under a millisecond over TCP: redraw at a pace a
// person can read, not once per record.
constexpr int kRedrawMs = 100;
}

FlashProgress::FlashProgress(QTextStream &err, CliFrontend &ui) : m_err(err), m_ui(ui), m_wasQuiet(ui.quiet()) {}

FlashProgress::~FlashProgress() { endLine(); }

void FlashProgress::endLine()
{
    if (m_drawn)
        m_err << Qt::endl;
    m_drawn = false;
    m_ui.setQuiet(m_wasQuiet);
}

void FlashProgress::draw(const QString &line, bool now)
{
    if (!m_drawn) {
        m_drawn = true;
        m_ui.setQuiet(true);
    } else if (!now && m_sinceDrawn.isValid() && m_sinceDrawn.elapsed() < kRedrawMs) {
        return;
    }
    m_sinceDrawn.start();
    // Erase to the end of the line: the letters can be shorter than the bar.
    m_err << '\r' << line << "\x1b[K";
    m_err.flush();
}

void FlashProgress::update(const TransferProgress &progress, int uploadPhase)
{
    if (uploadPhase == 5 && !m_programming) {
        // The bar as it ended stays on its line; the letters get the next.
        m_programming = true;
        draw(QStringLiteral("Daten [%1] %2/%2").arg(QString(kBarWidth, QLatin1Char('#'))).arg(progress.blocksTotal), true);
        endLine();
    }
    if (!m_programming) {
        const int total = progress.blocksTotal;
        const int filled = total > 0 ? int(qint64(progress.blocksSent) * kBarWidth / total) : kBarWidth;
        draw(QStringLiteral("Daten [%1%2] %3/%4")
                 .arg(QString(filled, QLatin1Char('#')), QString(kBarWidth - filled, QLatin1Char('.')))
                 .arg(progress.blocksSent)
                 .arg(total),
             progress.finished);
    } else if (!progress.finished) {
        // 0 is a letter that did not come (time-out): nothing to show.
        if (progress.letter != 0)
            m_letters.append(progress.letter >= 0x20 && progress.letter < 0x7F ? char(progress.letter) : '?');
        draw(QStringLiteral("Programmierung: ") + QString::fromLatin1(m_letters.right(kLettersShown)), false);
    } else if (!m_letters.isEmpty()) {
        draw(QStringLiteral("Programmierung: ") + QString::fromLatin1(m_letters.right(kLettersShown)), true);
    }
    // The final message follows on a line of its own.
    if (progress.finished)
        endLine();
}
