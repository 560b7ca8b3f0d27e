#include "data/Datum.h"

#include "data/Fehler.h"

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
