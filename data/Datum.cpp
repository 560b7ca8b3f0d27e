#include "data/Datum.h"

#include "data/Fehler.h"

#include <QRegularExpression>

using namespace std::chrono;

QString DatumText(const QDate &d)
{
    const int jahr = ((d.year() % 100) + 100) % 100; // a year before Christ still gives two digits
    return QStringLiteral("%1.%2.%3")
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(jahr, 2, 10, QLatin1Char('0'));
}

namespace {
bool leer(char c)
{
    return c == ' ' || c == '\t';
}

// Blanks, up to `maxZiffern` decimal digits, blanks, from `pos` on; -1 when
// there are no digits or more. `ziffern` receives how many there were.
int zahl(std::string_view t, std::size_t &pos, int maxZiffern, int &ziffern)
{
    while (pos < t.size() && leer(t[pos]))
        ++pos;
    int wert = 0;
    ziffern = 0;
    while (pos < t.size() && t[pos] >= '0' && t[pos] <= '9') {
        if (++ziffern > maxZiffern)
            return -1;
        wert = wert * 10 + (t[pos] - '0');
        ++pos;
    }
    while (pos < t.size() && leer(t[pos]))
        ++pos;
    return ziffern > 0 ? wert : -1;
}

QDate alsQDate(const year_month_day &d)
{
    return QDate(int(d.year()), int(unsigned(d.month())), int(unsigned(d.day())));
}
} // namespace

std::optional<year_month_day> JournalDatum(std::string_view t, int diesesJahr)
{
    std::size_t pos = 0;
    int ziffern = 0;
    const int tag = zahl(t, pos, 2, ziffern);
    if (tag < 0 || pos >= t.size() || t[pos] != '.')
        return std::nullopt;
    ++pos;
    const int monat = zahl(t, pos, 2, ziffern);
    if (monat < 0 || pos >= t.size() || t[pos] != '.')
        return std::nullopt;
    ++pos;
    int jahr = zahl(t, pos, 4, ziffern);
    if (jahr < 0 || pos != t.size() || ziffern == 3)
        return std::nullopt;
    if (ziffern <= 2)
        jahr = Jahrhundertfenster(diesesJahr).jahr(jahr);
    else if (jahr == 0)
        return std::nullopt;
    const year_month_day d{year{jahr}, month{unsigned(monat)}, day{unsigned(tag)}};
    if (!d.ok())
        return std::nullopt;
    return d;
}

QDate JournalDatum(const QString &text, const QDate &heute)
{
    // Characters past Latin-1 are no digits, points or blanks: any byte that
    // is none of those stands for them.
    QByteArray bytes(text.size(), '\x7f');
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i].unicode() < 0x80)
            bytes[i] = char(text[i].unicode());
    const auto d = JournalDatum(std::string_view(bytes.constData(), std::size_t(bytes.size())), heute.year());
    return d ? alsQDate(*d) : QDate();
}

QDate DatumLesen(const QString &text, const QDate &heute)
{
    const QDate datum = JournalDatum(text, heute);
    if (!datum.isValid())
        throw EConvertError(QStringLiteral("'%1' ist kein gültiges Datum").arg(text));
    return datum;
}

namespace {
// Day and month with no year: the latest such day not after `heute`. A 29th
// of February looks back to the last leap year.
QDate ohneJahr(int tag, int monat, const QDate &heute)
{
    for (int jahr = heute.year(); jahr >= heute.year() - 8; --jahr) {
        const QDate d(jahr, monat, tag);
        if (d.isValid() && d <= heute)
            return d;
    }
    return QDate();
}
} // namespace

DatumEingabe DatumEingabeLesen(const QString &text, const QDate &heute)
{
    static const QRegularExpression mitPunkten(
        QStringLiteral("^[0-9]{1,2} *\\. *[0-9]{1,2} *\\. *([0-9]{2}|[0-9]{4})$"));
    static const QRegularExpression nurZiffern(QStringLiteral("^([0-9]{2})([0-9]{2})([0-9]{2}|[0-9]{4})$"));
    static const QRegularExpression keinJahr(QStringLiteral("^([0-9]{1,2}) *\\. *([0-9]{1,2}) *\\.$"));
    // What may still grow into one of the forms above.
    static const QRegularExpression anfang(
        QStringLiteral("^([0-9]{0,2}( *\\.( *[0-9]{1,2})?( *\\.( *[0-9]{0,4})?)?)?|[0-9]{0,8})$"));

    const QString t = text.trimmed();
    QDate datum;
    if (const auto m = keinJahr.match(t); m.hasMatch()) {
        datum = ohneJahr(m.captured(1).toInt(), m.captured(2).toInt(), heute);
    } else if (const auto z = nurZiffern.match(t); z.hasMatch()) {
        // The same date with points, read by the journals' own rule.
        datum = JournalDatum(z.captured(1) + u'.' + z.captured(2) + u'.' + z.captured(3), heute);
    } else if (mitPunkten.match(t).hasMatch()) {
        datum = JournalDatum(t, heute);
    } else {
        return {QDate(), anfang.match(t).hasMatch() ? QStringLiteral("unvollständig") : QStringLiteral("kein Datum")};
    }
    if (!datum.isValid())
        return {QDate(), QStringLiteral("ungültig")};
    if (datum > heute)
        return {QDate(), QStringLiteral("nach heute")};
    // The journals keep two digits of the year: an older year would read back
    // as one a hundred years later.
    if (datum.year() < Jahrhundertfenster(heute.year()).beginn)
        return {QDate(), QStringLiteral("zu weit zurück")};
    return {datum, QString()};
}
