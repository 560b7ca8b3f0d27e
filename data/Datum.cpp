#include "data/Datum.h"

#include "data/Fehler.h"

#include <QRegularExpression>
#include <QStringList>

QString DatumText(const QDate &d)
{
    const int jahr = ((d.year() % 100) + 100) % 100; // a year before Christ still gives two digits
    return QStringLiteral("%1.%2.%3")
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(jahr, 2, 10, QLatin1Char('0'));
}

namespace {
// A part of a date: blanks around it, then 1 to `maxZiffern` digits. -1 for anything else.
int zahl(QString teil, int maxZiffern)
{
    teil = teil.trimmed();
    if (teil.isEmpty() || teil.size() > maxZiffern)
        return -1;
    int wert = 0;
    for (const QChar c : teil) {
        if (c < u'0' || c > u'9')
            return -1;
        wert = wert * 10 + (c.unicode() - u'0');
    }
    return wert;
}
} // namespace

QDate DatumLesen(const QString &text, const QDate &heute)
{
    const QStringList teile = text.trimmed().split(u'.');
    QDate datum;
    if (teile.size() == 3) {
        const int tag = zahl(teile[0], 2);
        const int monat = zahl(teile[1], 2);
        int jahr = zahl(teile[2], 4);
        if (jahr >= 0 && teile[2].trimmed().size() <= 2)
            jahr = Jahrhundertfenster(heute.year()).jahr(jahr);
        if (tag >= 0 && monat >= 0 && jahr >= 0)
            datum = QDate(jahr, monat, tag);
    }
    if (!datum.isValid())
        throw EConvertError(QStringLiteral("'%1' ist kein gültiges Datum").arg(text));
    return datum;
}

DatumEingabe DatumEingabeLesen(const QString &text, const QDate &heute)
{
    static const QRegularExpression mitPunkten(QStringLiteral("^([0-9]{1,2})\\.([0-9]{1,2})\\.([0-9]{2}|[0-9]{4})$"));
    static const QRegularExpression nurZiffern(QStringLiteral("^([0-9]{2})([0-9]{2})([0-9]{2}|[0-9]{4})$"));
    // What may still grow into one of the forms above.
    static const QRegularExpression anfang(QStringLiteral("^([0-9]{0,2}(\\.[0-9]{0,2}(\\.[0-9]{0,4})?)?|[0-9]{0,8})$"));

    const QString t = text.trimmed();
    QRegularExpressionMatch m = mitPunkten.match(t);
    if (!m.hasMatch())
        m = nurZiffern.match(t);
    if (!m.hasMatch())
        return {QDate(), anfang.match(t).hasMatch() ? QStringLiteral("unvollständig") : QStringLiteral("kein Datum")};

    // Only the digits 0 to 9 match, so these cannot fail.
    const int tag = m.captured(1).toInt();
    const int monat = m.captured(2).toInt();
    int jahr = m.captured(3).toInt();
    if (m.capturedLength(3) <= 2)
        jahr = Jahrhundertfenster(heute.year()).jahr(jahr);
    const QDate datum(jahr, monat, tag);
    if (!datum.isValid())
        return {QDate(), QStringLiteral("ungültig")};
    if (datum > heute)
        return {QDate(), QStringLiteral("nach heute")};
    // The journals keep two digits of the year: an older year would read back
    // as one a hundred years later.
    if (jahr < Jahrhundertfenster(heute.year()).beginn)
        return {QDate(), QStringLiteral("zu weit zurück")};
    return {datum, QString()};
}
