// A large collection on screen before it is read whole: a preview of its
// first snake and its first tabs comes from a few small reads, the whole
// collection from a helper thread while the window answers, and then replaces
// the collection before it in one step. Until then the commands see the
// collection before, and every command that needs a collection is off: none
// waits, and none can meet a part. Should the read fail, the window shows again
// what it showed before the load, as after any failed load.
#include "app/Nachladen.h"
#include "app/TVivarix.h"
#include "app/Warteanzeige.h"
#include "data/Fehler.h"
#include "data/Vorauslesen.h"
#include "settings/ui/TOptionen.h"
#include "toolkit/TTabControl.h"

#include <QAction>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>

namespace {
// Not painted within this, the window is not on screen (minimised at start):
// the rest is read all the same.
constexpr qint64 MalenSpaetestensMs = 1000;

// A regular file that is read in two steps.
bool zweiSchritte(const QString &pfad)
{
    const std::optional<Vorauslesen::Kennung> k = Vorauslesen::kennung(pfad);
    return k && Vorauslesen::anfangZuerst(k->groesse);
}

EVivarix geaendert(const QString &pfad)
{
    return EVivarix(QStringLiteral("Die Datei wurde während des Ladens von einem anderen Programm geändert und "
                                   "deshalb nicht geladen. Bitte lade sie noch einmal.\n\"%1\"")
                        .arg(pfad));
}

// The rest as the ordinary load reads it, when the helper could not hand it
// over: then the file failed (reported as any load reports it) or changed
// since its beginning was read.
TSchlangen nachlesen(const QString &pfad, const Vorauslesen::Anfang &anfang, Datendatei::Stand &stand)
{
    const auto gleich = [&] { return Vorauslesen::kennung(pfad) == anfang.kennung; };
    if (!gleich())
        throw geaendert(pfad);
    TSchlangen alle;
    try {
        Datendatei::laden(pfad, alle, &stand);
    } catch (const EInOutError &e) {
        if (!gleich())
            throw geaendert(pfad); // cut short or replaced while it was read again
        throw EInOutError::mitPfad(e, pfad);
    }
    if (!gleich() || !anfang.gehoertZu(alle))
        throw geaendert(pfad);
    return alle;
}
} // namespace

bool TVivarix::ersteKarteMoeglich(const QString &path)
{
    return vorab ? vorab->anfang(path).has_value() : zweiSchritte(path);
}

bool TVivarix::ersteKarteZuerst(const QString &path, bool unbenannt)
{
    if (!vorab && zweiSchritte(path))
        vorab = std::make_unique<Vorauslesen>([path] { return path; }, Vorauslesen::ErsteNamen);
    std::optional<Vorauslesen::Anfang> anfang = vorab ? vorab->anfang(path) : std::nullopt;
    if (vorab && vorab->pfad() != path)
        vorab.reset(); // another file: its read would only be waited for
    if (!anfang)
        return false; // read whole at once, by the helper or by the ordinary load

    auto n = std::make_unique<Nachladen>();
    n->leser = std::move(vorab);
    n->pfad = path;
    n->unbenannt = unbenannt;
    n->vorherTab = TabControl1->currentIndex();
    n->vorherGeaendert = Geaendert;
    n->anfang = std::move(*anfang);
    QStringList namen = n->anfang.namen;
    namen.resize(qsizetype(n->anfang.anzahl)); // the others get their names with the swap
    nachladen = std::move(n);
    try {
        bearbeitbar(offen);
        TabControl1->setTabs(namen);
        vorschauZeigen(0);
    } catch (...) {
        ladenAufgeben();
        throw;
    }
    // Let go when the load began (the keeper was asked); back should it fail.
    Geaendert = false;
    const std::uint64_t bytes = nachladen->anfang.anzahl * TSchlange::Groesse;
    nachladen->anzeige.emplace(statusBar(), fortschrittsBalken, Warteanzeige::text(QStringLiteral("Lade"), bytes),
                               bytes, Warteanzeige::Art::ImHintergrund);
    nachladen->seit.start();
    // On screen already, or never to be painted: the event loop paints the
    // card next, and the helper may begin. At start the window is not yet
    // shown: the helper waits for the first paint, so it takes nothing from it.
    const QWindow *fenster = windowHandle();
    nachladen->gemalt = nachladen->gemalt || !isVisible() || (fenster && fenster->isExposed());
    restLoslassen();
    restUhr->start();
    // Taken over as soon as the helper is done, not at the next look.
    nachladen->leser->wennFertig([this] {
        QMetaObject::invokeMethod(
            this, [this] { Bewacht(this, [&] { restPruefen(); }); }, Qt::QueuedConnection);
    });
    return true;
}

void TVivarix::paintEvent(QPaintEvent *e)
{
    QMainWindow::paintEvent(e);
    if (!futterAuswahlDa)
        QTimer::singleShot(0, this, [this] { futterAuswahlFertig(); }); // after the rest of the first paint
    if (nachladen && !nachladen->gemalt) {
        nachladen->gemalt = true;
        // After the rest of this paint, children and all.
        QTimer::singleShot(0, this, [this] { restLoslassen(); });
    }
}

void TVivarix::restLoslassen()
{
    if (nachladen && nachladen->gemalt && !restAnhalten)
        nachladen->leser->weiter();
}

void TVivarix::restPruefen()
{
    if (!nachladen) {
        restUhr->stop();
        return;
    }
    if (nachladen->seit.elapsed() >= MalenSpaetestensMs)
        nachladen->gemalt = true;
    restLoslassen();
    const Vorauslesen &leser = *nachladen->leser;
    if (!leser.fertig()) {
        nachladen->anzeige->melden(leser.erledigtBytes(), leser.gesamtBytes());
        return;
    }
    restUebernehmen();
}

void TVivarix::vorschauZeigen(int index)
{
    TabControl1->setCurrentIndex(index);
    if (index == 0)
        karteZeigen(nachladen->anfang.erste);
    else // shown with the swap
        karteLeeren(TabControl1->tabText(index).isEmpty() ? QStringLiteral("…") : TabControl1->tabText(index),
                    QStringLiteral("…"));
}

QString TVivarix::gezeigteDatei() const
{
    return nachladen ? nachladen->pfad : Dateiname;
}

void TVivarix::restUebernehmen()
{
    restUhr->stop();
    Datendatei::Stand stand;
    TSchlangen alle;
    try {
        std::optional<TSchlangen> gelesen = nachladen->leser->abholen(nachladen->pfad, &stand);
        alle = gelesen ? std::move(*gelesen) : nachlesen(nachladen->pfad, nachladen->anfang, stand);
    } catch (...) {
        ladenAufgeben();
        throw;
    }
    // Taken out first: a dialog opened from here cannot take it over twice.
    const std::unique_ptr<Nachladen> n = std::move(nachladen);
    n->anzeige.reset();
    // The swap. The tabs are those of the preview: they get their names, and a
    // tab chosen meanwhile its snake; the first snake is on show already.
    Schlangen = std::move(alle);
    try {
        QStringList namen;
        namen.reserve(qsizetype(Schlangen.size()));
        for (const TSchlange &s : Schlangen)
            namen << s.name();
        TabControl1->setTabTexts(namen);
        if (const int i = TabControl1->currentIndex(); i != 0)
            Upd(i);
    } catch (...) {
        // Shown as far as it goes; the collection takes its file's name all the same.
    }
    geladen(n->pfad, stand, n->unbenannt);
}

void TVivarix::ladenAufgeben()
{
    if (!nachladen)
        return;
    const int tab = nachladen->vorherTab;
    const bool geaendert = nachladen->vorherGeaendert;
    const QString datei = Dateiname; // kept by the empty state too
    restVerwerfen();
    try {
        zeigen(tab);
    } catch (...) {
        // Shown as far as it goes; the collection and its name are the same all the same.
    }
    dateinameSetzen(datei);
    Geaendert = geaendert;
    bearbeitbar(offen);
}

void TVivarix::restVerwerfen()
{
    nachladen.reset(); // the helper stops at its next slice
    if (restUhr)
        restUhr->stop();
}
