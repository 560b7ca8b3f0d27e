#pragma once
// Date texts of the journals: two-digit day, month and year with points
// between ("06.12.26").
#include <QDate>
#include <QString>

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

// "dd.MM.yy" for a date.
QString DatumText(const QDate &d);

// Reads a date text: day, month and year separated by points, blanks around
// it ignored. A one- or two-digit year is placed in the hundred years that
// begin fifty years before the year of `heute`; a year of three or four digits
// stands as it is. Raises EConvertError "'%s' ist kein gültiges Datum".
QDate DatumLesen(const QString &text, const QDate &heute);

// A date as a keeper types it into the date dialog: "1.9.26", "01.09.2026",
// "010926" or "01092026", blanks around it ignored. A one- or two-digit year
// is placed in the window above.
struct DatumEingabe {
    QDate datum;    // valid exactly when the text names a date that may be chosen
    QString fehler; // otherwise a short word saying why not
};
// Refuses a text that is no date yet ("unvollständig"), none at all ("kein
// Datum"), no day of the calendar ("ungültig"), a day after `heute` ("nach
// heute"), and a year before the window, which a journal would read back as a
// hundred years later ("zu weit zurück").
DatumEingabe DatumEingabeLesen(const QString &text, const QDate &heute);
