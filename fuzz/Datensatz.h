#pragma once
// What the output targets share: one record made from arbitrary bytes, and the
// record's raw fields read straight from its bytes (by offset, not through the
// accessors the targets check).
#include "data/TSchlange.h"

#include <QByteArray>
#include <algorithm>
#include <cstdint>
#include <cstring>

namespace fuzz {

inline void pruefen(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// A short input is repeated until it fills the record, so a few bytes already
// reach every slot (a period of 9 or 101 bytes sets the same byte of each date
// or text slot, e.g. all 201 dates without an end mark); a longer one gives
// the record's first bytes as they are, an empty one an all-zero record.
inline TSchlange datensatz(const std::uint8_t *data, std::size_t size)
{
    TSchlange s;
    std::uint8_t *ziel = s.data();
    if (size == 0)
        return s;
    for (std::size_t pos = 0; pos < TSchlange::Groesse;) {
        const std::size_t n = std::min(size, TSchlange::Groesse - pos);
        std::memcpy(ziel + pos, data, n);
        pos += n;
    }
    return s;
}

// The stored bytes of a text field: at most `kap` of them, whatever its length byte says.
inline QByteArray feld(const TSchlange &s, std::size_t off, int kap)
{
    const std::size_t n = std::min<std::size_t>(s.data()[off], std::size_t(kap));
    return QByteArray(reinterpret_cast<const char *>(s.data() + off + 1), qsizetype(n));
}

// The same with a line end turned into a blank: what the outputs must show.
inline QByteArray einzeilig(const TSchlange &s, std::size_t off, int kap)
{
    QByteArray b = feld(s, off, kap);
    for (char &c : b)
        if (c == '\r' || c == '\n')
            c = ' ';
    return b;
}

// A journal's entries: slots from 0 while the date's length byte is not zero.
inline int eintraege(const TSchlange &s, std::size_t datumOff)
{
    int n = 0;
    while (n < TSchlange::Slots && s.data()[datumOff + 9 * std::size_t(n)] != 0)
        ++n;
    return n;
}

inline std::size_t datumSlot(std::size_t basis, int i)
{
    return basis + 9 * std::size_t(i);
}

inline std::size_t textSlot(std::size_t basis, int i)
{
    return basis + 101 * std::size_t(i);
}

} // namespace fuzz
