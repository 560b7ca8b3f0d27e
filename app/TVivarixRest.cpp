// A large collection on screen before it is read whole: its first snake and
// its first tabs come from a few small reads, the rest from a helper thread
// while the window answers. Until the rest is in, nothing can be edited, and
// commands that need every snake wait for it. Should the rest fail, the window
// shows again what it showed before the load, as after any failed load.
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
    const std::optional<Datendatei::Kennung> k = Datendatei::kennung(pfad);
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
// since its beginning was read. Only changed bytes count: a file merely
// touched meanwhile is still the one whose beginning is on show.
TSchlangen nachlesen(const QString &pfad, const Vorauslesen::Anfang &anfang, Datendatei::Stand &stand)
{
    TSchlangen alle;
    try {
        Datendatei::laden(pfad, alle, &stand);
    } catch (const EInOutError &e) {
        if (Datendatei::kennung(pfad) != anfang.kennung)
            throw geaendert(pfad); // cut short or replaced while it was read again
        throw EInOutError::mitPfad(e, pfad);
    }
    if (!Datendatei::haeltNoch(pfad, stand) || !anfang.gehoertZu(alle))
        throw geaendert(pfad);
    return alle;
}
} // namespace

bool TVivarix::ersteKarteMoeglich(const QString &path)
{
    return vorab ? vorab->anfang(path).has_value() : zweiSchritte(path);
}

bool TVivarix::ersteKarteZuerst(const QString &path)
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
    n->vorher = beiseite();
    Schlangen = TSchlangen{anfang->erste};
    QStringList namen = anfang->namen;
    namen.resize(qsizetype(anfang->anzahl)); // the others get their names with the rest
    n->anfang = std::move(*anfang);
    nachladen = std::move(n);
    try {
        bearbeitbar(false);
        TabControl1->setTabs(namen);
        Upd(0);
    } catch (...) {
        std::unique_ptr<Nachladen> weg = std::move(nachladen);
        zurueck(std::move(weg->vorher));
        throw;
    }
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

void TVivarix::restAbwarten()
{
    if (!nachladen)
        return;
    const std::uint64_t bytes = nachladen->anfang.anzahl * TSchlange::Groesse;
    const Warteanzeige warten(statusBar(), fortschrittsBalken, Warteanzeige::text(QStringLiteral("Lade"), bytes),
                              bytes);
    restUebernehmen();
}

void TVivarix::restUebernehmen()
{
    restUhr->stop();
    // Taken out first: a dialog opened from here cannot take it over twice.
    const std::unique_ptr<Nachladen> n = std::move(nachladen);
    Datendatei::Stand stand;
    TSchlangen alle;
    try {
        std::optional<TSchlangen> gelesen = n->leser->abholen(n->pfad, &stand);
        n->leser.reset();
        alle = gelesen ? std::move(*gelesen) : nachlesen(n->pfad, n->anfang, stand);
    } catch (...) {
        zurueck(std::move(n->vorher));
        throw;
    }
    // The first snake on show is the first of these; the tabs get their names.
    Schlangen = std::move(alle);
    QStringList namen;
    namen.reserve(qsizetype(Schlangen.size()));
    for (const TSchlange &s : Schlangen)
        namen << s.name();
    TabControl1->setTabTexts(namen);
    dateiStand = stand;
    n->anzeige.reset();
    Activ();
    emit sammlungGanz();
    if (TOptionen::OptionenLesen(this).remember)
        FressCheckNachLaden();
}

void TVivarix::restVerwerfen()
{
    nachladen.reset(); // the helper stops at its next slice
    if (restUhr)
        restUhr->stop();
}
