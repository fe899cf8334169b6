#include "image/hexreader.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <utility>

namespace {
// Value of each character as a hex digit, -1 for the others.
constexpr std::array<qint8, 256> kHexValue = [] {
    std::array<qint8, 256> table{};
    table.fill(-1);
    for (int c = '0'; c <= '9'; ++c)
        table[c] = qint8(c - '0');
    for (int c = 'A'; c <= 'F'; ++c)
        table[c] = table[c + ('a' - 'A')] = qint8(c - 'A' + 10);
    return table;
}();
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
        if (m_state == State::Digits) {
            p = takeDigits(p, stop);
            continue;
        }
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
        case State::Digits:
            break;
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

// The hot loop: the digits of one record.
const char *HexReader::takeDigits(const char *p, const char *stop)
{
    while (p != stop) {
        // Whole pairs once the record's size is known: the common case. Locals,
        // because the byte stores into m_record may alias every member.
        if (m_highNibble < 0 && m_bytes > 0) {
            int bytes = m_bytes;
            const int end = bytes + int(std::min<qsizetype>(m_recordSize - bytes, (stop - p) / 2));
            for (; bytes < end; ++bytes, p += 2) {
                const int high = kHexValue[quint8(p[0])];
                const int low = kHexValue[quint8(p[1])];
                if ((high | low) < 0)
                    break;
                m_record[bytes] = quint8(high << 4 | low);
            }
            m_bytes = bytes;
            if (bytes == m_recordSize) {
                recordComplete();
                return p;
            }
            if (p == stop)
                return p;
        }
        // One digit at a time: the byte count, a bad digit, a pair split between pieces.
        const int nibble = kHexValue[quint8(*p)];
        if (nibble < 0) {
            m_result = Result::SyntaxError;
            return p;
        }
        ++p;
        if (m_highNibble < 0) {
            m_highNibble = nibble;
            continue;
        }
        m_record[m_bytes++] = quint8(m_highNibble << 4 | nibble);
        m_highNibble = -1;
        if (m_bytes == 1)
            m_recordSize = 5 + m_record[0];
        else if (m_bytes == m_recordSize) {
            recordComplete();
            return p;
        }
    }
    return p;
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
