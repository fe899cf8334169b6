#pragma once
#include <QByteArray>
#include <array>

// The modem's reply buffer: what the modem says between its line feeds.
// Output longer than the buffer keeps its first MaxText characters; nothing
// is written past the buffer.
class ModemReply {
public:
    static constexpr int Capacity = 255;
    static constexpr int MaxText = Capacity - 1;

    ModemReply() { clear(); }
    // Filled with 0xFF, no line feed seen, writing from the start.
    void clear();

    // The initialisation's rule: the first line feed restarts the text, every
    // other byte is stored.
    void takeInitByte(quint8 byte);
    // The dial's rule: as above, but every run of carriage returns becomes one
    // "|". True when this byte was the second line feed.
    bool takeDialByte(quint8 byte);

    int lineFeeds() const { return m_lineFeeds; }
    // The stored text without its last character (the CR before the line feed).
    QByteArray text() const;

private:
    bool takeLineFeed();
    void store(char c);

    std::array<char, Capacity> m_buffer;
    int m_position = 0;
    int m_lineFeeds = 0;
    bool m_cut = false;  // bytes were dropped for want of room
};
