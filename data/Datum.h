#pragma once
// Date texts of the journals: two-digit day, month and year with points
// between ("06.12.26").
#include <QDate>
#include <QString>
#include <chrono>
#include <optional>
#include <string_view>

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

// What a journal date is, the one rule for every reader: day and month of one
// or two decimal digits, a year of one or two (placed in the window above) or
// of four (standing as written; there is no year 0), points between, blanks
// around each number allowed. Nothing for anything else: a day the month does
// not have, a year of three digits or more than four, any other character.
// The text is taken byte by byte (Windows-1252 or Latin-1: only ASCII counts).
std::optional<std::chrono::year_month_day> JournalDatum(std::string_view text, int diesesJahr);

// The same rule for a text on screen; an invalid date for none.
QDate JournalDatum(const QString &text, const QDate &heute);

// As JournalDatum, raising EConvertError "'%s' ist kein gültiges Datum" for a
// text that is none.
QDate DatumLesen(const QString &text, const QDate &heute);

// A date as a keeper types it into the date dialog: a journal date ("1.9.26",
// "01.09.2026", " 1 . 9 . 26"), the digits alone ("010926", "01092026"), or day
// and month with no year ("1.9."), which is the latest such day not after
// `heute`. A year of one digit or three is taken as not yet typed in full.
struct DatumEingabe {
    QDate datum;    // valid exactly when the text names a date that may be chosen
    QString fehler; // otherwise a short word saying why not
};
// Refuses a text that is no date yet ("unvollständig"), none at all ("kein
// Datum"), no day of the calendar ("ungültig"), a day after `heute` ("nach
// heute"), and a year before the window, which a journal would read back as a
// hundred years later ("zu weit zurück").
DatumEingabe DatumEingabeLesen(const QString &text, const QDate &heute);
