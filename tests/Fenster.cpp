#include "Fenster.h"

#include "Hilfen.h"
#include "data/Datendatei.h"

void FensterTest::optionen(const QStringList &zeilen)
{
    dateiSchreiben(pfad("options.ini"), (zeilen.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
}

TVivarix &FensterTest::starten(bool zeigen)
{
    w = std::make_unique<TVivarix>();
    w->heute = [] { return heute(); };
    const QString dir = ordner.path();
    w->startVerzeichnis = [dir] { return dir; };
    // Started before it is shown, so showing it does not start it a second time.
    Bewacht(w.get(), [this] { w->FormActivate(); });
    if (zeigen) {
        w->show();
        w->activateWindow();
    }
    return *w;
}

TSchlange FensterTest::schlange(const QString &name, int futter, int bemerk, int tage)
{
    TSchlange s;
    s.setName(name);
    s.setGattung(QStringLiteral("Python"));
    s.setFarbe(QStringLiteral("Albino"));
    s.setGeschlecht(QStringLiteral("weiblich"));
    s.setSchlupf(QStringLiteral("05/2024"));
    s.setTage(tage);
    for (int i = 0; i < futter; ++i) {
        s.setFutterDatum(i, QDate(2026, 1, 1).addDays(i).toString(QStringLiteral("dd.MM.yy")));
        s.setFutter(i, QStringLiteral("Maus %1").arg(i));
    }
    for (int i = 0; i < bemerk; ++i) {
        s.setBemerkDatum(i, QDate(2025, 1, 1).addDays(i).toString(QStringLiteral("dd.MM.yy")));
        s.setBemerkung(i, QStringLiteral("Häutung %1").arg(i));
    }
    return s;
}

void FensterTest::datei(const QString &name, const TSchlangen &s)
{
    Datendatei::speichern(pfad(name), s);
}

QStringList FensterTest::gesagt()
{
    const QStringList alle = DialogTest::protokoll();
    const QStringList neu = alle.mid(gelesen);
    gelesen = int(alle.size());
    return neu;
}
