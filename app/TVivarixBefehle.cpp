// The commands of the main window: the document, the journals and the snakes' cards.
#include "app/TDateneingabe.h"
#include "app/TDatum.h"
#include "app/TFutterEdit.h"
#include "app/TVivarix.h"
#include "data/Cp1252.h"
#include "data/Ersetzen.h"
#include "data/Fehler.h"
#include "help/ui/THilfe.h"
#include "help/ui/TInfo.h"
#include "settings/ui/TOptionen.h"
#include "toolkit/TKlickLabel.h"
#include "toolkit/TStringGrid.h"
#include "toolkit/TTabControl.h"
#include "toolkit/TWertLabel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>

// Asks before unsaved changes are discarded. True when the command may go on:
// "Nein", or "Ja" and the collection is saved. "Abbrechen", a cancelled save
// dialog and a failed save (which raises) all keep the changes.
bool TVivarix::vorherSpeichern()
{
    switch (MessageDlg(this, QStringLiteral("Vorher noch speichern?"), MsgArt::Warnung, mbJa | mbNein | mbAbbrechen)) {
    case mbNein:
        return true;
    case mbJa:
        return Speichern1Click();
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------
// Document

void TVivarix::Neu1Click()
{
    if (Geaendert && !vorherSpeichern())
        return;
    Neu();
}

// The data dialogs open in the data file's folder, else in the start folder,
// whatever folder another dialog (the picture chooser) visited last.
void TVivarix::datenDialogOrdner(DateiDialog &d) const
{
    // Not the folder the program runs in: an installed program runs in a hidden
    // folder of its own, where a keeper would never find the collection again.
    if (const QString datei = gezeigteDatei(); !datei.isEmpty())
        d.verzeichnis = QFileInfo(datei).absolutePath();
    else
        d.verzeichnis = Dokumentenordner();
}

void TVivarix::Laden1Click()
{
    if (Geaendert && !vorherSpeichern())
        return;
    datenDialogOrdner(OpenDialog1);
    // The open dialog proposes the collection's own file, and no name of a file
    // that is not there.
    const QFileInfo datei(gezeigteDatei());
    OpenDialog1.vorschlag = datei.isFile() ? datei.fileName() : QString();
    const std::optional<QString> pfad = OpenDialog1.oeffnen(this);
    if (!pfad)
        return;
    Laden(*pfad);
}

bool TVivarix::Speichern1Click()
{
    bool speichernUnter = Dateiname.isEmpty();
    if (!speichernUnter && !fremdeAenderungKlaeren(speichernUnter))
        return false;
    if (speichernUnter)
        return SpeichernUnter1Click();
    Speichern(Dateiname);
    return true;
}

// Another program (a second window, a sync tool) may have written the file
// since it was loaded or saved here; replacing it would lose that work
// unasked. True when the save may go on, into the file or, with
// `speichernUnter`, under a name still to be chosen.
bool TVivarix::fremdeAenderungKlaeren(bool &speichernUnter)
{
    if (Datendatei::unveraendert(Dateiname, dateiStand))
        return true;
    switch (MessageDlg(this, QStringLiteral("Die Datei wurde seit dem Laden von einem anderen Programm geändert."),
                       MsgArt::Warnung, mbUeberschreiben | mbSpeichernUnter | mbAbbrechen, mbAbbrechen)) {
    case mbUeberschreiben:
        return true;
    case mbSpeichernUnter:
        speichernUnter = true;
        return true;
    default:
        return false;
    }
}

// A save that rewrote the file in place and was killed midway may have left
// it damaged; the keeper learns so, and where the whole copy from before is.
void TVivarix::unterbrochenMelden(const QString &path)
{
    if (const std::optional<QString> kopie = Ersetzen::unterbrochen(path))
        MessageDlg(this,
                   QStringLiteral("Das letzte Speichern der Datei %1 wurde unterbrochen; die Datei kann "
                                  "unvollständig sein.\nEine vollständige Kopie des Stands davor liegt in %2.")
                       .arg(QFileInfo(path).fileName(), *kopie),
                   MsgArt::Warnung, mbOK);
}

bool TVivarix::SpeichernUnter1Click()
{
    datenDialogOrdner(SaveDialog1);
    const std::optional<QString> pfad = SaveDialog1.speichern(this);
    if (!pfad)
        return false;
    Speichern(*pfad);
    dateinameSetzen(*pfad);
    return true;
}

void TVivarix::Beenden1Click()
{
    close();
}

void TVivarix::closeEvent(QCloseEvent *e)
{
    bool schliessen = true;
    if (Geaendert) {
        bool weiter = false;
        schliessen = Bewacht(this, [&] { weiter = vorherSpeichern(); }) && weiter; // a failed save keeps it open
    }
    if (schliessen) {
        restVerwerfen(); // a load still coming in stops
        e->accept();
    } else
        e->ignore();
}

// ---------------------------------------------------------------------------
// Journal entries

bool TVivarix::eintragHinzufuegen(TStringGrid *grid, TKlickLabel *datum, const QString &text)
{
    if (text.isEmpty())
        return false;
    const int R = grid->RowCount();
    if (!grid->Cells(0, R - 1).isEmpty()) {
        if (R - 1 >= TSchlange::MaxEintraege) {
            MessageDlg(this,
                       QStringLiteral("Das Journal ist voll: Eine Schlange kann höchstens %1 Einträge je Journal "
                                      "haben. Bitte lösche zuerst einen alten Eintrag.")
                           .arg(TSchlange::MaxEintraege),
                       MsgArt::Information, mbOK);
            return false; // the typed text stays in the input, nothing is lost
        }
        grid->setRowCount(R + 1);
    }
    for (int i = grid->RowCount() - 1; i >= 1; --i) {
        grid->setCells(0, i + 1, grid->Cells(0, i));
        grid->setCells(1, i + 1, grid->Cells(1, i));
    }
    grid->setCells(0, 1, datum->text());
    grid->setCells(1, 1, haltbar(text));
    Merken();
    return true;
}

// A character the data file cannot hold (outside Windows-1252) is stored as "?".
// It becomes one at once, so that card, tab and grid show what is stored.
QString TVivarix::haltbar(const QString &eingabe)
{
    const QString gespeichert = Cp1252::decode(Cp1252::encode(eingabe));
    if (gespeichert != eingabe)
        statusBar()->showMessage(
            QStringLiteral("Zeichen, die die Datendatei nicht speichern kann, wurden durch \"?\" ersetzt."));
    return gespeichert;
}

void TVivarix::ok1Click()
{
    if (eintragHinzufuegen(StringGrid1, datum1, futter1->currentText()))
        futter1->setEditText(QString());
}

void TVivarix::ok2Click()
{
    if (eintragHinzufuegen(StringGrid2, datum2, futter2->text()))
        futter2->clear();
}

void TVivarix::datumWaehlen(TKlickLabel *label)
{
    if (const std::optional<QString> d = TDatum::waehle(this, label->text(), heute()))
        label->setText(*d);
}

void TVivarix::datum1Click()
{
    datumWaehlen(datum1);
}

void TVivarix::datum2Click()
{
    datumWaehlen(datum2);
}

void TVivarix::futter1Enter()
{
    standardKnopf = ok1;
}

void TVivarix::futter2Enter()
{
    standardKnopf = ok2;
}

void TVivarix::keyPressEvent(QKeyEvent *e)
{
    // Enter presses the add button of the input that last had the focus,
    // like a dialog's default button, also after the focus moved on to a grid.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (auto *b = qobject_cast<QAbstractButton *>(QApplication::focusWidget())) {
            b->click();
            e->accept();
            return;
        }
        if (standardKnopf && standardKnopf->isEnabled()) {
            standardKnopf->click();
            e->accept();
            return;
        }
    }
    QMainWindow::keyPressEvent(e);
}

TStringGrid *TVivarix::zielGitter() const
{
    return StringGrid1->hasFocus() ? StringGrid1 : StringGrid2;
}

namespace {
bool platzhalter(const TStringGrid *g)
{
    return g->RowCount() == 2 && g->Cells(0, 1).isEmpty();
}
} // namespace

void TVivarix::PopupMenu1Popup()
{
    const TStringGrid *g = zielGitter();
    const int r = g->Row();
    const int R = g->RowCount();
    // Opened where no row is, the menu offers nothing to act on.
    const bool zeile = g->zeileGewaehlt();
    NachOben1->setEnabled(zeile && r != 1);
    NachUnten1->setEnabled(zeile && r != R - 1);
    // The placeholder row of an empty journal is no entry: there is nothing to change.
    ndern1->setEnabled(zeile && !platzhalter(g));
    Lschen1->setEnabled(zeile);
}

// The pop-up menu of a grid. Opened by the keyboard, its first usable item is
// highlighted, so the arrow keys and Enter work at once.
void TVivarix::journalMenue(TStringGrid *g, const QPoint &wo, bool perTastatur)
{
    g->setFocus(Qt::OtherFocusReason); // the commands act on the grid that has the focus
    if (!Bewacht(this, [&] { PopupMenu1Popup(); }))
        return;
    QAction *erste = nullptr;
    if (perTastatur) {
        const QList<QAction *> eintraege = PopupMenu1->actions();
        const auto it = std::find_if(eintraege.begin(), eintraege.end(),
                                     [](QAction *a) { return a->isEnabled() && !a->isSeparator(); });
        erste = it != eintraege.end() ? *it : nullptr;
    }
    PopupMenu1->setActiveAction(erste);
    PopupMenu1->exec(wo);
}

void TVivarix::ndern1Click()
{
    TStringGrid *g = zielGitter();
    if (platzhalter(g) || !g->zeileGewaehlt())
        return;
    const int r = g->Row();
    TFutterEdit dlg(this, heute());
    dlg.datum1->setText(g->Cells(0, r));
    dlg.futter1->setText(g->Cells(1, r));
    Modal(&dlg);
    if (dlg.ok) {
        g->setCells(0, r, dlg.datum1->text());
        g->setCells(1, r, haltbar(dlg.futter1->text()));
    }
    Merken();
}

void TVivarix::Lschen1Click()
{
    TStringGrid *g = zielGitter();
    if (!g->zeileGewaehlt())
        return; // never a row the keeper did not point at
    const int r = g->Row();
    const int R = g->RowCount();
    for (int i = r; i <= R - 1; ++i) {
        g->setCells(0, i, g->Cells(0, i + 1));
        g->setCells(1, i, g->Cells(1, i + 1));
    }
    if (R > 2)
        g->setRowCount(R - 1);
    g->setRow(r);
    Merken();
}

void TVivarix::NachOben1Click()
{
    zeileVerschieben(-1);
}

void TVivarix::NachUnten1Click()
{
    zeileVerschieben(+1);
}

// The selected entry changes places with its neighbour one row up (-1) or down
// (+1), if there is one; the selection goes with the entry.
void TVivarix::zeileVerschieben(int schritt)
{
    TStringGrid *g = zielGitter();
    if (!g->zeileGewaehlt())
        return;
    const int r = g->Row();
    const int ziel = r + schritt;
    if (ziel >= 1 && ziel <= g->RowCount() - 1) {
        for (int c = 0; c < TStringGrid::ColCount; ++c) {
            const QString t = g->Cells(c, r);
            g->setCells(c, r, g->Cells(c, ziel));
            g->setCells(c, ziel, t);
        }
        g->setRow(ziel);
    }
    Merken();
}

// ---------------------------------------------------------------------------
// Master data

// The dialog's values in the main window's labels; only once the dialog has
// accepted them, so a half-filled card never happens.
void TVivarix::stammdatenUebernehmen(const TDateneingabe &d)
{
    name->setText(haltbar(d.Edit1->text()));
    gattung->setText(haltbar(d.Edit2->text()));
    schlupf->setText(haltbar(d.Edit3->text()));
    tage->setText(d.ComboBox1->currentText());
    Bilddatei = haltbar(d.Edit4->text());
    farbe->setText(haltbar(d.Edit5->text()));
    geschlecht->setText(d.ComboBox2->currentText());
}

void TVivarix::NeueSchlange1Click()
{
    TDateneingabe dlg(this);
    dlg.Edit1->clear();
    dlg.Edit2->clear();
    dlg.Edit3->clear();
    dlg.Edit4->clear();
    dlg.Edit5->clear();
    dlg.Datendatei = Dateiname;
    dlg.ComboBox2->setCurrentIndex(dlg.ComboBox2->findText(QStringLiteral("unbekannt")));
    dlg.ComboBox1->setEditText(QStringLiteral("7"));
    Modal(&dlg);
    if (!dlg.ok)
        return;
    StrToInt(dlg.ComboBox1->currentText()); // the dialog refuses a bad interval; never let one through

    // The new record and its tab first, so the card below belongs to the new snake
    // before anything is shown in it.
    Schlangen.emplace_back();
    TabControl1->addTab(dlg.Edit1->text());
    TabControl1->setCurrentIndex(TabControl1->count() - 1);
    stammdatenUebernehmen(dlg);
    StringGrid1->setZeilen({});
    StringGrid2->setZeilen({});
    Merken();
    Activ();
    BildZeigen();
}

void TVivarix::Button1Click()
{
    TDateneingabe dlg(this);
    dlg.Edit1->setText(name->text());
    dlg.Edit2->setText(gattung->text());
    dlg.Edit3->setText(schlupf->text());
    dlg.Edit5->setText(farbe->text());
    dlg.ComboBox1->setEditText(tage->text());
    dlg.Edit4->setText(Bilddatei);
    dlg.Datendatei = Dateiname;
    dlg.ComboBox2->setCurrentIndex(dlg.ComboBox2->findText(QStringLiteral("unbekannt")));
    for (int i = 0; i < dlg.ComboBox2->count(); ++i)
        if (dlg.ComboBox2->itemText(i) == geschlecht->text())
            dlg.ComboBox2->setCurrentIndex(i);
    Modal(&dlg);
    if (!dlg.ok)
        return;
    StrToInt(dlg.ComboBox1->currentText());
    stammdatenUebernehmen(dlg);
    Merken();
    BildZeigen();
}

void TVivarix::Schlangelschen1Click()
{
    const int k = TabControl1->currentIndex();
    if (k < 0)
        return;
    // "Abbrechen" answers Enter: a snake and both its journals go only by a click on "Ja".
    if (MessageDlg(this, QStringLiteral("\"%1\" wirklich löschen?").arg(name->text()), MsgArt::Warnung,
                   mbJa | mbAbbrechen, mbAbbrechen) != mbJa)
        return;
    const int N = TabControl1->count();
    if (N < 2) {
        Neu();
        return;
    }
    Schlangen.erase(Schlangen.begin() + k);
    TabControl1->removeTab(k);
    Upd(0);
    Geaendert = true;
}

// ---------------------------------------------------------------------------
// Options, help and info

void TVivarix::Optionen1Click()
{
    TOptionen dlg(this);
    Modal(&dlg);
    // Whatever way it closed, the food list follows the file as it is now
    // (a file not read whole the dialog has just told of).
    futterListeSetzen(TOptionen::OptionenLesen(this, false).futter);
}

void TVivarix::Hilfe2Click()
{
    THilfe dlg(this, startVerz);
    Modal(&dlg);
}

void TVivarix::ber1Click()
{
    TInfo dlg(this);
    Modal(&dlg);
}
