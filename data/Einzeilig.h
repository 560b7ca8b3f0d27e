#pragma once
// A stored text as one line. A record read from a file may hold any byte in its
// texts; a CR or LF there would end the export's line, the printed paragraph or
// a setting early, and the rest would stand as a line of its own (a forged
// journal entry, a card line out of place, another setting read back). It is
// shown as a blank instead, one character for one, so positions within the text
// stay as they were.
#include <QString>
#include <QStringView>

namespace Zeile {

// Where a reader also stops at a DOS end of file (the settings file), that
// character ends the line too.
constexpr char16_t DateiEnde = 0x1A; // Ctrl-Z

inline bool bricht(QChar c, QStringView auch = {})
{
    return c == u'\r' || c == u'\n' || auch.contains(c);
}

inline QString einzeilig(QString text, QStringView auch = {})
{
    for (QChar &c : text)
        if (bricht(c, auch))
            c = u' ';
    return text;
}

} // namespace Zeile
