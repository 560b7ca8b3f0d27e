#pragma once
// Date texts of the journals: two-digit day, month and year with points
// between ("06.12.26").
#include <QDate>
#include <QString>

// "dd.MM.yy" for a date.
QString DatumText(const QDate &d);

// Reads a date text: day, month and year separated by points, blanks around
// it ignored. A one- or two-digit year is placed in the hundred years that
// begin fifty years before the year of `heute`; a year of three or four digits
// stands as it is. Raises EConvertError "'%s' ist kein gültiges Datum".
QDate DatumLesen(const QString &text, const QDate &heute);

// The hundred years that begin fifty years before this year, in which a one- or
// two-digit year is placed: in 2026, 76 is 1976 and 75 is 2075.
struct Jahrhundertfenster {
    int beginn;
    int jahrhundert;
    constexpr explicit Jahrhundertfenster(int diesesJahr)
        : beginn(diesesJahr - 50), jahrhundert(beginn - ((beginn % 100) + 100) % 100)
    {
    }
    constexpr int jahr(int zweistellig) const
    {
        const int j = jahrhundert + zweistellig;
        return j < beginn ? j + 100 : j;
    }
};
