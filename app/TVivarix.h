#pragma once
// The main window: one tab per snake, the card, the picture and both journals
// of the snake on show, and every command of the menu and tool bar.
#include "app/Gemeldet.h"
#include "data/Datendatei.h"
#include "data/TSchlange.h"
#include "bild/Bild.h"
#include "toolkit/Dialoge.h"

#include <QDate>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLayout;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QToolBar;
class QTimer;
class QToolButton;
class TKlickLabel;
class TDateneingabe;
class TStringGrid;
class Vorauslesen;
class TTabControl;
class TWertLabel;

class TVivarix : public QMainWindow {
    Q_OBJECT
public:
    explicit TVivarix(QWidget *parent = nullptr);
    ~TVivarix() override;

    // What the window knows as "today" and as the start directory. Both are
    // read afresh when needed; tests set them so nothing depends on the clock
    // or the process's working directory.
    std::function<QDate()> heute = [] { return QDate::currentDate(); };
    std::function<QString()> startVerzeichnis;
    // Reads a snake's picture for the card (Bild::laden); tests put a failing one in.
    std::function<Bild::Geladen(const QString &, int)> bildLaden = [](const QString &p, int wartenMs) {
        return Bild::laden(p, wartenMs);
    };
    // The collection the settings load at start, read while the window was
    // being built (see Start::vorauslesen); the first Laden of that file takes
    // it over, any other load lets it go.
    std::unique_ptr<Vorauslesen> vorab;
    // A data file named on the command line: the start opens it in place of
    // the one the settings name, whatever they say about loading at start.
    std::optional<QString> startDatei;
    // A large collection shows a preview at once (its first snake and its
    // tabs), and is read whole while the window answers; then it replaces the
    // collection in one step. Tests hold the rest back here to look at the
    // window in between.
    bool restAnhalten = false;
    // A large collection is still being read: the window shows its preview,
    // and the commands that need a collection are off.
    bool restOffen() const { return nachladen != nullptr; }

    // State
    TSchlangen Schlangen;
    // Unsaved changes; the status bar's file field follows every assignment.
    Gemeldet<bool> Geaendert{false, [this] { dateiFeldZeigen(); }};
    QString Bilddatei;
    QString Dateiname;
    // What the data file was when it was last loaded or saved here.
    Datendatei::Stand dateiStand;
    QString startVerz;
    int PanelBreite = 0;

    // Operations on the collection and its display
    void FormActivate();
    void Upd(int index);
    void Merken();
    void Activ();
    void Neu();
    // `unbenannt`: the collection takes no file name and counts as changed
    // (a version the saves kept, opened as a new collection).
    void Laden(const QString &path, bool unbenannt = false);
    void Speichern(const QString &path);
    void BildZeigen(); // shows Bilddatei in Image1, or the default picture
    // The data file whose folder a relative picture path starts from: the one
    // being loaded while Laden shows its first snake, else the one on show.
    QString bildBezug() const { return ladeDatei.isEmpty() ? gezeigteDatei() : ladeDatei; }
    QString ladeDatei;
    // The data file the window shows: during a load the one coming in, else Dateiname.
    QString gezeigteDatei() const;
    void FressCheckNachLaden(); // the feeding check after a load, when the settings ask for it
    // The feeding evaluations: check, schedule and parade of the whole collection.
    void DateCheck();
    void TerminCheck();
    void ParadeCheck();

    // The controls
    TTabControl *TabControl1;
    TWertLabel *name, *gattung, *farbe, *geschlecht, *schlupf, *tage;
    QLabel *Image1;
    bool bildWartet = false; // Image1 shows "wird geladen…" until its metafile is converted
    QLabel *Image3;          // the decorative picture beside the card
    QPushButton *Button1, *Button2, *Button3;
    QWidget *Panel3;
    QSplitter *Splitter1;
    QWidget *Panel1, *Panel2;
    TStringGrid *StringGrid1, *StringGrid2;
    TKlickLabel *datum1, *datum2;
    QComboBox *futter1;
    QLineEdit *futter2;
    QToolButton *ok1, *ok2;
    TWertLabel *dateiFeld = nullptr; // at the right of the status bar: the data file's name, " *" while changed
    QProgressBar *fortschrittsBalken = nullptr; // beside it, while a long load or save runs
    QMenu *PopupMenu1;
    QAction *ndern1, *Lschen1, *NachOben1, *NachUnten1;

    QMenu *Datei1, *Schlangen1, *Hilfe1;
    QAction *Neu1, *Laden1, *Speichern1, *SpeichernUnter1, *Beenden1;
    QAction *NeueSchlange1, *Schlangelschen1, *FressCheck1, *FressTermine1, *FressParade1, *Optionen1;
    QAction *Hilfe2, *ber1;
    QAction *GeheZu1 = nullptr;          // "Gehe zu Schlange..." in "Verwaltung"
    QAction *FruehereFassung1 = nullptr; // "Frühere Fassung öffnen..." in "Datei"
    QToolBar *ToolBar1;
    QAction *ToolButton1, *ToolButton2, *ToolButton3, *ToolButton5, *ToolButton6, *ToolButton9, *ToolButton11,
        *ToolButton12, *ToolButton8;

    DateiDialog OpenDialog1, SaveDialog1;
    DateiDialog SaveDialog2; // the export file

    // The add button that Enter presses: ok1 or ok2 once an input had the focus.
    QToolButton *standardKnopf = nullptr;

public slots:
    // Document commands
    void Neu1Click();
    void Laden1Click();
    bool Speichern1Click(); // true when the collection was saved
    bool SpeichernUnter1Click();
    void FruehereFassung1Click();
    void Beenden1Click();
    // Journal entries
    void ok1Click();
    void ok2Click();
    void datum1Click();
    void datum2Click();
    void futter1Enter();
    void futter2Enter();
    void PopupMenu1Popup();
    void ndern1Click();
    void Lschen1Click();
    void NachOben1Click();
    void NachUnten1Click();
    // Master data
    void NeueSchlange1Click();
    void Button1Click();
    void Schlangelschen1Click();
    void GeheZu1Click();
    // Evaluations, settings, help, export and print
    void FressCheck1Click();
    void FressTermine1Click();
    void FressParade1Click();
    void Optionen1Click();
    void Hilfe2Click();
    void ber1Click();
    void Button2Click();
    void Button3Click();

    void TabControl1Change(int index);
    void Panel3Resize();
    void Panel1CanResize();
    void Panel2CanResize();

signals:
    // The whole collection of a load is in, and the commands that need it work.
    void sammlungGanz();

protected:
    void showEvent(QShowEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void aufbauen();
    void mindestgroesseSetzen();
    void menueAufbauen();
    void werkzeugleisteAufbauen();
    void statusleisteAufbauen();
    QWidget *kartenRolle(QWidget *seite); // the card, scrolling on a small screen
    QWidget *kartenteil();
    QWidget *bildteil(QWidget *karte);
    QWidget *stammdatenteil(QWidget *karte);
    QLayout *kartenKnoepfe(QWidget *karte);
    QWidget *journalteil(QWidget *seite);
    void journalEingabenAufbauen();
    void futterAuswahlFertig(); // the food box's completion, once
    bool futterAuswahlDa = false;
    void journalMenueAufbauen();
    QWidget *journalHaelfte(const QString &titel, TStringGrid *&grid, TKlickLabel *&datum, QWidget *eingabe,
                            QToolButton *&ok);
    void uebernehmen(TSchlangen &&neu); // makes a loaded collection the one on show
    // A whole new collection's file becomes the collection's own; then the
    // feeding check, when the settings ask for it.
    void geladen(const QString &pfad, const Datendatei::Stand &stand, bool unbenannt);
    // The collection on show with its tab, name, changes and commands: put
    // aside by a load, and back should the load fail.
    struct Gezeigt {
        TSchlangen schlangen;
        int tab = -1;
        QString dateiname;
        bool geaendert = false, bearbeitbar = false;
    };
    Gezeigt beiseite();
    void zurueck(Gezeigt &&g);
    // A large collection: a preview of its first snake and its tabs, the
    // whole collection read after the paint and swapped in at once.
    bool ersteKarteZuerst(const QString &path, bool unbenannt);
    bool ersteKarteMoeglich(const QString &path);
    void vorschauZeigen(int index); // the card of tab `index` as far as the preview knows it
    void restLoslassen();           // lets the helper read the rest, once the first card is painted
    void restPruefen();             // progress, and the swap once the whole collection is in
    void restUebernehmen();
    void restVerwerfen(); // the read stops; the preview goes with it
    void ladenAufgeben(); // the read stops, and the collection before it is on show again
    struct Nachladen;
    std::unique_ptr<Nachladen> nachladen;
    QTimer *restUhr = nullptr;
    void zeigen(int index); // tabs for the whole collection, snake `index` on show
    void karteZeigen(const TSchlange &r);
    void karteLeeren(const QString &name, const QString &sonst); // a card of no record
    void einlesen(const QString &path, TSchlangen &neu,
                  Datendatei::Stand &stand);     // the file's records, with feedback while it takes
    bool vorabBereit(const QString &path) const; // read ahead, or so nearly that waiting needs no feedback
    void jetztMalen();                           // paints the window at once, once the window system shows it
    // The one switch of the commands: `an` for the open state (Activ, Neu);
    // and off, while a load's preview is on show, whatever needs a collection.
    void bearbeitbar(bool an);
    bool offen = false; // the open state: what the switch was last set to
    void dateinameSetzen(const QString &pfad);
    void dateiFeldZeigen();
    void datenDialogOrdner(DateiDialog &d) const; // a data dialog opens where the data file is
    bool vorherSpeichern();
    bool fremdeAenderungKlaeren(bool &speichernUnter); // before "Speichern" replaces a file another program changed
    void unterbrochenMelden(const QString &path);      // an in-place save of the file that never ended
    void fassungMelden(const QString &meldung);        // a version a save could not keep
    QString fassungGemeldet;                           // what was last told of it
    QString haltbar(const QString &eingabe);           // what the data file can hold of a typed text
    void stammdatenUebernehmen(const TDateneingabe &d);
    bool eintragHinzufuegen(TStringGrid *grid, TKlickLabel *datum, const QString &text);
    void datumWaehlen(TKlickLabel *label);
    void journalMenue(TStringGrid *g, const QPoint &wo, bool perTastatur);
    void zeileVerschieben(int schritt);
    void textSpalteAnpassen(TStringGrid *g);
    void futterListeSetzen(const QStringList &liste); // the setting "futter" as the items of futter1
    void bildZeigen(int wartenMs);                    // BildZeigen, waiting that long for a metafile's conversion
    TStringGrid *zielGitter() const;
    // Connects a signal to a handler that runs behind the error guard.
    template <typename Sender, typename Signal, typename Ergebnis>
    void verbinde(Sender *s, Signal sig, Ergebnis (TVivarix::*slot)());
    bool gestartet = false;
};
