#pragma once
// A stored text as one line of output. A record read from a file may hold any
// byte in its texts; a CR or LF there would end the export's line or the printed
// paragraph early, and the rest would stand as a line of its own (a forged
// journal entry, a card line out of place). It is shown as a blank instead, one
// character for one, so positions within the text stay as they were.
#include <QString>

namespace Ausgabe {
inline QString einzeilig(QString text)
{
    for (QChar &c : text)
        if (c == u'\r' || c == u'\n')
            c = u' ';
    return text;
}
} // namespace Ausgabe
