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

void journal(QByteArray &aus, const TSchlange::Journal &j)
{
    for (int i = 0; i < j.anzahl(); ++i)
        zeile(aus, j.datum(i) + u' ' + j.text(i));
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
    journal(aus, s.journal(Journalart::Futter));
    zeile(aus, QString());
    zeile(aus, QStringLiteral("Bemerkungen:"));
    journal(aus, s.journal(Journalart::Bemerkung));
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
