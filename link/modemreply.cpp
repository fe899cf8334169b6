#include "link/modemreply.h"

void ModemReply::clear()
{
    m_buffer.fill(char(0xFF));
    m_position = 0;
    m_lineFeeds = 0;
    m_cut = false;
}

bool ModemReply::takeLineFeed()
{
    if (m_lineFeeds == 0) {
        m_position = 0;
        m_cut = false;
    }
    return ++m_lineFeeds == 2;
}

void ModemReply::store(char c)
{
    if (m_position < MaxText)
        m_buffer[m_position++] = c;
    else
        m_cut = true;
}

void ModemReply::takeInitByte(quint8 byte)
{
    if (byte == '\n')
        takeLineFeed();
    else
        store(char(byte));
}

bool ModemReply::takeDialByte(quint8 byte)
{
    if (byte == '\n')
        return takeLineFeed();
    if (byte == '\r') {
        if (m_position > 0 && m_buffer[m_position - 1] == '|')
            --m_position;
        store('|');
    } else {
        store(char(byte));
    }
    return false;
}

QByteArray ModemReply::text() const
{
    // A cut text never stored its closing CR: all of it is text.
    return QByteArray(m_buffer.data(), m_cut ? m_position : qMax(0, m_position - 1));
}
