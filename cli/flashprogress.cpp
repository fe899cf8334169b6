#include "cli/flashprogress.h"

#include "cli/clifrontend.h"

namespace {
constexpr int kMaxBarWidth = 40;
constexpr int kMinBarWidth = 5;
// A record takes well under a millisecond over TCP: redraw at a pace a
// person can read, not once per record.
constexpr int kRedrawMs = 100;

// "2:05", "1:02:05".
QString clockText(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    const QString minutesAndSeconds = QStringLiteral("%1:%2").arg(seconds / 60 % 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (seconds < 3600)
        return minutesAndSeconds;
    return QStringLiteral("%1:%2").arg(seconds / 3600).arg(minutesAndSeconds.rightJustified(5, QLatin1Char('0')));
}
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

QString FlashProgress::dataLine(int sent, int total)
{
    if (!m_sinceStart.isValid())
        m_sinceStart.start();
    const qint64 elapsed = m_sinceStart.elapsed();
    const int percent = total > 0 ? int(qint64(sent) * 100 / total) : 100;
    // The records so far set the pace of the rest; until one has gone there is none.
    const QString remaining = sent > 0 ? clockText(elapsed * (total - sent) / sent) : QStringLiteral("-:--");
    const QString share = QStringLiteral(" %1 %  %2/%3").arg(percent, 3).arg(sent).arg(total);
    QString count = share + QStringLiteral("  %1, noch %2").arg(clockText(elapsed), remaining);
    // A narrow terminal keeps the bar and the share, without the times.
    if (m_columns - 1 - 8 - kMinBarWidth < count.size())
        count = share;
    const int width = qBound(kMinBarWidth, m_columns - 1 - int(count.size()) - 8, kMaxBarWidth);
    const int filled = total > 0 ? int(qint64(sent) * width / total) : width;
    return QStringLiteral("Daten [%1%2]").arg(QString(filled, QLatin1Char('#')), QString(width - filled, QLatin1Char('.'))) + count;
}

QString FlashProgress::letterLine() const
{
    return QStringLiteral("Programmierung: E %1  a %2  p %3").arg(m_letters.repeats).arg(m_letters.addressRecords).arg(m_letters.dataRecords);
}

void FlashProgress::update(const TransferProgress &progress, Phase uploadPhase)
{
    if (uploadPhase == Phase::Programming && !m_programming) {
        // The bar as it ended stays on its line; the letters get the next.
        m_programming = true;
        draw(dataLine(progress.blocksTotal, progress.blocksTotal), true);
        endLine();
    }
    if (!m_programming) {
        draw(dataLine(progress.blocksSent, progress.blocksTotal), progress.finished);
    } else if (!progress.finished) {
        m_letters.countLetter(progress.letter);
        draw(letterLine(), false);
    } else {
        draw(letterLine(), true);
    }
    // The final message follows on a line of its own.
    if (progress.finished)
        endLine();
}
