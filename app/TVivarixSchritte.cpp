// Undo and redo. Every change of the collection becomes one step on the
// window's undo stack as soon as it is done; a step keeps the one record it
// changed, before and after, so the history stays small however large the
// collection. Steps replay strictly in order, so the index a step stored is
// the snake's index again whenever it is undone or redone.
#include "app/TVivarix.h"
#include "toolkit/TStringGrid.h"
#include "toolkit/TTabControl.h"
#include "toolkit/TWertLabel.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>

namespace {
// The history keeps this many steps, the oldest dropped first. A step holds
// at most two records, so the steps together stay far below 64 MB.
constexpr int Schritte = 100;
static_assert(Schritte * 2 * TSchlange::Groesse < 64u << 20, "the history stays below 64 MB");

// A step that was already done when it was put on the stack: its first redo,
// which the stack runs at once, has nothing to do.
class Getan : public QUndoCommand {
protected:
    using QUndoCommand::QUndoCommand;
    bool zumErstenMal()
    {
        const bool erst = !schonGetan;
        schonGetan = true;
        return erst;
    }

private:
    bool schonGetan = false;
};

// A caption names its step in full; a "&" in a snake's name is no mnemonic.
QString beschriftung(const QString &befehl, const QString &schritt)
{
    return schritt.isEmpty() ? befehl
                             : befehl + QStringLiteral(": ") + QString(schritt).replace(u'&', QStringLiteral("&&"));
}
} // namespace

// One snake's record changed: a journal entry added, changed, deleted or
// moved, or its master data or picture.
class TVivarix::Satzschritt : public Getan {
public:
    Satzschritt(TVivarix &w, int i, const TSchlange &satz, std::optional<Journalart> j, int zeile)
        : fenster(w), index(i), vorher(satz), journal(j), zeileVorher(zeile)
    {
    }
    void fertig(const QString &was, const TSchlange &satz, int zeile)
    {
        nachher = satz;
        zeileNachher = zeile;
        // A change of nothing but the picture is named so.
        TSchlange nurBild = vorher;
        nurBild.setBild(nachher.bild());
        setText(!journal && nurBild == nachher ? QStringLiteral("Bild ändern") : was);
    }
    const TSchlange &alt() const { return vorher; }
    void undo() override { fenster.satzZeigen(index, vorher, journal, zeileVorher); }
    void redo() override
    {
        if (!zumErstenMal())
            fenster.satzZeigen(index, nachher, journal, zeileNachher);
    }

private:
    TVivarix &fenster;
    int index;
    TSchlange vorher, nachher;
    std::optional<Journalart> journal;
    int zeileVorher, zeileNachher = 0;
};

// A snake created: it goes at `index`; undone, the tab shown before comes back.
class TVivarix::Neuanlage : public Getan {
public:
    Neuanlage(TVivarix &w, int i, const TSchlange &s, int zuvor)
        : Getan(QStringLiteral("Schlange „%1“ anlegen").arg(s.name())), fenster(w), index(i), satz(s), vorherTab(zuvor)
    {
    }
    void undo() override { fenster.schlangeEntfernen(index, vorherTab); }
    void redo() override
    {
        if (!zumErstenMal())
            fenster.schlangeEinfuegen(index, satz);
    }

private:
    TVivarix &fenster;
    int index;
    TSchlange satz;
    int vorherTab;
};

// A snake deleted: undone, it comes back at its place, its tab selected.
class TVivarix::Loeschung : public Getan {
public:
    Loeschung(TVivarix &w, int i, const TSchlange &s)
        : Getan(QStringLiteral("Schlange „%1“ löschen").arg(s.name())), fenster(w), index(i), satz(s)
    {
    }
    void undo() override { fenster.schlangeEinfuegen(index, satz); }
    void redo() override
    {
        if (!zumErstenMal())
            fenster.schlangeEntfernen(index, 0);
    }

private:
    TVivarix &fenster;
    int index;
    TSchlange satz;
};

void TVivarix::bearbeitenAufbauen()
{
    verlauf = new QUndoStack(this);
    verlauf->setUndoLimit(Schritte);
    // Back at the state last loaded or saved, the collection counts as unchanged.
    connect(verlauf, &QUndoStack::cleanChanged, this, [this](bool sauber) { Geaendert = !sauber; });
    connect(verlauf, &QUndoStack::indexChanged, this, [this] { verlaufZeigen(); });

    Bearbeiten1 = menuBar()->addMenu(QStringLiteral("&Bearbeiten"));
    Bearbeiten1->setObjectName(QStringLiteral("Bearbeiten1"));
    Rueckgaengig1 = Bearbeiten1->addAction(QString());
    Rueckgaengig1->setObjectName(QStringLiteral("Rueckgaengig1"));
    Rueckgaengig1->setShortcuts(QKeySequence::Undo);
    // Strg+Y and Strg+Umschalt+Z both, whatever the desktop binds.
    QList<QKeySequence> wiederholen{QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)};
    for (const QKeySequence &k : QKeySequence::keyBindings(QKeySequence::Redo))
        if (!wiederholen.contains(k))
            wiederholen << k;
    Wiederholen1 = Bearbeiten1->addAction(QString());
    Wiederholen1->setObjectName(QStringLiteral("Wiederholen1"));
    Wiederholen1->setShortcuts(wiederholen);
    verbinde(Rueckgaengig1, &QAction::triggered, &TVivarix::Rueckgaengig1Click);
    verbinde(Wiederholen1, &QAction::triggered, &TVivarix::Wiederholen1Click);
    verlaufZeigen();
}

void TVivarix::verlaufZeigen()
{
    if (!Rueckgaengig1)
        return; // still being built
    // While a load has not brought the whole collection in, the steps would
    // meet a collection they do not belong to.
    const bool ganz = !restOffen();
    const auto zeige = [](QAction *a, const QString &befehl, const QString &schritt, bool an) {
        a->setText(beschriftung(QLatin1Char('&') + befehl, schritt));
        a->setStatusTip(schritt.isEmpty() ? befehl : befehl + QStringLiteral(": ") + schritt);
        a->setEnabled(an);
    };
    zeige(Rueckgaengig1, QStringLiteral("Rückgängig"), verlauf->undoText(), ganz && verlauf->canUndo());
    zeige(Wiederholen1, QStringLiteral("Wiederholen"), verlauf->redoText(), ganz && verlauf->canRedo());
}

void TVivarix::Rueckgaengig1Click()
{
    if (restOffen())
        return;
    verlauf->undo();
    Geaendert = !verlauf->isClean();
}

void TVivarix::Wiederholen1Click()
{
    if (restOffen())
        return;
    verlauf->redo();
    Geaendert = !verlauf->isClean();
}

// Strg+Z in a text field undoes the typing there first, as in every program;
// once the field has nothing left to undo, the key undoes the last change of
// the collection. The same for redo.
bool TVivarix::feldRueckgaengig(QObject *o, QEvent *e) const
{
    if (e->type() != QEvent::ShortcutOverride)
        return false;
    const QLineEdit *feld = o == futter1 ? futter1->lineEdit() : qobject_cast<QLineEdit *>(o);
    if (!feld)
        return false;
    auto *taste = static_cast<QKeyEvent *>(e);
    const QKeySequence gedrueckt(taste->keyCombination());
    const bool rueck = Rueckgaengig1->shortcuts().contains(gedrueckt);
    const bool vor = Wiederholen1->shortcuts().contains(gedrueckt);
    if ((rueck && !feld->isUndoAvailable()) || (vor && !feld->isRedoAvailable())) {
        taste->ignore(); // the field does not take it: the menu's shortcut does
        return true;
    }
    return false;
}

TStringGrid *TVivarix::gitter(Journalart j) const
{
    return j == Journalart::Futter ? StringGrid1 : StringGrid2;
}

void TVivarix::schritt(const QString &was, std::optional<Journalart> journal, const std::function<void()> &aendern,
                       int zeile)
{
    const int i = TabControl1->currentIndex();
    if (i < 0 || size_t(i) >= Schlangen.size()) {
        aendern();
        return;
    }
    const auto gewaehlt = [&] { return zeile > 0 ? zeile : journal ? gitter(*journal)->Row() : 0; };
    auto s = std::make_unique<Satzschritt>(*this, i, Schlangen[size_t(i)], journal, gewaehlt());
    aendern();
    // A command that changed no byte (a dialog confirmed as it was) is no step.
    if (size_t(i) >= Schlangen.size() || Schlangen[size_t(i)] == s->alt())
        return;
    s->fertig(was, Schlangen[size_t(i)], gewaehlt());
    verlauf->push(s.release());
}

void TVivarix::satzZeigen(int i, const TSchlange &satz, std::optional<Journalart> journal, int zeile)
{
    Schlangen[size_t(i)] = satz;
    TabControl1->setTabText(i, satz.name());
    Upd(i);
    if (journal) {
        TStringGrid *g = gitter(*journal);
        g->setRow(qBound(1, zeile, g->RowCount() - 1));
    }
}

void TVivarix::schlangeEinfuegen(int i, const TSchlange &satz)
{
    Schlangen.insert(Schlangen.begin() + i, satz);
    TabControl1->insertTab(i, satz.name());
    Upd(i);
    Activ();
}

void TVivarix::schlangeEntfernen(int i, int danach)
{
    Schlangen.erase(Schlangen.begin() + i);
    TabControl1->removeTab(i);
    if (Schlangen.empty())
        leer();
    else
        Upd(qBound(0, danach, int(Schlangen.size()) - 1));
}

void TVivarix::angelegt(int vorherTab)
{
    verlauf->push(new Neuanlage(*this, int(Schlangen.size()) - 1, Schlangen.back(), vorherTab));
}

// Also the only snake goes as a step that can be undone: the window then shows
// the empty collection, but keeps its file and its history.
void TVivarix::loeschen(int k)
{
    auto weg = std::make_unique<Loeschung>(*this, k, Schlangen[size_t(k)]);
    schlangeEntfernen(k, 0);
    verlauf->push(weg.release());
    Geaendert = true;
}
