#include "output/Export.h"

#include "data/Cp1252.h"
#include "data/Ersetzen.h"
#include "data/Einzeilig.h"

namespace {
const QString Tab = QStringLiteral("\t");

void zeile(QByteArray &aus, const QString &text)
{
    aus += Cp1252::encode(Zeile::einzeilig(text));
    aus += "\r\n";
}

void journal(QByteArray &aus, int anzahl, const TSchlange &s, QString (TSchlange::*datum)(int) const,
             QString (TSchlange::*eintrag)(int) const)
{
    for (int i = 0; i < anzahl; ++i)
        zeile(aus, (s.*datum)(i) + u' ' + (s.*eintrag)(i));
}
} // namespace

namespace Export {

QByteArray text(const TSchlange &s)
{
    QByteArray aus;
    zeile(aus, QStringLiteral("Name:") + Tab + Tab + s.name());
    zeile(aus, QStringLiteral("Gattung:") + Tab + s.gattung());
    zeile(aus, QStringLiteral("Farbvariante:") + Tab + s.farbe());
    zeile(aus, QStringLiteral("Geschlecht:") + Tab + s.geschlecht());
    zeile(aus, QStringLiteral("Schlupfmonat:") + Tab + s.schlupf());
    zeile(aus, QString());
    zeile(aus, QStringLiteral("Fresszeiten:"));
    journal(aus, s.futterAnzahl(), s, &TSchlange::futterDatum, &TSchlange::futter);
    zeile(aus, QString());
    zeile(aus, QStringLiteral("Bemerkungen:"));
    journal(aus, s.bemerkAnzahl(), s, &TSchlange::bemerkDatum, &TSchlange::bemerkung);
    return aus;
}

QString vorschlag(const QString &name)
{
    QString datei = name;
    for (QChar &c : datei)
        if (c == u'/' || c == QChar(0))
            c = u'_';
    return datei + QStringLiteral(".txt");
}

void schreiben(const QString &path, const TSchlange &s)
{
    const QByteArray bytes = text(s);
    Ersetzen::datei(path, bytes.constData(), std::size_t(bytes.size()));
}

} // namespace Export
