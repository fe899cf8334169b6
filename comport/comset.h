#pragma once
#include <QtGlobal>
#include <initializer_list>

// A set over a small enumeration whose members are ordinals from 0.
template <typename E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> members)
    {
        for (E m : members)
            include(m);
    }

    constexpr bool contains(E member) const { return (m_bits & bit(member)) != 0; }
    constexpr TSet &include(E member)
    {
        m_bits |= bit(member);
        return *this;
    }
    constexpr TSet &exclude(E member)
    {
        m_bits &= ~bit(member);
        return *this;
    }
    constexpr bool isEmpty() const { return m_bits == 0; }
    constexpr quint32 bits() const { return m_bits; }

    friend constexpr bool operator==(TSet, TSet) = default;

private:
    static constexpr quint32 bit(E member) { return 1u << quint32(member); }
    quint32 m_bits = 0;
};
