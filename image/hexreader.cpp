#include "image/hexreader.h"

#include <numeric>
#include <utility>

namespace {
int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
}

HexReader::HexReader(RecordHandler handler) : m_handler(std::move(handler))
{
}

void HexReader::begin()
{
    m_result = Result::Reading;
    m_state = State::Colon;
    m_line = 1;
    m_bytes = 0;
    m_recordSize = 0;
    m_highNibble = -1;
}

HexReader::Result HexReader::feed(QByteArrayView text)
{
    const char *p = text.data();
    const char *const stop = p + text.size();
    while (m_result == Result::Reading && p != stop) {
        const char c = *p++;
        switch (m_state) {
        case State::Colon:
            if (c != ':') {
                m_result = Result::SyntaxError;
                break;
            }
            m_state = State::Digits;
            m_bytes = 0;
            m_recordSize = 0;
            m_highNibble = -1;
            break;
        case State::Digits: {
            const int nibble = hexDigit(c);
            if (nibble < 0) {
                m_result = Result::SyntaxError;
                break;
            }
            if (m_highNibble < 0) {
                m_highNibble = nibble;
                break;
            }
            m_record[m_bytes++] = quint8(m_highNibble << 4 | nibble);
            m_highNibble = -1;
            if (m_bytes == 1)
                m_recordSize = 5 + m_record[0];
            else if (m_bytes == m_recordSize)
                recordComplete();
            break;
        }
        case State::LineEnd:
            if (c == '\r') {
                m_state = State::LineFeed;
                break;
            }
            [[fallthrough]];
        case State::LineFeed:
            if (c != '\n') {
                m_result = Result::SyntaxError;
                break;
            }
            ++m_line;
            m_state = State::Colon;
            break;
        }
    }
    return m_result;
}

HexReader::Result HexReader::end()
{
    if (m_result == Result::Reading)
        m_result = Result::Truncated;
    return m_result;
}

void HexReader::recordComplete()
{
    // All bytes of a record, checksum included, add up to 0 modulo 256.
    const quint8 sum = std::accumulate(m_record, m_record + m_recordSize, quint8(0),
                                       [](quint8 a, quint8 b) { return quint8(a + b); });
    if (sum != 0) {
        m_result = Result::ChecksumError;
        return;
    }
    const HexRecord record{m_record[3], quint16(m_record[1] << 8 | m_record[2]),
                           std::span<const quint8>(m_record + 4, m_recordSize - 5), m_line};
    if (!m_handler(record))
        m_result = Result::Stopped;
    else if (record.type == 0x01)
        m_result = Result::EndOfFile;
    else
        m_state = State::LineEnd;
}
