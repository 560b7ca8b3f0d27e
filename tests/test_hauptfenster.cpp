// The main window: start-up, showing and storing a snake, the empty and open states.
#include "Fenster.h"
#include "Hilfen.h"
#include "Version.h"

#include "data/Cp1252.h"
#include "data/Datendatei.h"
#include "data/Vorauslesen.h"
#include "app/Start.h"
#include "bild/Bild.h"
#include "toolkit/TKlickLabel.h"
#include "toolkit/TStringGrid.h"
#include "toolkit/TTabControl.h"
#include "toolkit/TWertLabel.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QStyle>
#include <QAccessible>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QThread>
#include <QDir>
#include <fcntl.h>
#include <sys/stat.h>
#include <QToolButton>
#include <QWindow>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace {
const QString nichtGefunden = QStringLiteral("Fehler|Optionsdatei \"options.ini\" nicht gefunden");

// Which of the controls and commands that Activ enables and Neu disables are on.
QSet<QString> bearbeitbar(const TVivarix &w)
{
    return eingeschalteteNamen(w) & Bearbeitbar;
}
const QSet<QString> &alleAn = Bearbeitbar, alleAus;
} // namespace

TEST(Start, DieMeldungDesStartersWirdEinmalGenommen)
{
    // The launcher's message is the program's to show; programs started from ours never see it.
    const QString text = QStringLiteral("Der Ordner \"/home/k/.local/share/vivarix\" kann nicht angelegt werden. "
                                        "Vivarix arbeitet diesmal im vorläufigen Ordner \"/run/user/1000/vivarix.x\".");
    qputenv("VIVARIX_STARTMELDUNG", text.toUtf8());
    EXPECT_EQ(Start::startmeldung(), text);
    EXPECT_FALSE(qEnvironmentVariableIsSet("VIVARIX_STARTMELDUNG"));
    EXPECT_EQ(Start::startmeldung(), QString());
}

TEST_F(FensterTest, JournaleMitPlatzhalterzeileUndTabwechselOhneSpeichern)
{
    TVivarix &f = geladen("s.vix", {schlange("Leer"), schlange("Eins", 1, 0), schlange("Voll", 200, 200)});
    EXPECT_EQ(f.StringGrid1->RowCount(), 2);
    EXPECT_EQ(f.StringGrid1->Cells(0, 1), "");
    f.Upd(1);
    EXPECT_EQ(f.TabControl1->currentIndex(), 1);
    EXPECT_EQ(f.StringGrid1->RowCount(), 2);
    EXPECT_EQ(f.StringGrid1->Cells(0, 1), "01.01.26");
    EXPECT_EQ(f.StringGrid1->Cells(1, 1), "Maus 0");
    EXPECT_EQ(f.StringGrid2->Cells(0, 1), "");
    f.Upd(2);
    EXPECT_EQ(f.StringGrid1->RowCount(), 201);
    EXPECT_EQ(f.StringGrid2->RowCount(), 201);
    EXPECT_EQ(f.StringGrid2->Cells(1, 200), "Häutung 199");
    EXPECT_EQ(f.StringGrid1->Row(), 1);
    // A click on a tab shows that snake, and stores nothing.
    reiterKlicken(f, 1);
    EXPECT_EQ(f.name->text(), "Eins");
    EXPECT_EQ(f.StringGrid1->RowCount(), 2);
    EXPECT_EQ(f.StringGrid1->Cells(1, 1), "Maus 0");
    EXPECT_FALSE(f.Geaendert);
}

TEST_F(FensterTest, TexteErscheinenUndKlingenWieSieSindUndMerkenSpeichertSieZurueck)
{
    TSchlange a = schlange("<b>Kaa</b>", 2, 1);
    a.setGattung(QStringLiteral("Tom & Jerry"));
    a.setFarbe(QStringLiteral("Grün € „Ä“"));
    TSchlange b = schlange("&Zwei");
    b.setGattung(QStringLiteral("Morelia"));
    TVivarix &f = geladen("t.vix", {a, b});
    EXPECT_EQ(f.name->text(), "<b>Kaa</b>");
    EXPECT_EQ(f.name->textFormat(), Qt::PlainText);
    EXPECT_EQ(f.gattung->text(), "Tom & Jerry");
    EXPECT_EQ(f.gattung->textFormat(), Qt::PlainText);
    EXPECT_EQ(f.TabControl1->tabText(0), "<b>Kaa</b>");
    EXPECT_EQ(f.TabControl1->tabText(1), "&Zwei");

    // Screen readers hear each value with its caption.
    auto gehoert = [](QWidget *w) {
        QAccessibleInterface *i = QAccessible::queryAccessibleInterface(w);
        return i ? i->text(QAccessible::Name) : QString();
    };
    EXPECT_EQ(gehoert(f.name), "Name: <b>Kaa</b>");
    EXPECT_EQ(gehoert(f.gattung), "Gattung: Tom & Jerry");
    EXPECT_EQ(gehoert(f.farbe), "Farbvariante: Grün € „Ä“");
    EXPECT_EQ(gehoert(f.geschlecht), "Geschlecht: weiblich");
    EXPECT_EQ(gehoert(f.schlupf), "Schlupfmonat: 05/2024");
    EXPECT_EQ(gehoert(f.tage), "Gewünschtes Fressintervall: 7");
    EXPECT_EQ(gehoert(f.datum1), "Datum: 07.12.26");

    const TSchlange vorher = f.Schlangen[0];
    f.Merken();
    EXPECT_TRUE(f.Geaendert);
    EXPECT_TRUE(f.Schlangen[0] == vorher) << "storing what was shown changes no byte";

    reiterKlicken(f, 1);
    EXPECT_EQ(gehoert(f.name), "Name: &Zwei");
    EXPECT_EQ(gehoert(f.gattung), "Gattung: Morelia");
    f.Neu();
    EXPECT_EQ(gehoert(f.name), "Name: unbekannt");
    EXPECT_EQ(gehoert(f.tage), "Gewünschtes Fressintervall: -");
}

TEST_F(FensterTest, MerkenSchreibtJournalMitEndmarkeUndLaesstRestUnberuehrt)
{
    TSchlange a = schlange("Kaa", 3, 0);
    a.setFutterDatum(5, QStringLiteral("Rest")); // a leftover behind the end mark
    TVivarix &f = geladen("r.vix", {a});
    f.StringGrid1->setRowCount(3); // the journal now ends after two entries
    f.Merken();
    const TSchlange &r = f.Schlangen[0];
    EXPECT_EQ(r.futterAnzahl(), 2);
    EXPECT_EQ(r.futterDatum(2), "");
    EXPECT_EQ(r.futterDatum(5), "Rest");

    // A bad interval text leaves the record as it was and is reported as a number error.
    const TSchlange vorher = f.Schlangen[0];
    f.name->setText(QStringLiteral("Neuer Name"));
    f.tage->setText(QStringLiteral("x1"));
    f.Geaendert = false;
    EXPECT_FALSE(Bewacht(&f, [&] { f.Merken(); }));
    EXPECT_EQ(gesagt().last(), "Bericht|'x1' ist kein gültiger Integerwert.");
    EXPECT_TRUE(f.Schlangen[0] == vorher);
    EXPECT_EQ(f.TabControl1->tabText(0), "Kaa");
    EXPECT_FALSE(f.Geaendert);
}

TEST_F(FensterTest, NeuUndActivSchaltenGenauDieSiebzehn)
{
    TVivarix &f = geladen("a.vix", {bunt(1, 2, 2)});
    f.Geaendert = true;
    const QSet<QString> vorher = eingeschalteteNamen(f);
    f.Neu();
    EXPECT_EQ(vorher - eingeschalteteNamen(f), Bearbeitbar) << "Neu switches these off and nothing else";
    EXPECT_EQ(bearbeitbar(f), alleAus);
    EXPECT_TRUE(f.Schlangen.empty());
    EXPECT_EQ(f.TabControl1->count(), 0);
    EXPECT_TRUE(f.Dateiname.isEmpty());
    EXPECT_FALSE(f.Geaendert);
    EXPECT_EQ(f.StringGrid1->RowCount(), 2);
    EXPECT_EQ(f.StringGrid1->Cells(1, 1), "");
    EXPECT_EQ(f.StringGrid1->Cells(0, 0), "Datum") << "Neu keeps the headers";
    EXPECT_EQ(angezeigt(f), (QStringList{"", "unbekannt", "-", "-", "-", "-", "-", ""}));
    EXPECT_EQ(f.Image1->pixmap().size(), Bild::standardBild().size());
    EXPECT_EQ(f.datum1->text(), "07.12.26");
    const QSet<QString> leer = eingeschalteteNamen(f);
    f.Activ();
    EXPECT_EQ(eingeschalteteNamen(f) - leer, Bearbeitbar) << "Activ switches these on and nothing else";
    for (QAction *a : {f.Neu1, f.Laden1, f.NeueSchlange1, f.FressCheck1, f.Optionen1, f.Hilfe2, f.Beenden1})
        EXPECT_TRUE(a->isEnabled());
}

TEST_F(FensterTest, LadenFehlerLassenNichtsHalbes)
{
    // A load that fails at once leaves everything as it was (test_fensterfehler).
    TVivarix &f = geladen("fuenf.vix", {schlange("A"), schlange("B"), schlange("C"), schlange("D"), schlange("E")});
    gesagt();
    f.futter1->setEditText("Maus");
    f.ok1->click();

    // Reading fails part-way: the three records read stay, the file name is forgotten,
    // and a notice after the report says what happened.
    QByteArray bytes = dateiLesen(pfad("fuenf.vix")).left(3 * int(TSchlange::Groesse) + 100);
    dateiSchreiben(pfad("kurz.vix"), bytes);
    DialogTest::naechsteAntwort(mbNein);
    DialogTest::naechsterDateiname(pfad("kurz.vix"));
    ausloesen(f.Laden1);
    EXPECT_EQ(gesagt(), (QStringList{"Warnung|Vorher noch speichern?", "Bericht|Versuch hinter dem Dateiende zu lesen.",
                                     "Information|Aus der Datei konnten nur 3 Schlangen gelesen werden.\n"
                                     "Die Datei selbst wurde nicht verändert. "
                                     "\"Speichern\" fragt nach einem neuen Dateinamen."}));
    EXPECT_EQ(dateiLesen(pfad("kurz.vix")), bytes);
    EXPECT_EQ(f.TabControl1->count(), 3);
    EXPECT_EQ(f.Schlangen.size(), 3u);
    EXPECT_EQ(f.name->text(), "A");
    EXPECT_TRUE(f.Dateiname.isEmpty());
    EXPECT_TRUE(f.SpeichernUnter1->isEnabled()) << "what was read can be saved elsewhere";
    DialogTest::naechsterDateiname(std::nullopt);
    ausloesen(f.Speichern1);
    EXPECT_TRUE(gesagt().isEmpty()) << "\"Speichern\" asked for a name instead of writing";

    // One whole record: the notice speaks of one snake.
    dateiSchreiben(pfad("eins.vix"), bytes.left(int(TSchlange::Groesse) + 1));
    f.Geaendert = false;
    DialogTest::naechsterDateiname(pfad("eins.vix"));
    ausloesen(f.Laden1);
    EXPECT_TRUE(gesagt().last().startsWith("Information|Aus der Datei konnte nur eine Schlange gelesen werden.\n"));

    // A file of size 0 holds no snake: the empty state, nothing to edit.
    dateiSchreiben(pfad("leer.vix"), {});
    DialogTest::naechsterDateiname(pfad("leer.vix"));
    ausloesen(f.Laden1);
    EXPECT_TRUE(gesagt().isEmpty());
    EXPECT_EQ(f.TabControl1->count(), 0);
    EXPECT_FALSE(f.ok1->isEnabled());
}

TEST_F(FensterTest, EineLadungGiltGanzOderGarNicht)
{
    // b.vix's snake has a picture whose reading fails: out of memory, or in a
    // way nobody foresaw. Either b is shown under its own name, or a comes back
    // as it was, with its name and its unsaved feeding; "Speichern" then never
    // writes b's snakes into a.vix.
    struct Unvorhergesehen {};
    const struct {
        const char *wie;
        std::function<void()> werfen;
        QString meldung;
        bool bGezeigt;
    } faelle[] = {
        {"out of memory on the picture", [] { throw std::bad_alloc(); },
         "Fehler|Das Bild \"" + pfad("kaputt.bmp") +
             "\" konnte nicht geladen werden.\nBitte überprüfe deine Einstellungen!",
         true},
        {"an unforeseen failure", [] { throw Unvorhergesehen{}; }, "Bericht|Unbekannter Fehler.", false},
    };
    TSchlange b = bunt(4);
    b.setBild(pfad("kaputt.bmp"));
    datei("b.vix", {b});
    const QByteArray bBytes = dateiLesen(pfad("b.vix"));
    for (const auto &fall : faelle) {
        SCOPED_TRACE(fall.wie);
        datei("a.vix", {bunt(1), bunt(2), bunt(3)});
        const QByteArray aBytes = dateiLesen(pfad("a.vix"));
        optionen({"autoload=1", "file=" + pfad("a.vix")});
        TVivarix &f = starten();
        reiterKlicken(f, 1);
        QTest::keyClicks(f.futter1->lineEdit(), QStringLiteral("Grille"));
        QTest::keyClick(f.futter1->lineEdit(), Qt::Key_Return);
        ASSERT_EQ(f.StringGrid1->Cells(1, 1), "Grille");
        const TSchlangen aGeaendert = f.Schlangen;
        const QStringList karte = angezeigt(f);
        gesagt();

        f.bildLaden = [&](const QString &p, int wartenMs) {
            if (p == pfad("kaputt.bmp"))
                fall.werfen();
            return Bild::laden(p, wartenMs);
        };
        DialogTest::naechsteAntwort(mbNein); // the feeding is not saved first
        DialogTest::naechsterDateiname(pfad("b.vix"));
        ausloesen(f.Laden1);
        EXPECT_EQ(gesagt(), (QStringList{"Warnung|Vorher noch speichern?", fall.meldung}));
        if (fall.bGezeigt) {
            EXPECT_TRUE(f.Schlangen == TSchlangen{b});
            EXPECT_EQ(f.Dateiname, pfad("b.vix"));
            EXPECT_FALSE(f.Geaendert);
            EXPECT_EQ(f.dateiFeld->text(), "b.vix");
            EXPECT_EQ(angezeigt(f), gespeichert(b));
        } else {
            EXPECT_TRUE(f.Schlangen == aGeaendert);
            EXPECT_EQ(f.Dateiname, pfad("a.vix"));
            EXPECT_TRUE(f.Geaendert);
            EXPECT_EQ(f.dateiFeld->text(), "a.vix *");
            EXPECT_EQ(f.TabControl1->count(), 3);
            EXPECT_EQ(f.TabControl1->currentIndex(), 1);
            EXPECT_EQ(angezeigt(f), karte);
            EXPECT_TRUE(f.ok1->isEnabled());
        }

        ausloesen(f.Speichern1);
        EXPECT_TRUE(gesagt().isEmpty());
        EXPECT_FALSE(f.Geaendert);
        EXPECT_EQ(dateiLesen(pfad("b.vix")), bBytes);
        TSchlangen inA;
        Datendatei::laden(pfad("a.vix"), inA);
        if (fall.bGezeigt)
            EXPECT_EQ(dateiLesen(pfad("a.vix")), aBytes);
        else
            EXPECT_TRUE(inA == aGeaendert) << "a.vix holds a's snakes with the new feeding";
        w.reset();
    }
}

TEST_F(FensterTest, StatusleisteZeigtDateiUndOffeneAenderungen)
{
    datei("zwei.vix", {schlange("Kaa"), schlange("Nagini")});
    TVivarix &leer = starten();
    EXPECT_EQ(leer.dateiFeld->text(), "Neue Sammlung");
    EXPECT_EQ(leer.dateiFeld->parentWidget(), leer.statusBar());

    optionen({"autoload=1", "file=" + pfad("zwei.vix")});
    TVivarix &f = starten();
    EXPECT_EQ(f.dateiFeld->text(), "zwei.vix");
    f.futter1->setEditText("Maus");
    f.ok1->click();
    EXPECT_EQ(f.dateiFeld->text(), "zwei.vix *");
    ausloesen(f.Speichern1);
    EXPECT_EQ(f.dateiFeld->text(), "zwei.vix");
    DialogTest::naechsteAntwort(mbJa);
    ausloesen(f.Schlangelschen1);
    EXPECT_EQ(f.dateiFeld->text(), "zwei.vix *");
    EXPECT_EQ(f.dateiFeld->accessibleName(), "Datendatei: zwei.vix *");
    DialogTest::naechsteAntwort(mbNein);
    ausloesen(f.Neu1);
    EXPECT_EQ(f.dateiFeld->text(), "Neue Sammlung");
    f.Geaendert = true; // whoever sets the flag, the field follows
    EXPECT_EQ(f.dateiFeld->text(), "Neue Sammlung *");
    EXPECT_EQ(f.windowTitle(), "Vivarix " VIVARIX_VERSION);
}

TEST_F(FensterTest, KarteUeberlapptNichtBeiDerKleinstenGroesse)
{
    TSchlange s = schlange(QString(30, u'W'));
    s.setGattung(QString(50, u'M'));
    s.setFarbe(QStringLiteral("Pastel Yellowbelly Spider Mojave Enchi Clown Combo"));
    s.setTage(-2147483647 - 1);
    TVivarix &f = geladen("lang.vix", {s, schlange("Kurz")}, {}, true);
    f.resize(f.minimumSize());
    QTest::qWait(20);
    ASSERT_EQ(f.size(), QSize(768, 609));
    QWidget *seite = f.TabControl1->contentArea();
    EXPECT_LE(seite->minimumSizeHint().width(), seite->width()) << "the card fits without squeezing";

    // Every visible piece of the card, in window coordinates: none overlaps another,
    // and no caption is cut.
    QWidget *karte = f.Image3->parentWidget();
    std::vector<std::pair<std::string, QRect>> teile;
    for (QWidget *w : karte->findChildren<QWidget *>()) {
        if (!w->isVisible() || !w->findChildren<QWidget *>().isEmpty())
            continue;
        auto *l = qobject_cast<QLabel *>(w);
        const std::string wer = (w->objectName() + u' ' + (l ? l->text() : QString())).toStdString();
        teile.push_back({wer, QRect(w->mapTo(&f, QPoint(0, 0)), w->size())});
        if (l && !qobject_cast<TWertLabel *>(l)) {
            EXPECT_GE(l->contentsRect().width(), l->fontMetrics().horizontalAdvance(l->text())) << wer;
        }
    }
    ASSERT_GE(teile.size(), 18u);
    for (size_t i = 0; i < teile.size(); ++i) {
        EXPECT_TRUE(f.rect().contains(teile[i].second)) << teile[i].first;
        for (size_t j = i + 1; j < teile.size(); ++j)
            EXPECT_FALSE(teile[i].second.intersects(teile[j].second)) << teile[i].first << " / " << teile[j].first;
    }

    // A value cut by the room shows "…" and its full text as tooltip; a short one does neither.
    EXPECT_TRUE(f.gattung->abgeschnitten());
    EXPECT_TRUE(f.tage->abgeschnitten());
    EXPECT_EQ(f.gattung->text(), QString(50, u'M')) << "the value itself is whole";
    EXPECT_FALSE(f.geschlecht->abgeschnitten());
    EXPECT_TRUE(f.geschlecht->toolTip().isEmpty());

    // A long value's label narrows to a date in its own font, whichever label was measured before.
    TWertLabel gross, klein;
    QFont schrift = klein.font();
    schrift.setPixelSize(4 * QFontMetrics(schrift).height());
    gross.setFont(schrift);
    gross.setText(QString(30, u'W'));
    klein.setText(QString(30, u'W'));
    const int datum = QFontMetrics(schrift).horizontalAdvance(QStringLiteral("00.00.00"));
    EXPECT_LT(klein.minimumSizeHint().width(), datum);
    EXPECT_GE(gross.minimumSizeHint().width(), datum);
    EXPECT_LT(klein.minimumSizeHint().width(), datum);
}

TEST_F(FensterTest, JournalbereichBehaeltSeineProportionen)
{
    TVivarix &f = starten(true);
    f.resize(800, 640);
    QTest::qWait(20);
    const int links = f.Panel1->width();
    const int rechts = f.Panel2->width();
    f.resize(int(f.width() * 1.1), f.height());
    QTest::qWait(20);
    EXPECT_NEAR(double(f.Panel1->width()) / links, 1.1, 0.06);
    EXPECT_NEAR(double(f.Panel2->width()) / rechts, 1.1, 0.06);
    EXPECT_GE(f.Splitter1->width() - f.Panel1->width(), 180 - f.Splitter1->handleWidth());
    EXPECT_EQ(f.Panel1->maximumWidth(), f.Splitter1->width() - 180) << "the right half keeps 180 pixels";
    // The text column fills what the date column leaves.
    EXPECT_EQ(f.StringGrid1->ColWidths(0), 64);
    EXPECT_EQ(f.StringGrid1->ColWidths(1), f.StringGrid1->viewport()->width() - 64);
}

TEST_F(FensterTest, SteuerelementeTragenIhreNamenUndHinweise)
{
    TVivarix &f = starten();
    for (const char *n : {"TabControl1", "name",        "gattung",     "farbe",        "geschlecht",  "schlupf",
                          "tage",        "Image1",      "Button1",     "Button2",      "Button3",     "Panel1",
                          "Panel2",      "Panel3",      "Splitter1",   "StringGrid1",  "StringGrid2", "datum1",
                          "datum2",      "futter1",     "futter2",     "ok1",          "ok2",         "ToolBar1",
                          "StatusBar1",  "ToolButton1", "ToolButton3", "ToolButton12", "ToolButton8"})
        EXPECT_NE(f.findChild<QWidget *>(QLatin1String(n)), nullptr) << n;
    EXPECT_EQ(f.Button1->statusTip(), "Hier kannst du die Stammdaten verändern");
    EXPECT_EQ(f.ok1->accessibleName().isEmpty(), false);
    // Both add buttons show our own check mark, drawn at build time, not one of the icon theme.
    const QImage haken = Bild::symbol("haken").pixmap(16, 16).toImage();
    for (const QToolButton *ok : {f.ok1, f.ok2})
        EXPECT_EQ(ok->icon().pixmap(16, 16).toImage(), haken) << ok->objectName().toStdString();
    EXPECT_EQ(f.ToolButton9->toolTip(), "Fress-Check");
    EXPECT_EQ(f.Laden1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    EXPECT_EQ(f.FressCheck1->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(f.ber1->shortcut(), QKeySequence(Qt::Key_F10));
    EXPECT_EQ(f.futter1->lineEdit()->maxLength(), 100);
    EXPECT_EQ(f.futter2->maxLength(), 100);

    // Hints go to the status bar; a tooltip over a value would hide the value.
    for (QWidget *w : std::initializer_list<QWidget *>{f.name, f.gattung, f.farbe, f.geschlecht, f.schlupf, f.tage,
                                                       f.Image1, f.StringGrid1, f.StringGrid2, f.datum1, f.datum2,
                                                       f.futter1, f.futter2, f.Button1}) {
        EXPECT_FALSE(w->statusTip().isEmpty()) << w->objectName().toStdString();
        EXPECT_TRUE(w->toolTip().isEmpty()) << w->objectName().toStdString();
    }
    EXPECT_EQ(f.gattung->statusTip(), "Welcher Gattung gehört sie an?");
    EXPECT_EQ(f.ok1->toolTip(), f.ok1->statusTip()) << "a tool button without caption keeps its tooltip";
}

TEST_F(FensterTest, StartWieEinNutzerIhnErlebt)
{
    const TSchlangen drei{bunt(1), bunt(2), bunt(3)};
    datei("drei.vix", drei);
    const QString d = "file=" + pfad("drei.vix");
    const QString fehlt = QStringLiteral("Bericht|Datei nicht gefunden.");
    // What stands in the data file's place is named with its path.
    ASSERT_TRUE(QDir().mkdir(pfad("ordner.vix")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pfad("rohr.vix")).constData(), 0600), 0);
    const auto start = [&](const char *name) { return QStringList{"autoload=1", "file=" + pfad(name)}; };
    const auto bericht = [&](const char *text, const char *name, const char *was) {
        return QStringList{
            QStringLiteral("Bericht|%1.\n\"%2\"%3.").arg(QString::fromUtf8(text), pfad(name), QString::fromUtf8(was))};
    };
    struct Fall {
        const char *wie;
        std::optional<QStringList> zeilen; // nothing: no settings file at all
        bool maximiert;
        bool geladen;
        QStringList meldungen;
        QStringList futter;
    };
    const QStringList keine;
    const Fall faelle[] = {
        {"no settings file", std::nullopt, false, false, {nichtGefunden}, {}},
        {"empty settings file", QStringList{}, false, false, {}, {}},
        {"maximize=1", QStringList{"[Options]", "autoload=0", d, "remember=0", "maximize=1", "futter=Maus|Ratte"}, true,
         false, keine, QStringList{"Maus", "Ratte"}},
        {"maximize=0", QStringList{"autoload=0", d, "maximize=0", "futter=Küken"}, false, false, {}, {"Küken"}},
        {"no maximize line", QStringList{"autoload=0", d, "futter=|Maus"}, false, false, {}, {"", "Maus"}},
        {"maximize=yes", QStringList{"maximize=yes"}, false, false, {}, {}},
        {"autoload with a file", QStringList{"autoload=1", d, "maximize=1", "futter=Maus"}, true, true, {}, {"Maus"}},
        {"autoload=0 with a file", QStringList{"autoload=0", d}, false, false, {}, {}},
        {"autoload with file 0", QStringList{"autoload=1", "file=0", "futter=Maus"}, false, false, {}, {"Maus"}},
        {"autoload with a missing file", QStringList{"autoload=1", "file=" + pfad("fehlt.vix"), "futter=Maus"}, false,
         false, QStringList{fehlt + "\n\"" + pfad("fehlt.vix") + "\""}, keine},
        {"autoload with a folder", start("ordner.vix"), false, false,
         bericht("Ungültiger Dateiname", "ordner.vix", " ist ein Ordner"), keine},
        {"autoload with a pipe", start("rohr.vix"), false, false,
         bericht("Ungültiger Dateiname", "rohr.vix", " ist keine gewöhnliche Datei"), keine},
        {"autoload from a folder that is gone", start("weg/drei.vix"), false, false,
         bericht("Datei nicht gefunden", "weg/drei.vix", "\nDer Ordner existiert nicht mehr"), keine},
        {"autoload without a file line", QStringList{"autoload=1", "maximize=1", "futter=Maus"}, true, false,
         QStringList{fehlt}, keine},
        {"settings over 1 MiB", QStringList{"maximize=1", "futter=" + QString(2 << 20, u'x'), "autoload=1", d}, true,
         false, QStringList{OptionenZuGross}, keine},
    };
    // Each case twice: as the window starts by itself, and as the program
    // starts it, with the collection read ahead while the window is built.
    for (const Fall &fall : faelle)
        for (const bool vorab : {false, true}) {
            SCOPED_TRACE(fall.wie);
            SCOPED_TRACE(vorab ? "read ahead" : "window alone");
            QFile::remove(pfad("options.ini"));
            if (fall.zeilen)
                dateiSchreiben(pfad("options.ini"), fall.zeilen->isEmpty()
                                                        ? QByteArray()
                                                        : Cp1252::encode(fall.zeilen->join("\r\n") + "\r\n"));
            gesagt();
            TVivarix &f = starten(false, vorab);
            EXPECT_EQ(f.vorab, nullptr) << "what was read ahead is let go after the start";
            EXPECT_EQ(gesagt(), fall.meldungen);
            EXPECT_EQ(f.isMaximized(), fall.maximiert);
            EXPECT_EQ(futterAuswahl(f), fall.futter);
            EXPECT_EQ(f.futter1->currentText(), "");
            EXPECT_FALSE(f.Geaendert);
            EXPECT_EQ(f.windowTitle(), "Vivarix " VIVARIX_VERSION);
            EXPECT_EQ(f.datum1->text(), "07.12.26");
            if (fall.geladen) {
                EXPECT_EQ(f.TabControl1->count(), 3);
                EXPECT_EQ(f.TabControl1->currentIndex(), 0);
                EXPECT_EQ(f.TabControl1->tabText(2), drei[2].name());
                EXPECT_EQ(f.Dateiname, pfad("drei.vix"));
                EXPECT_EQ(angezeigt(f), gespeichert(drei[0]));
                EXPECT_EQ(bearbeitbar(f), alleAn);
            } else {
                EXPECT_EQ(f.TabControl1->count(), 0);
                EXPECT_TRUE(f.Dateiname.isEmpty());
                EXPECT_EQ(angezeigt(f), (QStringList{"", "unbekannt", "-", "-", "-", "-", "-", ""}));
                EXPECT_EQ(bearbeitbar(f), alleAus);
                EXPECT_TRUE(f.NeueSchlange1->isEnabled());
                EXPECT_EQ(f.StringGrid1->Cells(0, 0), "Datum");
                EXPECT_EQ(f.StringGrid1->Cells(1, 0), "Futter");
                EXPECT_EQ(f.StringGrid2->Cells(1, 0), "Bemerkungen");
                EXPECT_EQ(f.StringGrid1->RowCount(), 2);
                EXPECT_EQ(f.datum2->text(), "07.12.26");
            }
            EXPECT_GE(f.minimumWidth(), 768);
            EXPECT_GE(f.minimumHeight(), 609);
            w.reset();
        }
}

TEST_F(FensterTest, DateiAusDerBefehlszeileStattDerStartdatei)
{
    // "vivarix DATEI" opens that file as "Laden..." would, whatever the settings load at start.
    datei("drei.vix", {bunt(1), bunt(2), bunt(3)});
    datei("eine.vix", {bunt(4)});
    optionen({"autoload=1", "file=" + pfad("eine.vix"), "futter=Maus"});
    const auto start = [&](const QString &name, bool vorab) -> TVivarix & {
        w = std::make_unique<TVivarix>();
        einrichten(*w);
        w->startDatei = name;
        if (vorab)
            w->vorab = Start::vorauslesen(name);
        Bewacht(w.get(), [this] { w->FormActivate(); });
        ganzAbwarten(*w);
        return *w;
    };
    for (const bool vorab : {false, true}) {
        SCOPED_TRACE(vorab ? "read ahead" : "window alone");
        TVivarix &f = start(pfad("drei.vix"), vorab);
        const auto *tabs = f.findChild<TTabControl *>(QStringLiteral("TabControl1"));
        ASSERT_NE(tabs, nullptr);
        EXPECT_EQ(tabs->count(), 3);
        EXPECT_EQ(tabs->tabText(2), bunt(3).name());
        EXPECT_EQ(f.findChild<TWertLabel *>(QStringLiteral("dateiFeld"))->text(), "drei.vix");
        EXPECT_EQ(futterAuswahl(f), QStringList{"Maus"});
        EXPECT_TRUE(gesagt().isEmpty());
    }
    // One that is not there: the window's message, and nothing loaded in its place.
    TVivarix &f = start(pfad("fehlt.vix"), false);
    EXPECT_EQ(gesagt(), QStringList{"Bericht|Datei nicht gefunden.\n\"" + pfad("fehlt.vix") + "\""});
    EXPECT_EQ(f.findChild<TTabControl *>(QStringLiteral("TabControl1"))->count(), 0);
}

TEST_F(FensterTest, VorausGelesenZaehltNurWasDieDateiBeimStartNochIst)
{
    // Read ahead, then changed before the window's start-up gets to it: the
    // window shows the file as it is then, never what was read before. A read
    // still running when the window starts up is waited for.
    const TSchlangen alt{bunt(1), bunt(2)}, neu{bunt(3), bunt(4), bunt(5)};
    optionen({"autoload=1", "file=" + pfad("s.vix")});
    enum Fall { Unveraendert, Ersetzt, NochAmLesen };
    for (const Fall fall : {Unveraendert, Ersetzt, NochAmLesen}) {
        SCOPED_TRACE(fall == Unveraendert ? "unchanged" : fall == Ersetzt ? "replaced meanwhile" : "still reading");
        datei("s.vix", alt);
        const timespec frueher[2] = {{1600000000, 0}, {1600000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(pfad("s.vix")).constData(), frueher, 0), 0);
        // "Still reading": the helper starts only once the window's start-up has begun.
        std::mutex m;
        std::condition_variable cv;
        bool losgelegt = fall != NochAmLesen;
        std::unique_ptr<Vorauslesen> v = std::make_unique<Vorauslesen>([&, datei = pfad("s.vix")] {
            std::unique_lock<std::mutex> l(m);
            cv.wait(l, [&] { return losgelegt; });
            return datei;
        });
        if (fall != NochAmLesen)
            while (!v->fertig())
                QThread::yieldCurrentThread();
        if (fall == Ersetzt)
            datei("s.vix", neu);
        w = std::make_unique<TVivarix>();
        w->heute = [] { return heute(); };
        w->startVerzeichnis = [&, dir = ordner.path()] {
            std::lock_guard<std::mutex> l(m);
            losgelegt = true;
            cv.notify_all();
            return dir;
        };
        w->vorab = std::move(v);
        w->FormActivate();
        const TSchlangen &erwartet = fall == Ersetzt ? neu : alt;
        EXPECT_TRUE(w->Schlangen == erwartet);
        EXPECT_EQ(w->TabControl1->count(), int(erwartet.size()));
        EXPECT_EQ(angezeigt(*w), gespeichert(erwartet[0]));
        EXPECT_EQ(w->Dateiname, pfad("s.vix"));
        EXPECT_FALSE(w->Geaendert);
        EXPECT_EQ(w->vorab, nullptr);
        EXPECT_TRUE(gesagt().isEmpty());
        w.reset();
    }
}

TEST_F(FensterTest, DasFensterIstGemaltBevorDasLadenBeginnt)
{
    // The start-up runs right after show(), before the window system has shown
    // the window; a large collection must not leave it blank meanwhile. Here
    // nothing is read ahead, so the load takes its time in the window's start-up.
    datei("s.vix", {bunt(1), bunt(2)});
    optionen({"autoload=1", "file=" + pfad("s.vix")});
    w = std::make_unique<TVivarix>();
    einrichten(*w);
    struct Maler : QObject {
        TVivarix *fenster;
        std::vector<std::size_t> schlangenBeimMalen;
        bool eventFilter(QObject *o, QEvent *e) override
        {
            if (o == fenster && e->type() == QEvent::Paint)
                schlangenBeimMalen.push_back(fenster->Schlangen.size());
            return false;
        }
    } maler;
    maler.fenster = w.get();
    w->installEventFilter(&maler);
    w->show(); // the start-up's own timer has not run yet: it is called here directly
    ASSERT_FALSE(w->windowHandle()->isExposed()) << "this platform shows windows at once: nothing to wait for";
    w->FormActivate();
    ASSERT_FALSE(maler.schlangenBeimMalen.empty()) << "not painted during the start-up";
    EXPECT_EQ(maler.schlangenBeimMalen.front(), 0u) << "the first paint came only after the load";
    EXPECT_EQ(w->Schlangen.size(), 2u);
    EXPECT_TRUE(gesagt().isEmpty());
}

TEST_F(FensterTest, JederLadenLiestDieEinstellungenNeu)
{
    const TSchlangen zwei{bunt(4), bunt(5)};
    TVivarix &f = geladen("zwei.vix", zwei);
    EXPECT_TRUE(gesagt().isEmpty());
    ausloesen(f.Neu1); // from the empty state: loading also makes the snakes editable
    QFile::remove(pfad("options.ini"));
    DialogTest::naechsterDateiname(pfad("zwei.vix"));
    ausloesen(f.Laden1);
    EXPECT_EQ(gesagt(), QStringList{nichtGefunden});
    EXPECT_EQ(bearbeitbar(f), alleAn);
    EXPECT_EQ(f.Dateiname, pfad("zwei.vix"));
    EXPECT_EQ(angezeigt(f), gespeichert(zwei[0])) << "the first snake is shown";
    EXPECT_TRUE(f.Schlangen == zwei);
    EXPECT_FALSE(f.Geaendert);
    for (int i : {1, 0}) {
        reiterKlicken(f, i);
        EXPECT_EQ(angezeigt(f), gespeichert(zwei[size_t(i)]));
    }
    EXPECT_TRUE(gesagt().isEmpty()) << "showing a snake reads no settings";
}
