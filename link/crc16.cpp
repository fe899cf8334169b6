#include "link/link.h"

#include <array>

namespace {
// Table of the reversed CCITT polynomial, built once at compile time.
constexpr std::array<quint16, 256> makeTable()
{
    std::array<quint16, 256> table{};
    for (int i = 0; i < 256; ++i) {
        quint16 crc = quint16(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0x8408) : quint16(crc >> 1);
        table[i] = crc;
    }
    return table;
}
constexpr std::array<quint16, 256> kTable = makeTable();
static_assert(kTable[1] == 0x1189 && kTable[2] == 0x2312);
}

quint16 Crc16(const char *bytes, int count)
{
    quint16 crc = 0;
    for (int i = 0; i < count; ++i)
        crc = kTable[(crc ^ quint8(bytes[i])) & 0xFF] ^ (crc >> 8);
    return crc;
}
