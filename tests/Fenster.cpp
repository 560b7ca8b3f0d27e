#include "Fenster.h"

#include "Hilfen.h"
#include "app/Start.h"
#include "data/Vorauslesen.h"
#include "data/Datendatei.h"
#include "toolkit/TStringGrid.h"
#include "toolkit/TTabControl.h"
#include "toolkit/TWertLabel.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTest>

void ausloesen(QAction *a)
{
    ASSERT_NE(a, nullptr);
    ASSERT_TRUE(a->isEnabled()) << "the command " << a->objectName().toStdString() << " is disabled";
    a->trigger();
}

void tippen(QWidget *w, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString zeichen = text.mid(i, n);
        const Qt::Key taste = n == 1 ? Qt::Key(text[i].toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, w, taste, zeichen, Qt::NoModifier);
        i += n - 1;
    }
}

void FensterTest::optionen(const QStringList &zeilen)
{
    dateiSchreiben(pfad("options.ini"), (zeilen.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
}

TVivarix &FensterTest::starten(bool zeigen, bool vorab)
{
    bauen(vorab);
    // Started before it is shown, so showing it does not start it a second
    // time; a large collection's rest is in before the test goes on.
    Bewacht(w.get(), [this] {
        w->FormActivate();
        w->restAbwarten();
    });
    if (zeigen) {
        w->show();
        w->activateWindow();
    }
    return *w;
}

TVivarix &FensterTest::bauen(bool vorab)
{
    std::unique_ptr<Vorauslesen> gelesen;
    if (vorab) {
        const QString hier = QDir::currentPath();
        QDir::setCurrent(ordner.path());
        gelesen = Start::vorauslesen();
        QDir::setCurrent(hier);
    }
    w = std::make_unique<TVivarix>();
    w->vorab = std::move(gelesen);
    w->heute = [] { return heute(); };
    const QString dir = ordner.path();
    w->startVerzeichnis = [dir] { return dir; };
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

TSchlange FensterTest::bunt(int nr, int futter, int bemerk)
{
    const QString bild = pfad(QStringLiteral("b%1.bmp").arg(nr));
    if (!QFile::exists(bild)) {
        QImage img(3 + nr, 4, QImage::Format_RGB32);
        img.fill(Qt::green);
        img.save(bild, "BMP");
    }
    TSchlange s;
    s.setName(QStringLiteral("Kaa & %1").arg(nr));
    s.setGattung(QStringLiteral("Morelia viridis %1").arg(nr));
    s.setFarbe(QStringLiteral("Aru €%1").arg(nr));
    s.setGeschlecht(nr % 2 ? QStringLiteral("männlich") : QStringLiteral("weiblich"));
    s.setSchlupf(QStringLiteral("%1/2019").arg(nr + 1, 2, 10, QLatin1Char('0')));
    s.setBild(bild);
    s.setTage(10 + nr);
    for (int i = 0; i < futter; ++i) {
        s.setFutterDatum(i, QDate(2026, 3, 1).addDays(-7 * i - nr).toString(QStringLiteral("dd.MM.yy")));
        s.setFutter(i, QStringLiteral("Ratte %1.%2").arg(nr).arg(i));
    }
    for (int i = 0; i < bemerk; ++i) {
        s.setBemerkDatum(i, QDate(2025, 6, 1).addDays(-3 * i - nr).toString(QStringLiteral("dd.MM.yy")));
        s.setBemerkung(i, QStringLiteral("Häutung %1.%2").arg(nr).arg(i));
    }
    return s;
}

QStringList FensterTest::angezeigt(const TVivarix &w)
{
    QStringList l{w.TabControl1->tabText(w.TabControl1->currentIndex()),
                  w.name->text(),
                  w.gattung->text(),
                  w.farbe->text(),
                  w.geschlecht->text(),
                  w.schlupf->text(),
                  w.tage->text(),
                  w.Bilddatei};
    for (const auto &[kenn, g] : {std::pair{u'F', w.StringGrid1}, std::pair{u'B', w.StringGrid2}})
        for (int r = 1; r < g->RowCount(); ++r)
            if (!g->Cells(0, r).isEmpty() || !g->Cells(1, r).isEmpty())
                l << QString(kenn) + u' ' + g->Cells(0, r) + u'|' + g->Cells(1, r);
    return l;
}

QStringList FensterTest::gespeichert(const TSchlange &s)
{
    QStringList l{s.name(), s.name(), s.gattung(), s.farbe(), s.geschlecht(), s.schlupf(), QString::number(s.tage()),
                  s.bild()};
    for (int i = 0; i < s.futterAnzahl(); ++i)
        l << QStringLiteral("F ") + s.futterDatum(i) + u'|' + s.futter(i);
    for (int i = 0; i < s.bemerkAnzahl(); ++i)
        l << QStringLiteral("B ") + s.bemerkDatum(i) + u'|' + s.bemerkung(i);
    return l;
}
