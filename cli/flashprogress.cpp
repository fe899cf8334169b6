#include "cli/flashprogress.h"

#include "cli/clifrontend.h"

namespace {
constexpr int kMaxBarWidth = 40;
constexpr int kMinBarWidth = 5;
// A record takes well under a millisecond over TCP: redraw at a pace a
// person can read, not once per record.
constexpr int kRedrawMs = 100;
}

FlashProgress::FlashProgress(QTextStream &err, CliFrontend &ui, int columns)
    : m_err(err), m_ui(ui), m_columns(columns), m_wasQuiet(ui.quiet())
{
}

FlashProgress::~FlashProgress() { endLine(); }

void FlashProgress::endLine()
{
    if (m_drawn)
        m_err << Qt::endl;
    m_drawn = false;
    m_ui.setQuiet(m_wasQuiet);
}

void FlashProgress::note(const QString &text)
{
    const bool drawn = m_drawn;
    endLine();
    m_err << text << Qt::endl;
    if (drawn)
        draw(m_line, true);
}

void FlashProgress::draw(const QString &line, bool now)
{
    if (!m_drawn) {
        m_drawn = true;
        m_ui.setQuiet(true);
    } else if (!now && m_sinceDrawn.isValid() && m_sinceDrawn.elapsed() < kRedrawMs) {
        m_line = line;
        return;
    }
    m_line = line;
    m_sinceDrawn.start();
    // The last column stays free: writing into it wraps on some terminals.
    // Erase to the end of the line: the new text can be shorter than the old.
    m_err << '\r' << line.left(m_columns - 1) << "\x1b[K";
    m_err.flush();
}

QString FlashProgress::barLine(const QString &label, int done, int total, const QString &counts) const
{
    const QString share = QStringLiteral(" %1 %").arg(PhasePace::percent(done, total), 3) + counts;
    QString tail = share + QStringLiteral("  %1, noch %2").arg(m_pace.elapsedText(), m_pace.remainingText(done, total));
    // A narrow terminal keeps the bar and the share, without the times.
    const int fixed = int(label.size()) + 3;  // " [" and "]"
    if (m_columns - 1 - fixed - kMinBarWidth < tail.size())
        tail = share;
    const int width = qBound(kMinBarWidth, m_columns - 1 - int(tail.size()) - fixed, kMaxBarWidth);
    const int filled = total > 0 ? int(qint64(done) * width / total) : width;
    return QStringLiteral("%1 [%2%3]").arg(label, QString(filled, QLatin1Char('#')), QString(width - filled, QLatin1Char('.'))) + tail;
}

QString FlashProgress::dataLine(int sent, int total) const
{
    return barLine(QStringLiteral("Daten"), sent, total, QStringLiteral("  %1/%2").arg(sent).arg(total));
}

QString FlashProgress::letterLine(const TransferProgress &progress) const
{
    const QString counts = QStringLiteral("Programmierung: E %1  a %2  p %3").arg(m_letters.repeats).arg(m_letters.addressRecords).arg(m_letters.dataRecords);
    return barLine(counts, progress.phaseDone(), progress.phaseTotal(), {});
}

void FlashProgress::update(const TransferProgress &progress, Phase uploadPhase)
{
    if (uploadPhase == Phase::Programming && !m_programming) {
        // The bar as it ended stays on its line; the letters get the next.
        m_programming = true;
        draw(dataLine(progress.blocksTotal, progress.blocksTotal), true);
        endLine();
        m_pace.restart();
    }
    m_pace.step();
    if (!m_programming) {
        draw(dataLine(progress.blocksSent, progress.blocksTotal), progress.finished);
    } else if (!progress.finished) {
        m_letters.countLetter(progress.letter);
        draw(letterLine(progress), false);
    } else {
        draw(letterLine(progress), true);
    }
    // The final message follows on a line of its own.
    if (progress.finished)
        endLine();
}
