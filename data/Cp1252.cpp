#include "data/Cp1252.h"

#include <QByteArray>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five bytes the
// code page leaves undefined keep their own number (as C1 controls), so a file
// written by another program survives being read and written back.
constexpr char16_t Oberhalb7F[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98..9F
};

char16_t zeichen(std::uint8_t b)
{
    return (b >= 0x80 && b < 0xA0) ? Oberhalb7F[b - 0x80] : char16_t(b);
}

// The byte for a code point, or '?' when the code page has none.
char byteFuer(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    // Only the 27 defined characters and the five kept C1 controls of the
    // table live in 0x80..0x9F; every other C1 control is not representable.
    for (int i = 0; i < 32; ++i)
        if (Oberhalb7F[i] == c)
            return char(0x80 + i);
    return '?';
}

// Calls f(position, length, byte) for each character of `text`; a surrogate
// pair is one character of length 2.
template <typename F>
void zeichenweise(const QString &text, F f)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            f(i, 2, '?'); // a pair is one character, and none of them is in the code page
            ++i;
            continue;
        }
        // A lone surrogate is no character the code page knows either.
        f(i, 1, QChar::isSurrogate(c) ? '?' : byteFuer(c));
    }
}

} // namespace

namespace Cp1252 {

QString decode(const std::uint8_t *bytes, std::size_t count)
{
    QString s(qsizetype(count), Qt::Uninitialized);
    QChar *out = s.data();
    for (std::size_t i = 0; i < count; ++i)
        out[i] = QChar(zeichen(bytes[i]));
    return s;
}

QString decode(const QByteArray &bytes)
{
    return decode(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size()));
}

QByteArray encode(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    zeichenweise(text, [&](qsizetype, qsizetype, char b) { out.append(b); });
    return out;
}

QStringList nichtDarstellbar(const QString &text)
{
    QStringList fremd;
    zeichenweise(text, [&](qsizetype i, qsizetype laenge, char b) {
        if (b != '?' || text[i] == u'?')
            return;
        const QString zeichen = text.mid(i, laenge);
        if (!fremd.contains(zeichen))
            fremd << zeichen;
    });
    return fremd;
}

} // namespace Cp1252
