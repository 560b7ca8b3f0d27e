#include "app/TVivarix.h"
#include "app/Nachladen.h"
#include "app/Warteanzeige.h"
#include "Version.h"

#include "data/Cp1252.h"
#include "data/Datendatei.h"
#include "data/Datum.h"
#include "data/Fassungen.h"
#include "data/Fehler.h"
#include "data/Vorauslesen.h"
#include "settings/ui/TOptionen.h"
#include "bild/Bild.h"
#include "toolkit/Fensterteile.h"
#include "bild/Metadatei.h"
#include "toolkit/TKlickLabel.h"
#include "toolkit/TStringGrid.h"
#include "toolkit/TTabControl.h"
#include "toolkit/TWertLabel.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QStringListModel>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <QEventLoop>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>
#include <cmath>

namespace {
// The size a load will read, for its feedback; 0 where it is no regular file.
std::uint64_t dateiGroesse(const QString &pfad)
{
    const QFileInfo info(pfad);
    return info.isFile() ? std::uint64_t(info.size()) : 0;
}

const QString kCaption = QStringLiteral("Vivarix " VIVARIX_VERSION);

// The hint of a control goes to the status bar, never into a tooltip over the
// value; screen readers get it as the control's description.
void hinweis(QWidget *w, const QString &text)
{
    w->setStatusTip(text);
    w->setAccessibleDescription(text);
}

// Data row k shows slot k-1; an empty journal shows one empty row. A journal that
// another program filled to all 201 slots (without an end mark) shows whole.
void journalZeigen(const TSchlange::Journal &j, TStringGrid *grid)
{
    const int n = qMin(j.anzahl(), TSchlange::Slots);
    std::vector<TStringGrid::Zeile> zeilen;
    zeilen.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        zeilen.push_back({j.datum(i), j.text(i)});
    grid->setZeilen(zeilen);
}

// The rows in screen order into slots 0, 1, ..., then the end mark; later slots stay
// as they are. A journal of 201 entries fills every slot and has no end mark.
void journalMerken(TSchlange &r, Journalart j, const TStringGrid *grid)
{
    const int n = qMin(grid->RowCount() - 1, TSchlange::Slots);
    for (int k = 1; k <= n; ++k)
        r.setEintrag(j, k - 1, grid->Cells(0, k), grid->Cells(1, k));
    if (n < TSchlange::Slots)
        r.setEintrag(j, n, QString(), QString());
}
} // namespace

template <typename Sender, typename Signal, typename Ergebnis>
void TVivarix::verbinde(Sender *s, Signal sig, Ergebnis (TVivarix::*slot)())
{
    BewachtVerbinden(s, sig, this, [this, slot] { (this->*slot)(); });
}

TVivarix::TVivarix(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Vivarix"));
    // Run once the window is on screen, so the journal area has its real width;
    // unless the start has already run it.
    BeimErstenZeigen(this, [this] {
        // Centred before its frame was known: the title bar may push the
        // status bar below a small screen.
        QTimer::singleShot(0, this, [this] { RahmenEinpassen(this); });
        if (!gestartet)
            QTimer::singleShot(0, this, [this] { Bewacht(this, [&] { FormActivate(); }); });
    });
    setWindowTitle(kCaption);
    for (DateiDialog *d : {&OpenDialog1, &SaveDialog1}) {
        d->filterName = QStringLiteral("Vivarix-Daten");
        d->muster = QStringLiteral("*.vix");
        d->endung = QStringLiteral("vix");
        d->vorschlag = QStringLiteral("mysnakes.vix");
    }
    SaveDialog2.filterName = QStringLiteral("Textdateien");
    SaveDialog2.muster = QStringLiteral("*.txt");
    SaveDialog2.endung = QStringLiteral("txt");
    aufbauen();
    restUhr = new QTimer(this);
    restUhr->setInterval(25);
    connect(restUhr, &QTimer::timeout, this, [this] { Bewacht(this, [&] { restPruefen(); }); });
    mindestgroesseSetzen();
    resize(minimumSize());
    if (QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
    Neu();
}

TVivarix::~TVivarix()
{
    verlauf->disconnect(this); // its last signals would meet a window half gone
}

void TVivarix::aufbauen()
{
    menueAufbauen();
    werkzeugleisteAufbauen();
    statusleisteAufbauen();

    TabControl1 = new TTabControl(this);
    TabControl1->setObjectName(QStringLiteral("TabControl1"));
    setCentralWidget(TabControl1);
    BewachtVerbinden(TabControl1, &TTabControl::currentChanged, this, [this](int i) { TabControl1Change(i); });

    // Under the tabs, the page of the snake on show: its card over its two journals.
    QWidget *seite = TabControl1->contentArea();
    auto *seitenLayout = new QVBoxLayout(seite);
    seitenLayout->setContentsMargins(8, 8, 8, 8);
    seitenLayout->addWidget(kartenRolle(seite));
    seitenLayout->addWidget(journalteil(seite), 1);
    journalMenueAufbauen();
}

void TVivarix::statusleisteAufbauen()
{
    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(status);
    // Which file, and is it saved? Hints keep the rest of the bar.
    dateiFeld = new TWertLabel(QStringLiteral("Datendatei"), status);
    dateiFeld->setObjectName(QStringLiteral("dateiFeld"));
    dateiFeld->setMaximumWidth(320);
    status->addPermanentWidget(dateiFeld);
    fortschrittsBalken = new QProgressBar(status);
    fortschrittsBalken->setObjectName(QStringLiteral("fortschrittsBalken"));
    fortschrittsBalken->setMaximumWidth(160);
    fortschrittsBalken->setTextVisible(false);
    fortschrittsBalken->setAccessibleName(QStringLiteral("Fortschritt"));
    fortschrittsBalken->hide();
    status->insertPermanentWidget(0, fortschrittsBalken);
}

QWidget *TVivarix::kartenRolle(QWidget *seite)
{
    // On a small screen the card scrolls rather than push the journals and their
    // inputs out of the window.
    auto *rolle = new QScrollArea(seite);
    rolle->setObjectName(QStringLiteral("kartenRolle"));
    rolle->setFrameShape(QFrame::NoFrame);
    rolle->setWidgetResizable(true);
    rolle->setFocusPolicy(Qt::NoFocus);
    rolle->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    rolle->setWidget(kartenteil());
    return rolle;
}

// The two journals side by side, each with its input row, in a splitter the keeper can drag.
QWidget *TVivarix::journalteil(QWidget *seite)
{
    Panel3 = new QWidget(seite);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    auto *p3 = new QHBoxLayout(Panel3);
    p3->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Horizontal, Panel3);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setOpaqueResize(true); // the layout follows the drag continuously
    p3->addWidget(Splitter1);

    journalEingabenAufbauen();
    Panel1 = journalHaelfte(QStringLiteral("Fresszeiten:"), StringGrid1, datum1, futter1, ok1);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel2 = journalHaelfte(QStringLiteral("Bemerkungen:"), StringGrid2, datum2, futter2, ok2);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid2->setObjectName(QStringLiteral("StringGrid2"));
    datum1->setObjectName(QStringLiteral("datum1"));
    datum2->setObjectName(QStringLiteral("datum2"));
    ok1->setObjectName(QStringLiteral("ok1"));
    ok2->setObjectName(QStringLiteral("ok2"));
    hinweis(StringGrid1, QStringLiteral("Wann hat sie welches Futter zu sich genommen?"));
    hinweis(StringGrid2,
            QStringLiteral("Welche sonstige hochwichtige Dinge haben sich ereignet? (Zum Beispiel Häutung)"));
    StringGrid1->setAccessibleName(QStringLiteral("Fresszeiten"));
    StringGrid2->setAccessibleName(QStringLiteral("Bemerkungen"));
    StringGrid1->setColWidths(0, 64);
    StringGrid1->setColWidths(1, 292);
    StringGrid2->setColWidths(0, 64);
    StringGrid2->setColWidths(1, 293);
    Panel1->setMinimumWidth(180);
    Splitter1->addWidget(Panel1);
    Splitter1->addWidget(Panel2);
    hinweis(Splitter1->handle(1), QStringLiteral("Hier kannst du die Breite der Fenster verändern"));
    Splitter1->installEventFilter(this);
    // The text column follows the visible width of its grid.
    StringGrid1->viewport()->installEventFilter(this);
    StringGrid2->viewport()->installEventFilter(this);
    futter1->installEventFilter(this);
    futter1->lineEdit()->installEventFilter(this);
    futter2->installEventFilter(this);
    // A journal entry that does not fit says so in the status bar instead of being cut unseen.
    for (QLineEdit *feld : {futter1->lineEdit(), futter2})
        LaengeZeigen(feld, [this](const QString &hinweis) { statusBar()->showMessage(hinweis, 8000); });

    verbinde(ok1, &QToolButton::clicked, &TVivarix::ok1Click);
    verbinde(ok2, &QToolButton::clicked, &TVivarix::ok2Click);
    verbinde(datum1, &TKlickLabel::clicked, &TVivarix::datum1Click);
    verbinde(datum2, &TKlickLabel::clicked, &TVivarix::datum2Click);
    return Panel3;
}

// The journals' inputs: the food, from the settings' list or typed, and the remark.
void TVivarix::journalEingabenAufbauen()
{
    futter1 = new QComboBox;
    futter1->setObjectName(QStringLiteral("futter1"));
    // The foods come from the settings, up to many thousands: a plain string
    // list takes them in one go (one reset instead of an item object each), and
    // the box's width comes from a fixed length rather than from measuring the
    // text of every food.
    futter1->setModel(new QStringListModel(futter1));
    // Editable through an edit field of our own that has a completer of no
    // foods: the box then makes no completion of its own now; it comes right
    // after the window's first paint, or with the first key, click or focus
    // the box gets (futterAuswahlFertig).
    auto *feld = new QLineEdit(futter1);
    feld->setPalette(futter1->palette());
    feld->setCompleter(new QCompleter(feld));
    futter1->setLineEdit(feld);
    futter1->setInsertPolicy(QComboBox::NoInsert);
    futter1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    futter1->setMinimumContentsLength(7);
    futter1->lineEdit()->setMaxLength(TSchlange::TextKap);
    futter1->setAccessibleName(QStringLiteral("Futter"));
    // A screen reader meets the box's edit field and its drop-down list as controls of their own.
    futter1->lineEdit()->setAccessibleName(QStringLiteral("Futter"));
    futter1->view()->setAccessibleName(QStringLiteral("Futterliste"));
    hinweis(futter1,
            QStringLiteral("Hier kannst du das Futter entweder aus der Liste wählen oder ein eigenes eingeben"));
    futter2 = new QLineEdit;
    futter2->setObjectName(QStringLiteral("futter2"));
    futter2->setMaxLength(TSchlange::TextKap);
    futter2->setAccessibleName(QStringLiteral("Bemerkung"));
    hinweis(futter2, QStringLiteral("Hier kannst du deine Bemerkung eingeben"));
}

// The food box's completion, as the box makes it itself.
void TVivarix::futterAuswahlFertig()
{
    if (futterAuswahlDa)
        return;
    futterAuswahlDa = true;
    auto *vervollstaendigen = new QCompleter(futter1->model(), futter1->lineEdit());
    vervollstaendigen->setCaseSensitivity(Qt::CaseInsensitive);
    vervollstaendigen->setCompletionMode(QCompleter::InlineCompletion);
    vervollstaendigen->setCompletionColumn(futter1->modelColumn());
    futter1->setCompleter(vervollstaendigen); // the stand-in goes with it
}

// The pop-up menu of both journals' rows.
void TVivarix::journalMenueAufbauen()
{
    const ZeilenMenue m = ZeilenMenueBauen(this, true, QStringLiteral("NachOben1"), QStringLiteral("NachUnten1"));
    PopupMenu1 = m.menue;
    ndern1 = m.aendern;
    Lschen1 = m.loeschen;
    NachOben1 = m.oben;
    NachUnten1 = m.unten;
    verbinde(ndern1, &QAction::triggered, &TVivarix::ndern1Click);
    verbinde(Lschen1, &QAction::triggered, &TVivarix::Lschen1Click);
    verbinde(NachOben1, &QAction::triggered, &TVivarix::NachOben1Click);
    verbinde(NachUnten1, &QAction::triggered, &TVivarix::NachUnten1Click);
    for (TStringGrid *g : {StringGrid1, StringGrid2})
        connect(g, &TStringGrid::menue, this,
                [this, g](const QPoint &wo, bool perTastatur) { journalMenue(g, wo, perTastatur); });
}

void TVivarix::menueAufbauen()
{
    QMenuBar *mb = menuBar();
    mb->setObjectName(QStringLiteral("hauptMenu"));
    auto eintrag = [this](QMenu *m, const char *objekt, const QString &text, const QKeySequence &taste, auto slot,
                          const char *icon = nullptr) {
        QAction *a = m->addAction(text);
        a->setObjectName(QLatin1String(objekt));
        if (!taste.isEmpty())
            a->setShortcut(taste);
        if (icon)
            a->setIcon(Bild::symbol(icon));
        verbinde(a, &QAction::triggered, slot);
        return a;
    };
    auto trenner = [](QMenu *m, const char *objekt) { m->addSeparator()->setObjectName(QLatin1String(objekt)); };

    Datei1 = mb->addMenu(QStringLiteral("&Datei"));
    Datei1->setObjectName(QStringLiteral("Datei1"));
    Neu1 = eintrag(Datei1, "Neu1", QStringLiteral("&Neu"), {}, &TVivarix::Neu1Click, "neu");
    Laden1 = eintrag(Datei1, "Laden1", QStringLiteral("&Laden..."), QKeySequence(Qt::CTRL | Qt::Key_L),
                     &TVivarix::Laden1Click, "laden");
    Speichern1 = eintrag(Datei1, "Speichern1", QStringLiteral("&Speichern"), QKeySequence(Qt::CTRL | Qt::Key_S),
                         &TVivarix::Speichern1Click, "speichern");
    SpeichernUnter1 =
        eintrag(Datei1, "SpeichernUnter1", QStringLiteral("Speichern &unter..."), {}, &TVivarix::SpeichernUnter1Click);
    FruehereFassung1 = eintrag(Datei1, "FruehereFassung1", QStringLiteral("&Frühere Fassung öffnen..."), {},
                               &TVivarix::FruehereFassung1Click);
    trenner(Datei1, "N1");
    Beenden1 = eintrag(Datei1, "Beenden1", QStringLiteral("&Beenden"), {}, &TVivarix::Beenden1Click);

    bearbeitenAufbauen();

    Schlangen1 = mb->addMenu(QStringLiteral("&Verwaltung"));
    Schlangen1->setObjectName(QStringLiteral("Schlangen1"));
    NeueSchlange1 = eintrag(Schlangen1, "NeueSchlange1", QStringLiteral("&Neue Schlange anlegen..."),
                            QKeySequence(Qt::CTRL | Qt::Key_N), &TVivarix::NeueSchlange1Click, "neueschlange");
    Schlangelschen1 = eintrag(Schlangen1, "Schlangelschen1", QStringLiteral("Schlange &löschen"),
                              QKeySequence(Qt::CTRL | Qt::Key_D), &TVivarix::Schlangelschen1Click, "schlangeloeschen");
    GeheZu1 = eintrag(Schlangen1, "GeheZu1", QStringLiteral("&Gehe zu Schlange..."), QKeySequence(Qt::CTRL | Qt::Key_G),
                      &TVivarix::GeheZu1Click);
    GeheZu1->setStatusTip(QStringLiteral("Gehe zu Schlange"));
    trenner(Schlangen1, "N2");
    FressCheck1 = eintrag(Schlangen1, "FressCheck1", QStringLiteral("Fress-&Check..."), QKeySequence(Qt::Key_F2),
                          &TVivarix::FressCheck1Click, "fresscheck");
    FressTermine1 = eintrag(Schlangen1, "FressTermine1", QStringLiteral("Fress-&Termine..."), QKeySequence(Qt::Key_F3),
                            &TVivarix::FressTermine1Click, "fresstermine");
    // F2 and F3 are taken by the other two evaluations; F4 continues the row.
    FressParade1 = eintrag(Schlangen1, "FressParade1", QStringLiteral("Fress-&Parade..."), QKeySequence(Qt::Key_F4),
                           &TVivarix::FressParade1Click, "fressparade");
    trenner(Schlangen1, "N3");
    Optionen1 = eintrag(Schlangen1, "Optionen1", QStringLiteral("&Optionen..."), QKeySequence(Qt::CTRL | Qt::Key_O),
                        &TVivarix::Optionen1Click);

    Hilfe1 = mb->addMenu(QStringLiteral("&?"));
    Hilfe1->setObjectName(QStringLiteral("Hilfe1"));
    Hilfe2 = eintrag(Hilfe1, "Hilfe2", QStringLiteral("&Hilfe..."), QKeySequence(Qt::Key_F1), &TVivarix::Hilfe2Click,
                     "hilfe");
    ber1 = eintrag(Hilfe1, "ber1", QStringLiteral("&Info..."), QKeySequence(Qt::Key_F10), &TVivarix::ber1Click);
    // One letter of each caption is its mnemonic (Alt and the letter), unique within its menu.
    for (QAction *a : {Neu1, Laden1, Speichern1, SpeichernUnter1, FruehereFassung1, Beenden1, NeueSchlange1,
                       Schlangelschen1, FressCheck1, FressTermine1, FressParade1, Optionen1, Hilfe2, ber1})
        a->setStatusTip(OhneKuerzel(a->text()).remove(QStringLiteral("...")));
}

void TVivarix::werkzeugleisteAufbauen()
{
    ToolBar1 = addToolBar(QStringLiteral("Werkzeugleiste"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(24, 24));
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    // Each tool button runs its menu command exactly as if the menu item had been chosen.
    auto knopf = [this](const char *objekt, const QString &hinweisText, QAction *menue, const char *icon) {
        auto *a = new QAction(Bild::symbol(icon), hinweisText, this);
        a->setObjectName(QLatin1String(objekt));
        a->setStatusTip(hinweisText);
        a->setToolTip(hinweisText);
        ToolBar1->addAction(a);
        if (QWidget *w = ToolBar1->widgetForAction(a)) {
            w->setObjectName(QLatin1String(objekt));
            w->setAccessibleName(hinweisText);
        }
        connect(a, &QAction::triggered, menue, &QAction::trigger);
        return a;
    };
    ToolButton1 = knopf("ToolButton1", QStringLiteral("Neu"), Neu1, "neu");
    ToolButton2 = knopf("ToolButton2", QStringLiteral("Laden"), Laden1, "laden");
    ToolButton3 = knopf("ToolButton3", QStringLiteral("Speichern"), Speichern1, "speichern");
    ToolBar1->addSeparator();
    ToolButton5 = knopf("ToolButton5", QStringLiteral("Neue Schlange anlegen"), NeueSchlange1, "neueschlange");
    ToolButton6 = knopf("ToolButton6", QStringLiteral("Schlange löschen"), Schlangelschen1, "schlangeloeschen");
    ToolBar1->addSeparator();
    ToolButton9 = knopf("ToolButton9", QStringLiteral("Fress-Check"), FressCheck1, "fresscheck");
    ToolButton11 = knopf("ToolButton11", QStringLiteral("Fress-Termine"), FressTermine1, "fresstermine");
    ToolButton12 = knopf("ToolButton12", QStringLiteral("Fress-Parade"), FressParade1, "fressparade");
    ToolBar1->addSeparator();
    ToolButton8 = knopf("ToolButton8", QStringLiteral("Hilfe"), Hilfe2, "hilfe");
    // The button that shows the buttons a narrow window leaves no room for.
    if (auto *mehr = ToolBar1->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button")))
        mehr->setAccessibleName(QStringLiteral("Weitere Knöpfe"));
}

// The card of the snake on show: picture, master data, the decorative
// picture and the buttons for the snake.
QWidget *TVivarix::kartenteil()
{
    auto *karte = new QWidget;
    auto *zeile = new QHBoxLayout(karte);
    zeile->setContentsMargins(0, 0, 0, 0);
    zeile->addWidget(bildteil(karte), 0, Qt::AlignTop);
    zeile->addWidget(stammdatenteil(karte), 1, Qt::AlignTop);
    Image3 = new QLabel(karte);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setPixmap(Bild::symbol("deko").pixmap(100, 100));
    Image3->setAccessibleName(QStringLiteral("Terrarium"));
    zeile->addWidget(Image3, 0, Qt::AlignTop);
    zeile->addLayout(kartenKnoepfe(karte));
    return karte;
}

QWidget *TVivarix::bildteil(QWidget *karte)
{
    // The snake's picture, drawn at its own size from the top-left corner and clipped to the area.
    auto *bildRahmen = new QFrame(karte);
    bildRahmen->setObjectName(QStringLiteral("Bevel1"));
    bildRahmen->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    hinweis(bildRahmen, QStringLiteral("Wie schaut denn dein Liebling eigentlich aus?"));
    auto *bl = new QVBoxLayout(bildRahmen);
    bl->setContentsMargins(1, 1, 1, 1);
    Image1 = new QLabel(bildRahmen);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(120, 145);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setAccessibleName(QStringLiteral("Bild"));
    hinweis(Image1, QStringLiteral("Wie schaut denn dein Liebling eigentlich aus?"));
    bl->addWidget(Image1);
    // While a metafile is converted the card shows the default picture with
    // "wird geladen…", and the picture itself once it is drawn.
    connect(&Metadatei::Wandlungen::alle(), &Metadatei::Wandlungen::fertig, this, [this] {
        if (bildWartet)
            Bewacht(this, [&] { bildZeigen(0); });
    });
    return bildRahmen;
}

QWidget *TVivarix::stammdatenteil(QWidget *karte)
{
    auto *daten = new QFrame(karte);
    daten->setObjectName(QStringLiteral("Bevel2"));
    daten->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto *g = new QGridLayout(daten);
    g->setHorizontalSpacing(8);
    g->setVerticalSpacing(4);
    int reihe = 0;
    // A caption and its value; a value too long for the room left is cut with "…".
    auto feld = [&](TWertLabel *&wert, const char *objekt, const QString &titel, const QString &hint,
                    QHBoxLayout *zelle = nullptr) {
        QLabel *caption = TextLabel(daten, titel);
        wert = new TWertLabel(titel.chopped(1), daten);
        wert->setObjectName(QLatin1String(objekt));
        wert->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        caption->setBuddy(wert);
        hinweis(caption, hint);
        hinweis(wert, hint);
        g->addWidget(caption, reihe, 0);
        if (zelle) {
            zelle->insertWidget(0, wert);
            g->addLayout(zelle, reihe, 1);
        } else {
            g->addWidget(wert, reihe, 1);
        }
        ++reihe;
    };
    feld(name, "name", QStringLiteral("Name:"), QStringLiteral("Wie heisst denn die Kleine?"));
    QFont fett = name->font();
    fett.setBold(true);
    name->setFont(fett);
    feld(gattung, "gattung", QStringLiteral("Gattung:"), QStringLiteral("Welcher Gattung gehört sie an?"));
    feld(farbe, "farbe", QStringLiteral("Farbvariante:"),
         QStringLiteral("Welche Farbvariante trifft am ehesten auf sie zu?"));
    feld(geschlecht, "geschlecht", QStringLiteral("Geschlecht:"),
         QStringLiteral("Mit welchem Geschlecht wurde sie gesegnet?"));
    feld(schlupf, "schlupf", QStringLiteral("Schlupfmonat:"), QStringLiteral("Wann ist sie aus dem Ei gekrochen?"));
    // The interval is a short number: its field is a few digits wide and "Tage" follows it.
    const QString tageHint = QStringLiteral("In welchem Abstand sollte sie Futter zu sich nehmen?");
    QLabel *tageEinheit = TextLabel(daten, QStringLiteral("Tage"));
    hinweis(tageEinheit, tageHint);
    auto *intervall = new QHBoxLayout;
    intervall->addWidget(tageEinheit);
    intervall->addStretch(1);
    feld(tage, "tage", QStringLiteral("Gewünschtes Fressintervall:"), tageHint, intervall);
    tage->setFixedWidth(tage->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    g->setColumnStretch(1, 1);
    return daten;
}

QLayout *TVivarix::kartenKnoepfe(QWidget *karte)
{
    auto *knoepfe = new QVBoxLayout;
    auto knopf = [&](QPushButton *&b, const char *objekt, const QString &text, const QString &hint,
                     void (TVivarix::*klick)()) {
        b = new QPushButton(text, karte);
        b->setObjectName(QLatin1String(objekt));
        b->setAutoDefault(false);
        hinweis(b, hint);
        knoepfe->addWidget(b);
        verbinde(b, &QPushButton::clicked, klick);
    };
    knopf(Button1, "Button1", QStringLiteral("Ändern..."), QStringLiteral("Hier kannst du die Stammdaten verändern"),
          &TVivarix::Button1Click);
    knopf(Button2, "Button2", QStringLiteral("Exportieren..."),
          QStringLiteral("Hier kannst du alle Daten in eine Tetdatei schreiben lassen"), &TVivarix::Button2Click);
    knopf(Button3, "Button3", QStringLiteral("Drucken..."),
          QStringLiteral("Hiermit können alle Daten schön übersichtlich ausgedruckt werden"), &TVivarix::Button3Click);
    knoepfe->addStretch(1);
    return knoepfe;
}

QWidget *TVivarix::journalHaelfte(const QString &titel, TStringGrid *&grid, TKlickLabel *&datum, QWidget *eingabe,
                                  QToolButton *&ok)
{
    auto *panel = new QWidget;
    auto *v = new QVBoxLayout(panel);
    v->setContentsMargins(2, 2, 2, 2);
    QLabel *ueberschrift = TextLabel(panel, titel);
    QFont f = ueberschrift->font();
    f.setBold(true);
    ueberschrift->setFont(f);
    v->addWidget(ueberschrift);
    grid = new TStringGrid(panel);
    grid->setEnabled(false);
    ueberschrift->setBuddy(grid);
    v->addWidget(grid, 1);

    auto *reihe = new QHBoxLayout;
    datum = new TKlickLabel(QStringLiteral("Datum"), panel);
    datum->setMinimumWidth(64);
    hinweis(datum, QStringLiteral("Hier kannst du das Datum einstellen"));
    reihe->addWidget(datum);
    eingabe->setParent(panel);
    reihe->addWidget(eingabe, 1);
    ok = new QToolButton(panel);
    // Our own check mark, drawn at build time: the style's would look through the icon theme.
    ok->setIcon(Bild::symbol("haken"));
    ok->setAccessibleName(titel.chopped(1) + QStringLiteral(": Eintrag hinzufügen"));
    hinweis(ok, QStringLiteral("Einfach klicken und schon erscheint der neue Eintrag"));
    ok->setToolTip(ok->statusTip()); // a tool button without caption; its tooltip covers no value
    reihe->addWidget(ok);
    v->addLayout(reihe);
    return panel;
}

// ---------------------------------------------------------------------------
// Start-up

// The window opens 768 x 609 and cannot be made smaller than that, unless the
// screen is smaller (a small screen at a large scale): then it fits the screen.
void TVivarix::mindestgroesseSetzen()
{
    setMinimumSize(QSize(768, 609).boundedTo(Bildschirmplatz(this)));
}

void TVivarix::showEvent(QShowEvent *e)
{
    QMainWindow::showEvent(e);
    mindestgroesseSetzen(); // now with the real frame
}

namespace {
// Ends a wait as soon as the window system shows the window.
struct AufGezeigtWarten : QObject {
    QWindow *fenster;
    QEventLoop *warten;
    AufGezeigtWarten(QWindow *f, QEventLoop *w) : fenster(f), warten(w) { f->installEventFilter(this); }
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o == fenster && e->type() == QEvent::Expose && fenster->isExposed())
            QTimer::singleShot(0, warten, &QEventLoop::quit); // once the expose has painted the window
        return false;
    }
};
} // namespace

void TVivarix::jetztMalen()
{
    // The start-up runs right after show(); on a real screen the window
    // system may not have shown the window yet, and whatever is painted
    // before is lost. So the first showing is waited for (a second at most,
    // no input handled meanwhile), which paints the window.
    QWindow *fenster = windowHandle();
    if (fenster && !fenster->isExposed()) {
        QEventLoop warten;
        const AufGezeigtWarten waechter(fenster, &warten);
        QTimer::singleShot(1000, &warten, &QEventLoop::quit);
        warten.exec(QEventLoop::ExcludeUserInputEvents);
    }
    repaint();
}

void TVivarix::FormActivate()
{
    gestartet = true;
    startVerz = startVerzeichnis ? startVerzeichnis() : QDir::currentPath();
    PanelBreite = Panel3->width();
    StringGrid1->setCells(0, 0, QStringLiteral("Datum"));
    StringGrid1->setCells(1, 0, QStringLiteral("Futter"));
    StringGrid2->setCells(0, 0, QStringLiteral("Datum"));
    StringGrid2->setCells(1, 0, QStringLiteral("Bemerkungen"));
    datum1->setText(DatumText(heute()));
    datum2->setText(DatumText(heute()));
    Geaendert = false;

    Optionen::setVerzeichnis(startVerz);
    const Optionen::Werte optionen = TOptionen::OptionenLesen(this);
    if (optionen.maximize)
        showMaximized();
    if (const std::optional<QString> datei = startDatei ? startDatei : optionen.startDatei()) {
        // A large collection takes a moment: the keeper sees the window, not a
        // blank frame, meanwhile. What was read (or nearly) while the window
        // was built, or the first snake of a large one, is shown at once, in
        // its first paint.
        if (isVisible() && !vorabBereit(*datei) && !ersteKarteMoeglich(*datei))
            jetztMalen();
        Laden(*datei);
    }
    vorab.reset(); // not needed, or already taken: its memory goes
    futterListeSetzen(optionen.futter);
}

void TVivarix::futterListeSetzen(const QStringList &liste)
{
    auto *modell = static_cast<QStringListModel *>(futter1->model());
    if (modell->stringList() == liste)
        return;
    // A food typed but not yet added stays in the input.
    const QString text = futter1->currentText();
    modell->setStringList(liste);
    futter1->setCurrentIndex(-1);
    futter1->setEditText(text);
}

// ---------------------------------------------------------------------------
// Showing and storing the snake on show

void TVivarix::Upd(int index)
{
    if (index < 0 || size_t(index) >= Schlangen.size())
        return;
    TabControl1->setCurrentIndex(index);
    karteZeigen(Schlangen[size_t(index)]);
}

void TVivarix::karteZeigen(const TSchlange &r)
{
    name->setText(r.name());
    gattung->setText(r.gattung());
    schlupf->setText(r.schlupf());
    tage->setText(QString::number(r.tage()));
    farbe->setText(r.farbe());
    geschlecht->setText(r.geschlecht());

    journalZeigen(r.journal(Journalart::Futter), StringGrid1);
    journalZeigen(r.journal(Journalart::Bemerkung), StringGrid2);

    Bilddatei = r.bild();
    BildZeigen();
}

void TVivarix::BildZeigen()
{
    bildZeigen(Bild::FensterWartezeitMs);
}

void TVivarix::bildZeigen(int wartenMs)
{
    static const QPixmap standard = QPixmap::fromImage(Bild::standardBild());
    bildWartet = false;
    Image1->setAccessibleDescription(QString());
    if (!Bilddatei.isEmpty()) {
        // A picture that fails in any way while it is read or drawn (out of
        // memory too) is a picture that cannot be shown, never a failed command.
        Bild::Geladen g;
        QPixmap bild;
        try {
            g = bildLaden(Bild::aufloesen(Bilddatei, bildBezug()), wartenMs);
            if (g.ergebnis == Bild::Ergebnis::Ok)
                bild = QPixmap::fromImage(g.bild);
        } catch (const std::exception &) {
            g = Bild::Geladen{};
            bild = QPixmap();
        }
        if (!bild.isNull()) {
            Image1->setPixmap(bild);
            return;
        }
        if (g.ergebnis == Bild::Ergebnis::InArbeit) {
            // Shown again when its conversion (or any other) has ended.
            static const QString laedt = QStringLiteral("wird geladen…");
            static const QPixmap mitHinweis = [&] {
                QPixmap p = standard;
                QPainter maler(&p);
                const QRect fuss(0, p.height() - 20, p.width(), 20);
                maler.fillRect(fuss, QColor(255, 255, 255, 200));
                maler.setPen(Qt::black);
                maler.setFont(Image1->font());
                maler.drawText(fuss, Qt::AlignCenter, laedt);
                return p;
            }();
            Image1->setPixmap(mitHinweis);
            Image1->setAccessibleDescription(laedt);
            bildWartet = true;
            return;
        }
    }
    // The card is whole before any message: the default picture, never the
    // previous snake's, stands behind the box.
    Image1->setPixmap(standard);
    if (Bilddatei.isEmpty())
        return;
    // Missing, locked, damaged, cut off, of an unknown kind or too large: the
    // keeper is told in every case, and the path stays stored.
    MessageDlg(this,
               QStringLiteral("Das Bild \"%1\" konnte nicht geladen werden.\nBitte überprüfe deine Einstellungen!")
                   .arg(Bilddatei),
               MsgArt::Fehler, mbOK);
}

void TVivarix::Merken()
{
    const int i = TabControl1->currentIndex();
    if (i < 0 || size_t(i) >= Schlangen.size())
        return;
    // Convert first: a bad interval must leave the record untouched.
    const int t = StrToInt(tage->text());
    TSchlange &r = Schlangen[size_t(i)];
    TabControl1->setTabText(i, name->text());
    r.setName(name->text());
    r.setGattung(gattung->text());
    r.setSchlupf(schlupf->text());
    r.setTage(t);
    r.setBild(Bilddatei);
    r.setFarbe(farbe->text());
    r.setGeschlecht(geschlecht->text());

    journalMerken(r, Journalart::Futter, StringGrid1);
    journalMerken(r, Journalart::Bemerkung, StringGrid2);
    Geaendert = true;
}

void TVivarix::bearbeitbar(bool an)
{
    offen = an;
    // The collection the commands would see during a load is the one before
    // it, which the keeper has let go: nothing reads or changes it.
    const bool ganz = !nachladen;
    for (QWidget *w : std::initializer_list<QWidget *>{StringGrid1, StringGrid2, datum1, datum2, futter1, futter2, ok1,
                                                       ok2, Button1, Button2, Button3})
        w->setEnabled(an && ganz);
    for (QAction *a : {Speichern1, SpeichernUnter1, ToolButton3, Schlangelschen1, ToolButton6, GeheZu1})
        a->setEnabled(an && ganz);
    for (QAction *a : {NeueSchlange1, ToolButton5, FressCheck1, ToolButton9, FressTermine1, ToolButton11, FressParade1,
                       ToolButton12, FruehereFassung1})
        a->setEnabled(ganz);
    verlaufZeigen();
}

void TVivarix::Activ()
{
    bearbeitbar(true);
}

void TVivarix::Neu()
{
    restVerwerfen(); // a load still coming in stops
    Schlangen.clear();
    Schlangen.shrink_to_fit();
    leer();
    Dateiname.clear();
    verlauf->clear(); // a new collection starts without history
    Geaendert = false;
}

void TVivarix::leer()
{
    TabControl1->clear();
    karteLeeren(QStringLiteral("unbekannt"), QStringLiteral("-"));
    bearbeitbar(false);
}

void TVivarix::karteLeeren(const QString &n, const QString &sonst)
{
    name->setText(n);
    for (TWertLabel *l : {gattung, schlupf, tage, farbe, geschlecht})
        l->setText(sonst);
    Bilddatei.clear();
    StringGrid1->setZeilen({});
    StringGrid2->setZeilen({});
    BildZeigen();
}

namespace {
QString teilweiseGelesen(std::size_t n)
{
    const QString gelesen = n == 1 ? QStringLiteral("Aus der Datei konnte nur eine Schlange gelesen werden.")
                                   : QStringLiteral("Aus der Datei konnten nur %1 Schlangen gelesen werden.").arg(n);
    return gelesen + QStringLiteral("\nDie Datei selbst wurde nicht verändert. "
                                    "\"Speichern\" fragt nach einem neuen Dateinamen.");
}
} // namespace

void TVivarix::Laden(const QString &path, bool unbenannt)
{
    ladenAufgeben(); // a load still coming in gives way: the collection before it is the one replaced
    TSchlangen neu;
    Datendatei::Stand stand;
    const QScopedValueRollback<QString> bezug(ladeDatei, path); // for the pictures of the snake shown first
    unterbrochenMelden(path);
    if (ersteKarteZuerst(path, unbenannt))
        return; // the whole collection follows, and comes in at once
    try {
        einlesen(path, neu, stand);
    } catch (const EInOutError &e) {
        // Not one whole record read: nothing changes, the collection on show stays.
        if (neu.empty())
            throw EInOutError::mitPfad(e, path);
        // A read that failed part-way keeps what was read, but forgets the file
        // name, so the partial collection can never be saved over the file it
        // came from without asking. The snakes that were read can be edited and
        // saved elsewhere: that is how a keeper rescues a damaged file.
        const bool geaendert = Geaendert; // taken over as it was, the history of the old collection gone
        uebernehmen(std::move(neu));
        Geaendert = geaendert;
        dateinameSetzen(QString());
        Activ();
        Fehlerbericht(this, e.message());
        MessageDlg(this, teilweiseGelesen(Schlangen.size()), MsgArt::Information, mbOK);
        throw StillerAbbruch{}; // the rest of the command does not happen
    }
    uebernehmen(std::move(neu));
    geladen(path, stand, unbenannt);
}

void TVivarix::geladen(const QString &pfad, const Datendatei::Stand &stand, bool unbenannt)
{
    // Unnamed, never saved over the file it came from without a question.
    dateinameSetzen(unbenannt ? QString() : pfad);
    dateiStand = stand;
    verlauf->clear(); // the steps belonged to the collection that went
    if (unbenannt)
        verlauf->resetClean(); // no state of it is saved anywhere: undoing never makes it unchanged
    Geaendert = unbenannt;
    if (!Schlangen.empty())
        Activ();
    emit sammlungGanz();
    if (TOptionen::OptionenLesen(this, false).remember)
        FressCheckNachLaden();
}

bool TVivarix::vorabBereit(const QString &path) const
{
    // Less than the blink of an eye to go: no feedback would be seen.
    return vorab && vorab->pfad() == path && vorab->baldFertig(std::chrono::milliseconds(50));
}

void TVivarix::einlesen(const QString &path, TSchlangen &neu, Datendatei::Stand &stand)
{
    const bool bereit = vorabBereit(path);
    std::unique_ptr<Vorauslesen> v = std::move(vorab); // taken once, whatever this load does
    auto uebernommen = [&] {
        std::optional<TSchlangen> gelesen = v ? v->abholen(path, &stand) : std::nullopt;
        v.reset();
        if (gelesen)
            neu = std::move(*gelesen);
        return gelesen.has_value();
    };
    if (bereit && uebernommen())
        return;
    const std::uint64_t groesse = dateiGroesse(path);
    const Warteanzeige warten(statusBar(), fortschrittsBalken, Warteanzeige::text(QStringLiteral("Lade"), groesse),
                              groesse);
    // A read still running is waited for; one that failed, read another file
    // or whose file has changed since is done again here, and then reports as
    // any load does.
    if (!uebernommen())
        Datendatei::laden(path, neu, &stand);
}

void TVivarix::uebernehmen(TSchlangen &&neu)
{
    // All or nothing: should showing the new collection fail, the old one comes
    // back as it was, with its file name and its unsaved changes, so that no
    // later save can write one collection under the other's name.
    Gezeigt alt = beiseite();
    Schlangen = std::move(neu);
    try {
        zeigen(0);
    } catch (...) {
        zurueck(std::move(alt));
        throw;
    }
    verlauf->clear(); // the steps belonged to the collection that went
}

TVivarix::Gezeigt TVivarix::beiseite()
{
    return {std::move(Schlangen), TabControl1->currentIndex(), Dateiname, Geaendert, offen};
}

void TVivarix::zurueck(Gezeigt &&g)
{
    Schlangen = std::move(g.schlangen);
    try {
        zeigen(g.tab);
    } catch (...) {
        // Shown as far as it goes; the collection and its name are the old ones all the same.
    }
    bearbeitbar(g.bearbeitbar);
    dateinameSetzen(g.dateiname);
    Geaendert = g.geaendert;
}

void TVivarix::zeigen(int index)
{
    if (Schlangen.empty()) {
        Neu(); // no snake to show: the empty state
        return;
    }
    QStringList namen;
    namen.reserve(qsizetype(Schlangen.size()));
    for (const TSchlange &s : Schlangen)
        namen << s.name();
    TabControl1->setTabs(namen);
    Upd(qBound(0, index, int(Schlangen.size()) - 1));
}

void TVivarix::Speichern(const QString &path)
{
    const std::uint64_t bytes = Schlangen.size() * TSchlange::Groesse;
    QString fassung;
    {
        const Warteanzeige warten(statusBar(), fortschrittsBalken,
                                  Warteanzeige::text(QStringLiteral("Speichere"), bytes), bytes);
        try {
            // The file as it was before is kept as an earlier version; what
            // cannot be kept never stops the save.
            dateiStand =
                Datendatei::speichern(path, Schlangen, [&](const QString &p, const struct stat &alt, bool bleibt) {
                    fassung = Fassungen::behalten(p, alt, bleibt, heute());
                });
        } catch (const EInOutError &e) {
            throw EInOutError::mitPfad(e, path);
        }
    }
    Geaendert = false;
    verlauf->setClean(); // the history stays; undoing from here marks the collection changed
    fassungMelden(fassung);
}

// ---------------------------------------------------------------------------
// Layout of the journal area

bool TVivarix::eventFilter(QObject *o, QEvent *e)
{
    if (feldRueckgaengig(o, e))
        return true;
    if ((o == futter1 || o == futter1->lineEdit()) &&
        (e->type() == QEvent::KeyPress || e->type() == QEvent::MouseButtonPress || e->type() == QEvent::FocusIn))
        futterAuswahlFertig(); // before the box acts on it
    if (e->type() == QEvent::Resize) {
        if (o == Splitter1)
            Panel3Resize();
        else if (o == StringGrid1->viewport())
            Panel1CanResize();
        else if (o == StringGrid2->viewport())
            Panel2CanResize();
    } else if (e->type() == QEvent::KeyPress && o == futter1->lineEdit()) {
        // Enter adds the feeding at once, also while the inline completion still has
        // its suggestion selected (the completer would otherwise take the first Enter).
        const int taste = static_cast<QKeyEvent *>(e)->key();
        if ((taste == Qt::Key_Return || taste == Qt::Key_Enter) && !futter1->view()->isVisible()) {
            futter1Enter();
            ok1->click();
            return true;
        }
    } else if (e->type() == QEvent::FocusIn) {
        if (o == futter1 || o == futter1->lineEdit())
            futter1Enter();
        else if (o == futter2)
            futter2Enter();
    }
    return QMainWindow::eventFilter(o, e);
}

void TVivarix::Panel3Resize()
{
    const int neu = Splitter1->width();
    const double f = PanelBreite > 0 ? double(neu) / PanelBreite : 0.0;
    if (f > 0) {
        const int links = int(std::lround(Panel1->width() * f));
        const int rechts = qMax(0, neu - links - Splitter1->handleWidth());
        Splitter1->setSizes({links, rechts});
    }
    PanelBreite = neu;
    Panel1->setMaximumWidth(qMax(Panel1->minimumWidth(), neu - 180));
}

void TVivarix::Panel1CanResize()
{
    textSpalteAnpassen(StringGrid1);
}

void TVivarix::Panel2CanResize()
{
    textSpalteAnpassen(StringGrid2);
}

// The text column takes what the date column leaves of the grid's width.
void TVivarix::textSpalteAnpassen(TStringGrid *g)
{
    g->setColWidths(1, g->viewport()->width() - g->ColWidths(0));
}

// ---------------------------------------------------------------------------
// The data file in the status bar

void TVivarix::dateinameSetzen(const QString &pfad)
{
    Dateiname = pfad;
    dateiFeldZeigen();
}

void TVivarix::dateiFeldZeigen()
{
    if (!dateiFeld)
        return; // still being built
    const QString gezeigt = gezeigteDatei();
    const QString datei = gezeigt.isEmpty() ? QStringLiteral("Neue Sammlung") : QFileInfo(gezeigt).fileName();
    dateiFeld->setText(Geaendert ? datei + QStringLiteral(" *") : datei);
}

void TVivarix::TabControl1Change(int index)
{
    if (restOffen())
        vorschauZeigen(index); // the tabs are the preview's
    else
        Upd(index);
}
