// The commands as a user drives them: document, journal entries, snakes' cards.
#include "Fenster.h"
#include "Hilfen.h"

#include "app/TDateneingabe.h"
#include "app/TDatum.h"
#include "app/TFutterEdit.h"
#include "data/Datendatei.h"
#include "data/Ersetzen.h"
#include "data/Systemaufrufe.h"
#include "bild/Bild.h"
#include "toolkit/TKlickLabel.h"
#include "toolkit/TStringGrid.h"
#include "toolkit/TTabControl.h"

#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>
#include <QTimer>
#include <QToolButton>
#include <csignal>
#include <functional>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {
void datumWaehlen(const QDate &d)
{
    DialogTest::naechsterDialog([=](QWidget *w) {
        auto *dlg = static_cast<TDatum *>(w);
        dlg->MonthCalendar1->setSelectedDate(d);
        dlg->Button2->click();
    });
}

void abbrechen()
{
    DialogTest::naechsterDialog([](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
}

QStringList spalte(const TStringGrid *g, int c)
{
    QStringList l;
    for (int r = 1; r < g->RowCount(); ++r)
        l << g->Cells(c, r);
    return l;
}
} // namespace

class BefehleTest : public FensterTest {
protected:
    TVivarix &mitSchlangen(const TSchlangen &s)
    {
        TVivarix &f = geladen("start.vix", s, {"futter=Maus|Ratte"});
        gesagt();
        return f;
    }
    void fuettern(TVivarix &f, const QString &text)
    {
        f.futter1->setEditText(text);
        f.ok1->click();
    }
    // Shows the window, active, and gives `w` the keyboard focus; false where
    // the platform gives none.
    static bool fokus(TVivarix &f, QWidget *w)
    {
        f.show();
        QApplication::setActiveWindow(&f);
        w->setFocus();
        return w->hasFocus();
    }
};

// ---------------------------------------------------------------------------
// Document commands

TEST_F(BefehleTest, NeuUndSchliessenFragenNurBeiAenderungen)
{
    for (const bool schliessen : {false, true}) {
        SCOPED_TRACE(schliessen ? "closing" : "Neu");
        // True when the command went through: the window closed, or its collection is gone.
        const auto weiter = [&](TVivarix &f) {
            if (schliessen)
                return f.close();
            ausloesen(f.Neu1);
            return f.TabControl1->count() == 0;
        };
        TVivarix &f = mitSchlangen({schlange("Kaa")});
        EXPECT_TRUE(weiter(f)) << "no change: no question";
        EXPECT_TRUE(gesagt().isEmpty());

        TVivarix &g = mitSchlangen({schlange("Kaa")});
        const QByteArray vorher = dateiLesen(pfad("start.vix"));
        fuettern(g, "Maus");
        DialogTest::naechsteAntwort(mbAbbrechen);
        EXPECT_FALSE(weiter(g));
        EXPECT_EQ(gesagt(), QStringList{"Warnung|Vorher noch speichern?"});
        EXPECT_EQ(g.TabControl1->count(), 1);
        EXPECT_TRUE(g.Geaendert);
        DialogTest::naechsteAntwort(mbNein);
        EXPECT_TRUE(weiter(g));
        EXPECT_EQ(dateiLesen(pfad("start.vix")), vorher) << "Nein writes nothing";

        TVivarix &h = mitSchlangen({schlange("Kaa")});
        fuettern(h, "Maus");
        DialogTest::naechsteAntwort(mbJa);
        EXPECT_TRUE(weiter(h));
        TSchlangen zurueck;
        Datendatei::laden(pfad("start.vix"), zurueck);
        EXPECT_EQ(zurueck[0].futter(0), "Maus");
    }
}

TEST_F(BefehleTest, OhneDatendateiBeginnenDieDialogeImDokumentenordner)
{
    // The program runs in a hidden folder of its own; the keeper's documents are elsewhere.
    const QByteArray konfigVorher = qgetenv("XDG_CONFIG_HOME"), dokumenteVorher = qgetenv("XDG_DOCUMENTS_DIR");
    ASSERT_TRUE(QDir(ordner.path()).mkpath("konfig") && QDir(ordner.path()).mkpath("Dokumente") &&
                QDir(ordner.path()).mkpath("Papiere"));
    qputenv("XDG_CONFIG_HOME", pfad("konfig").toLocal8Bit());
    qputenv("XDG_DOCUMENTS_DIR", pfad("Dokumente").toLocal8Bit());
    TVivarix &f = starten();
    const auto ladenOrdner = [&] {
        DialogTest::naechsterDateiname(std::nullopt);
        ausloesen(f.Laden1);
        return f.OpenDialog1.verzeichnis;
    };
    EXPECT_EQ(ladenOrdner(), pfad("Dokumente")) << "as xdg-user-dir names it from the environment";
    dateiSchreiben(pfad("konfig/user-dirs.dirs"),
                   "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"" + pfad("Papiere").toUtf8() + "\"\n");
    EXPECT_EQ(ladenOrdner(), pfad("Papiere")) << "the keeper's own setting comes first";
    dateiSchreiben(pfad("konfig/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"" + pfad("weg").toUtf8() + "\"\n");
    EXPECT_EQ(ladenOrdner(), QDir::homePath()) << "a folder that is not there: home";

    // The export of a new snake, and saving it, start there too; once saved, beside the file.
    dateiSchreiben(pfad("konfig/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"" + pfad("Papiere").toUtf8() + "\"\n");
    stammdaten("Kaa");
    ausloesen(f.NeueSchlange1);
    DialogTest::naechsterDateiname(std::nullopt);
    f.Button2->click();
    EXPECT_EQ(f.SaveDialog2.verzeichnis, pfad("Papiere"));
    DialogTest::naechsterDateiname(pfad("Dokumente/kaa.vix"));
    ausloesen(f.SpeichernUnter1);
    EXPECT_EQ(f.SaveDialog1.verzeichnis, pfad("Dokumente"));
    EXPECT_EQ(ladenOrdner(), pfad("Dokumente"));

    for (const auto &[name, wert] :
         {std::pair{"XDG_CONFIG_HOME", konfigVorher}, {"XDG_DOCUMENTS_DIR", dokumenteVorher}})
        wert.isEmpty() ? qunsetenv(name) : qputenv(name, wert);
}

TEST_F(BefehleTest, NeuMitJaOhneDateinamenFragtNachDemNamen)
{
    TVivarix &f = starten();
    stammdaten("Kaa");
    ausloesen(f.NeueSchlange1);
    DialogTest::naechsteAntwort(mbJa);
    DialogTest::naechsterDateiname(pfad("neu")); // the extension is added
    ausloesen(f.Neu1);
    EXPECT_EQ(QFileInfo(pfad("neu.vix")).size(), qint64(TSchlange::Groesse));
    EXPECT_EQ(f.TabControl1->count(), 0);
    EXPECT_TRUE(f.Dateiname.isEmpty());
    EXPECT_EQ(f.SaveDialog1.vorschlag, "neu.vix") << "the dialog proposes the last name chosen";
    EXPECT_EQ(f.SaveDialog1.verzeichnis, QFileInfo(ordner.path()).absoluteFilePath()) << "and opens in its folder";

    // "Ja" and then cancelling the save dialog keeps the unsaved snake: nothing is lost.
    stammdaten("Nagini");
    ausloesen(f.NeueSchlange1);
    DialogTest::naechsteAntwort(mbJa);
    DialogTest::naechsterDateiname(std::nullopt);
    ausloesen(f.Neu1);
    EXPECT_EQ(f.TabControl1->count(), 1);
    EXPECT_TRUE(f.Geaendert);
    DialogTest::naechsteAntwort(mbJa);
    DialogTest::naechsterDateiname(std::nullopt);
    EXPECT_FALSE(f.close()) << "and so does closing";
    EXPECT_EQ(f.Schlangen.size(), 1u);
}

TEST_F(BefehleTest, GescheiterteSicherungVorNeuOderSchliessenLaesstAllesStehen)
{
    for (const bool schliessen : {false, true}) {
        SCOPED_TRACE(schliessen ? "closing" : "Neu");
        TVivarix &f = mitSchlangen({schlange("Kaa"), schlange("Nagini")});
        fuettern(f, "Maus");
        f.Dateiname = pfad("gibtsnicht/ordner/x.vix");
        DialogTest::naechsteAntwort(mbJa);
        if (schliessen)
            EXPECT_FALSE(f.close());
        else
            ausloesen(f.Neu1);
        EXPECT_EQ(gesagt().last(), "Bericht|Datei nicht gefunden.\n\"" + pfad("gibtsnicht/ordner/x.vix") +
                                       "\"\nDer Ordner existiert nicht mehr.");
        EXPECT_EQ(f.TabControl1->count(), 2);
        EXPECT_TRUE(f.Geaendert);
        EXPECT_EQ(f.Schlangen[0].futter(0), "Maus");
    }
}

TEST_F(BefehleTest, LadenSchlaegtNurEineVorhandeneDateiVor)
{
    TVivarix &f = mitSchlangen({schlange("A")});
    // What the real open dialog proposes in its name field.
    auto vorschlag = [&] {
        DialogTest::nieBlockieren(false);
        QString name = QStringLiteral("(kein Dialog)");
        QTimer::singleShot(0, [&] {
            auto *dlg = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            if (auto *feld = dlg->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                name = feld->text();
            dlg->reject();
        });
        ausloesen(f.Laden1);
        DialogTest::nieBlockieren(true);
        return name;
    };
    EXPECT_EQ(vorschlag(), "start.vix");
    QFile::remove(pfad("start.vix"));
    EXPECT_EQ(vorschlag(), "") << "the file is gone";
    ausloesen(f.Neu1);
    EXPECT_EQ(vorschlag(), "") << "no data file";
}

TEST_F(BefehleTest, LadenFragtVorherWieNeu)
{
    datei("zwei.vix", {schlange("X"), schlange("Y")});
    TVivarix &f = mitSchlangen({schlange("A"), schlange("B"), schlange("C"), schlange("D"), schlange("E")});
    const QByteArray start = dateiLesen(pfad("start.vix"));
    fuettern(f, "Maus");

    DialogTest::naechsteAntwort(mbAbbrechen); // no file name prepared: the open dialog must not come
    ausloesen(f.Laden1);
    EXPECT_EQ(gesagt(), QStringList{"Warnung|Vorher noch speichern?"});
    EXPECT_EQ(f.TabControl1->count(), 5);
    EXPECT_TRUE(f.Geaendert);

    DialogTest::naechsteAntwort(mbNein);
    DialogTest::naechsterDateiname(pfad("zwei.vix"));
    ausloesen(f.Laden1);
    EXPECT_EQ(gesagt(), QStringList{"Warnung|Vorher noch speichern?"});
    EXPECT_EQ(f.Schlangen.size(), 2u);
    EXPECT_EQ(f.TabControl1->tabText(1), "Y");
    EXPECT_EQ(f.Dateiname, pfad("zwei.vix"));
    EXPECT_FALSE(f.Geaendert);
    EXPECT_EQ(dateiLesen(pfad("start.vix")), start) << "Nein writes nothing";

    // "Ja" saves to the current file without a dialog, then the open dialog comes.
    fuettern(f, "Ratte");
    DialogTest::naechsteAntwort(mbJa);
    DialogTest::naechsterDateiname(pfad("start.vix"));
    ausloesen(f.Laden1);
    EXPECT_EQ(gesagt(), QStringList{"Warnung|Vorher noch speichern?"});
    EXPECT_EQ(f.Schlangen.size(), 5u);
    EXPECT_EQ(f.Dateiname, pfad("start.vix"));
    TSchlangen zurueck;
    Datendatei::laden(pfad("zwei.vix"), zurueck);
    EXPECT_EQ(zurueck.at(0).futter(0), "Ratte");

    // Nothing unsaved: no question; the dialog opens in the data file's folder.
    DialogTest::naechsterDateiname(std::nullopt);
    ausloesen(f.Laden1);
    EXPECT_TRUE(gesagt().isEmpty());
    EXPECT_EQ(f.OpenDialog1.verzeichnis, ordner.path());
    EXPECT_EQ(f.Schlangen.size(), 5u);
}

TEST_F(BefehleTest, SpeichernUnterFragtVorDemErsetzen)
{
    const QString frage =
        QStringLiteral("Warnung|Die Datei alt.vix existiert bereits.\nSoll sie überschrieben werden?");
    datei("alt.vix", {schlange("1"), schlange("2"), schlange("3")});
    const QByteArray alt = dateiLesen(pfad("alt.vix"));
    TVivarix &f = mitSchlangen({schlange("A"), schlange("B")});

    // "Speichern" to the current file asks nothing.
    fuettern(f, "Ratte");
    ausloesen(f.Speichern1);
    EXPECT_TRUE(gesagt().isEmpty());
    EXPECT_FALSE(f.Geaendert);

    // "Nein" goes back to the dialog; cancelling it there keeps the file.
    fuettern(f, "Maus");
    DialogTest::naechsterDateiname(pfad("alt")); // the extension is added, then the file exists
    DialogTest::naechsteAntwort(mbNein);
    DialogTest::naechsterDateiname(std::nullopt);
    ausloesen(f.SpeichernUnter1);
    EXPECT_EQ(gesagt(), QStringList{frage});
    EXPECT_EQ(dateiLesen(pfad("alt.vix")), alt);
    EXPECT_EQ(f.Dateiname, pfad("start.vix"));
    EXPECT_TRUE(f.Geaendert);

    // "Nein", then another name: saved there, without a question for a new file.
    DialogTest::naechsterDateiname(pfad("alt.vix"));
    DialogTest::naechsteAntwort(mbNein);
    DialogTest::naechsterDateiname(pfad("anders.vix"));
    ausloesen(f.SpeichernUnter1);
    EXPECT_EQ(gesagt(), QStringList{frage});
    EXPECT_EQ(QFileInfo(pfad("anders.vix")).size(), qint64(2 * TSchlange::Groesse));
    EXPECT_EQ(f.Dateiname, pfad("anders.vix"));

    // "Ja" replaces the longer file completely.
    DialogTest::naechsterDateiname(pfad("alt.vix"));
    DialogTest::naechsteAntwort(mbJa);
    ausloesen(f.SpeichernUnter1);
    EXPECT_EQ(QFileInfo(pfad("alt.vix")).size(), qint64(2 * TSchlange::Groesse));
    EXPECT_EQ(f.Dateiname, pfad("alt.vix"));
    EXPECT_EQ(f.SaveDialog1.vorschlag, "alt.vix");

    // The slip from the field: "Neu", one new snake, "Ja", the proposed name of an
    // existing collection. "Nein" to replacing it and cancelling keeps both.
    datei("mysnakes.vix", {schlange("1"), schlange("2"), schlange("3")});
    const QByteArray sammlung = dateiLesen(pfad("mysnakes.vix"));
    ausloesen(f.Neu1);
    stammdaten("Neu");
    ausloesen(f.NeueSchlange1);
    DialogTest::naechsteAntwort(mbJa);
    DialogTest::naechsterDateiname(pfad("mysnakes.vix"));
    DialogTest::naechsteAntwort(mbNein);
    DialogTest::naechsterDateiname(std::nullopt);
    ausloesen(f.Neu1);
    EXPECT_EQ(dateiLesen(pfad("mysnakes.vix")), sammlung);
    EXPECT_EQ(f.Schlangen.size(), 1u) << "the unsaved snake stays";
    EXPECT_TRUE(f.Geaendert);
}

TEST_F(BefehleTest, GescheitertesSpeichernLaesstFensterUndDateiStehen)
{
    const TSchlangen start{bunt(1), bunt(2)};
    TVivarix &f = mitSchlangen(start);
    const QByteArray alt = dateiLesen(pfad("start.vix"));
    fuettern(f, "Maus");
    const TSchlangen geaendert = f.Schlangen;
    const QStringList karte = angezeigt(f);
    ASSERT_TRUE(QDir(ordner.path()).mkdir("ordner"));

    struct Fall {
        const char *wie;
        QAction *befehl;
        QString ziel; // the name given to "Speichern unter..."; empty: "Speichern" to the current file
        rlim_t grenze;
        QString meldung;
    };
    const Fall faelle[] = {
        {"file-size limit, Speichern", f.Speichern1, {}, 60000, "Bericht|Zu wenig Speicherplatz."},
        {"file-size limit, tool button", f.ToolButton3, {}, 60000, "Bericht|Zu wenig Speicherplatz."},
        {"file-size limit, Speichern unter", f.SpeichernUnter1, pfad("neu.vix"), 60000,
         "Bericht|Zu wenig Speicherplatz."},
        {"a folder as name", f.SpeichernUnter1, pfad("ordner"), RLIM_INFINITY,
         "Bericht|Ungültiger Dateiname.\n\"" + pfad("ordner") + "\" ist ein Ordner."},
        {"missing folder", f.SpeichernUnter1, pfad("fehlt/neu.vix"), RLIM_INFINITY,
         "Bericht|Datei nicht gefunden.\n\"" + pfad("fehlt/neu.vix") + "\"\nDer Ordner existiert nicht mehr."},
    };
    for (const Fall &fall : faelle) {
        SCOPED_TRACE(fall.wie);
        if (!fall.ziel.isEmpty())
            DialogTest::naechsterDateiname(fall.ziel);
        {
            Dateigrenze grenze(fall.grenze);
            ausloesen(fall.befehl);
        }
        EXPECT_EQ(gesagt(), QStringList{fall.meldung});
        EXPECT_TRUE(f.Geaendert);
        EXPECT_EQ(f.Dateiname, pfad("start.vix"));
        EXPECT_TRUE(f.Schlangen == geaendert);
        EXPECT_EQ(angezeigt(f), karte);
        EXPECT_EQ(dateiLesen(pfad("start.vix")), alt) << "the old file stays whole";
        EXPECT_FALSE(QFileInfo::exists(pfad("neu.vix")));
        EXPECT_TRUE(f.Speichern1->isEnabled());
    }

    // The folder of the current file is gone (a stick pulled out).
    DialogTest::naechsterDateiname(pfad("ordner/a.vix"));
    ausloesen(f.SpeichernUnter1);
    ASSERT_EQ(f.Dateiname, pfad("ordner/a.vix"));
    fuettern(f, "Ratte");
    ASSERT_TRUE(QDir(pfad("ordner")).removeRecursively());
    gesagt();
    ausloesen(f.Speichern1);
    EXPECT_EQ(gesagt(), QStringList{"Bericht|Datei nicht gefunden.\n\"" + pfad("ordner/a.vix") +
                                    "\"\nDer Ordner existiert nicht mehr."});
    EXPECT_TRUE(f.Geaendert);
    EXPECT_EQ(f.Dateiname, pfad("ordner/a.vix"));
    EXPECT_EQ(f.Schlangen[0].futter(0), "Ratte");
}

TEST_F(BefehleTest, SpeichernAufAndereUndVolleDateisysteme)
{
    const TSchlangen start{bunt(1), bunt(2)};
    TVivarix &f = mitSchlangen(start);

    // Another file system than the tests' own: the file is replaced there, not beside the start folder.
    struct stat hier {
    }, dort{};
    const QString shm = QStringLiteral("/dev/shm/vivarix-%1.vix").arg(QCoreApplication::applicationPid());
    if (::stat("/dev/shm", &dort) == 0 && ::stat(QFile::encodeName(ordner.path()).constData(), &hier) == 0 &&
        hier.st_dev != dort.st_dev) {
        fuettern(f, "Maus");
        DialogTest::naechsterDateiname(shm);
        ausloesen(f.SpeichernUnter1);
        EXPECT_TRUE(gesagt().isEmpty());
        EXPECT_EQ(f.Dateiname, shm);
        EXPECT_FALSE(f.Geaendert);
        EXPECT_EQ(dateiLesen(shm), bytesVon(f.Schlangen));
        fuettern(f, "Ratte");
        ausloesen(f.Speichern1);
        EXPECT_FALSE(f.Geaendert);
        EXPECT_EQ(dateiLesen(shm), bytesVon(f.Schlangen));
        EXPECT_EQ(f.Schlangen[0].futter(0), "Ratte");
        QFile::remove(shm);
    }

    // A file system with room for the collection once, not for a second copy beside it.
    ASSERT_TRUE(QDir(ordner.path()).mkdir("klein"));
    KleinesDateisystem klein(pfad("klein"));
    if (!klein.da)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    DialogTest::naechsterDateiname(pfad("klein/a.vix"));
    ausloesen(f.SpeichernUnter1);
    ASSERT_TRUE(gesagt().isEmpty());
    const QByteArray alt = dateiLesen(pfad("klein/a.vix"));
    EXPECT_EQ(alt, bytesVon(f.Schlangen));
    for (QAction *befehl : {f.Speichern1, f.SpeichernUnter1}) {
        fuettern(f, "Küken");
        const TSchlangen geaendert = f.Schlangen;
        if (befehl == f.SpeichernUnter1)
            DialogTest::naechsterDateiname(pfad("klein/b.vix"));
        ausloesen(befehl);
        EXPECT_EQ(gesagt(), QStringList{"Bericht|Zu wenig Speicherplatz."}) << befehl->objectName().toStdString();
        EXPECT_TRUE(f.Geaendert);
        EXPECT_EQ(f.Dateiname, pfad("klein/a.vix"));
        EXPECT_TRUE(f.Schlangen == geaendert);
        EXPECT_EQ(dateiLesen(pfad("klein/a.vix")), alt);
        EXPECT_FALSE(QFileInfo::exists(pfad("klein/b.vix")));
    }
}

TEST_F(BefehleTest, ZweiFensterAufEinerDateiUeberschreibenNichtsUngefragt)
{
    const QString frage = QStringLiteral("Warnung|Die Datei wurde seit dem Laden von einem anderen Programm geändert.");
    datei("start.vix", {schlange("Kaa"), schlange("Nagini")});
    optionen({"autoload=1", "file=" + pfad("start.vix"), "futter=Maus|Ratte"});
    // One window as the program starts (its collection read ahead), a second
    // one of the program on the same file.
    TVivarix &b = starten(false, true);
    gesagt();
    TVivarix a;
    einrichten(a);
    ASSERT_TRUE(Bewacht(&a, [&] { a.FormActivate(); }));
    ASSERT_EQ(a.Dateiname, pfad("start.vix"));
    ASSERT_EQ(b.Dateiname, pfad("start.vix"));

    // A saves first: nothing to ask.
    fuettern(a, "Maus");
    ausloesen(a.Speichern1);
    EXPECT_TRUE(gesagt().isEmpty());
    const QByteArray vonA = bytesVon(a.Schlangen);
    ASSERT_EQ(dateiLesen(pfad("start.vix")), vonA);

    // B's save would drop A's entry. "Abbrechen" keeps A's file and B's change,
    // also when B is closed.
    fuettern(b, "Ratte");
    DialogTest::naechsteAntwort(mbAbbrechen);
    ausloesen(b.Speichern1);
    EXPECT_EQ(gesagt(), QStringList{frage});
    DialogTest::naechsteAntwort(mbJa);
    DialogTest::naechsteAntwort(mbAbbrechen);
    EXPECT_FALSE(b.close());
    EXPECT_EQ(gesagt(), (QStringList{"Warnung|Vorher noch speichern?", frage}));
    EXPECT_EQ(dateiLesen(pfad("start.vix")), vonA);
    EXPECT_TRUE(b.Geaendert);

    // "Speichern unter..." puts B's collection under another name.
    DialogTest::naechsteAntwort(mbSpeichernUnter);
    DialogTest::naechsterDateiname(pfad("b.vix"));
    ausloesen(b.Speichern1);
    EXPECT_EQ(gesagt(), QStringList{frage});
    EXPECT_EQ(b.Dateiname, pfad("b.vix"));
    EXPECT_EQ(dateiLesen(pfad("b.vix")), bytesVon(b.Schlangen));
    EXPECT_EQ(dateiLesen(pfad("start.vix")), vonA);
    EXPECT_FALSE(b.Geaendert);

    // A's own save is the file A remembers: no question on the next one. A
    // file merely touched (same bytes, new times) asks nothing either.
    fuettern(a, "Küken");
    ausloesen(a.Speichern1);
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(pfad("start.vix")).constData(), nullptr, 0), 0);
    fuettern(a, "Heimchen");
    ausloesen(a.Speichern1);
    EXPECT_TRUE(gesagt().isEmpty());

    // A sync tool rewrites the file in place at once, same size: the bytes
    // tell. "Überschreiben" replaces it, and the new file is the one remembered.
    QByteArray fremd = dateiLesen(pfad("start.vix"));
    fremd[1] = 'x';
    {
        QFile f(pfad("start.vix"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_EQ(f.write(fremd), fremd.size());
    }
    fuettern(a, "Grille");
    DialogTest::naechsteAntwort(mbUeberschreiben);
    ausloesen(a.Speichern1);
    EXPECT_EQ(gesagt(), QStringList{frage});
    EXPECT_EQ(DialogTest::vorgabe(), mbAbbrechen) << "Enter must not overwrite the other program's file";
    EXPECT_EQ(dateiLesen(pfad("start.vix")), bytesVon(a.Schlangen));
    EXPECT_FALSE(a.Geaendert);
    fuettern(a, "Maus");
    ausloesen(a.Speichern1);
    EXPECT_TRUE(gesagt().isEmpty());

    // Times set back to what they were, by a tool that copies them, with
    // other bytes of the same size: asked as well.
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(pfad("b.vix")).constData(), &st), 0);
    const timespec zeiten[2] = {st.st_atim, st.st_mtim};
    dateiSchreiben(pfad("b.vix"), fremd);
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(pfad("b.vix")).constData(), zeiten, 0), 0);
    fuettern(b, "Ratte");
    DialogTest::naechsteAntwort(mbAbbrechen);
    ausloesen(b.Speichern1);
    EXPECT_EQ(gesagt(), QStringList{frage});
    EXPECT_EQ(dateiLesen(pfad("b.vix")), fremd);

    // A file another program removed holds nobody's work: saved without a question.
    ASSERT_TRUE(QFile::remove(pfad("b.vix")));
    ausloesen(b.Speichern1);
    EXPECT_TRUE(gesagt().isEmpty());
    EXPECT_EQ(dateiLesen(pfad("b.vix")), bytesVon(b.Schlangen));
}

TEST_F(BefehleTest, EinUnterbrochenesSpeichernWirdBeimLadenGemeldet)
{
    // A file with a second name is rewritten in place. A save killed midway
    // (the disk filled, and then the program was killed while putting the
    // old bytes back) leaves a damaged file and the copy of the old one.
    const TSchlangen alt{schlange("Kaa", 3), schlange("Nagini", 2)};
    datei("d.vix", alt);
    const QByteArray altBytes = dateiLesen(pfad("d.vix"));
    ASSERT_EQ(::link(QFile::encodeName(pfad("d.vix")).constData(), QFile::encodeName(pfad("d2.vix")).constData()), 0);
    class Abbruch : public Systemaufrufe {
    public:
        ssize_t pwrite(int fd, const void *q, size_t n, off_t p) override
        {
            ++schreiben;
            if (schreiben == 3) // the rewrite: half of it, then the disk is full
                return Systemaufrufe::pwrite(fd, q, n / 2, p);
            if (schreiben == 4) {
                errno = ENOSPC;
                return -1;
            }
            if (schreiben == 5)
                ::raise(SIGKILL);
            return Systemaufrufe::pwrite(fd, q, n, p);
        }
        int schreiben = 0;
    };
    EXPECT_EQ(imKind([&] {
                  Abbruch abbruch;
                  Systemaufrufe::setzen(&abbruch);
                  Datendatei::speichern(pfad("d.vix"), TSchlangen{schlange("Neu", 5)});
                  return 0;
              }),
              255);
    ASSERT_NE(dateiLesen(pfad("d.vix")), altBytes);

    // Loading it (by its other name) says so, and where the whole copy is.
    optionen({"autoload=0"});
    TVivarix &f = starten();
    gesagt();
    DialogTest::naechsterDateiname(pfad("d2.vix"));
    ausloesen(f.Laden1);
    const QString kopie = Ersetzen::sicherungsOrdner() + QStringLiteral("/d2 vor dem Speichern 1.vix");
    EXPECT_EQ(gesagt().value(0), QStringLiteral("Warnung|Das letzte Speichern der Datei d2.vix wurde unterbrochen; "
                                                "die Datei kann unvollständig sein.\nEine vollständige Kopie des "
                                                "Stands davor liegt in %1.")
                                     .arg(kopie));
    EXPECT_EQ(dateiLesen(kopie), altBytes);
    // Told once: the copy keeps its name, the next load says nothing.
    DialogTest::naechsterDateiname(pfad("d.vix"));
    ausloesen(f.Laden1);
    EXPECT_TRUE(gesagt().isEmpty());
    EXPECT_EQ(dateiLesen(kopie), altBytes);
}

// ---------------------------------------------------------------------------
// Journal entries

TEST_F(BefehleTest, HinzufuegenOben)
{
    TVivarix &f = mitSchlangen({schlange("Leer"), schlange("Drei", 3)});
    fuettern(f, "Maus");
    EXPECT_EQ(f.StringGrid1->RowCount(), 2) << "the placeholder row is filled";
    EXPECT_EQ(f.Schlangen[0].futterAnzahl(), 1);
    EXPECT_EQ(f.Schlangen[0].futterDatum(0), "07.12.26");
    EXPECT_EQ(f.futter1->currentText(), "") << "the input is emptied";
    EXPECT_EQ(f.datum1->text(), "07.12.26") << "the date label keeps its date";

    f.Upd(1);
    f.Geaendert = false;
    fuettern(f, "");
    EXPECT_FALSE(f.Geaendert) << "an empty input changes nothing";
    fuettern(f, "  ");
    EXPECT_EQ(f.StringGrid1->RowCount(), 5);
    EXPECT_EQ(spalte(f.StringGrid1, 1), (QStringList{"  ", "Maus 0", "Maus 1", "Maus 2"}));
    EXPECT_EQ(f.Schlangen[1].futterAnzahl(), 4);

    // Remarks work the same way, with an earlier date still going on top.
    f.datum2->setText("01.01.20");
    f.futter2->setText("Häutung");
    f.ok2->click();
    EXPECT_EQ(f.Schlangen[1].bemerkDatum(0), "01.01.20");
    EXPECT_EQ(f.Schlangen[1].bemerkung(0), "Häutung");
    EXPECT_EQ(f.futter2->text(), "");

    // Switching tabs and back shows the entry: it was stored when added.
    reiterKlicken(f, 0);
    reiterKlicken(f, 1);
    EXPECT_EQ(f.StringGrid1->Cells(1, 1), "  ");
}

TEST_F(BefehleTest, ZweihundertEintraegeUndKeinerMehrAuchAusFremderHand)
{
    TVivarix &f = mitSchlangen({schlange("Voll", 199)});
    fuettern(f, "Nummer 200");
    EXPECT_EQ(f.Schlangen[0].futterAnzahl(), 200);
    EXPECT_EQ(f.Schlangen[0].futterDatum(200), "") << "the end mark in the last slot";
    const TSchlange vorher = f.Schlangen[0];
    f.Geaendert = false;
    fuettern(f, "Nummer 201");
    EXPECT_EQ(gesagt().size(), 1);
    EXPECT_TRUE(gesagt().isEmpty());
    EXPECT_TRUE(f.Schlangen[0] == vorher);
    EXPECT_EQ(f.StringGrid1->RowCount(), 201);
    EXPECT_EQ(f.futter1->currentText(), "Nummer 201") << "the refused text stays in the input";
    EXPECT_FALSE(f.Geaendert);

    // Written by another program: all 201 slots used, no end mark.
    TVivarix &g = mitSchlangen({schlange("Fremd", 201, 1)});
    EXPECT_EQ(g.StringGrid1->RowCount(), 202);
    EXPECT_EQ(g.StringGrid1->Cells(1, 201), "Maus 200");
    g.futter2->setText("Häutung");
    g.ok2->click(); // an edit of the same snake stores the whole window
    fuettern(g, "Eine zu viel");
    EXPECT_EQ(gesagt().size(), 1) << "only the addition is refused";
    EXPECT_EQ(g.StringGrid1->RowCount(), 202);
    ausloesen(g.Speichern1);

    const QByteArray b = dateiLesen(pfad("start.vix"));
    ASSERT_EQ(b.size(), qsizetype(TSchlange::Groesse));
    const QByteArray datum200 = QDate(2026, 1, 1).addDays(200).toString("dd.MM.yy").toLatin1();
    EXPECT_EQ(b.mid(212 + 9 * 200, 9), "\x08" + datum200) << "the last slot keeps its entry";
    EXPECT_EQ(b.mid(3830 + 101 * 200, 9), QByteArray("\x08Maus 200"));
    EXPECT_EQ(b.mid(3830 + 101 * 199, 9), QByteArray("\x08Maus 199"));
    EXPECT_EQ(b.mid(24131, 8), QByteArray("\x07H\xe4utung"));
    EXPECT_EQ(b.at(2021 + 9 * 2), 0) << "the remarks still end with their end mark";
}

TEST_F(BefehleTest, EingabenZeigenWasGespeichertWird)
{
    const QString ersetzt =
        QStringLiteral("Zeichen, die die Datendatei nicht speichern kann, wurden durch \"?\" ersetzt.");
    TVivarix &f = starten();
    stammdaten(QStringLiteral("Łukasz 🐍"), QStringLiteral("Python ☃ regius"));
    ausloesen(f.NeueSchlange1);
    EXPECT_EQ(f.name->text(), "?ukasz ?");
    EXPECT_EQ(f.TabControl1->tabText(0), "?ukasz ?");
    EXPECT_EQ(f.gattung->text(), "Python ? regius");
    EXPECT_EQ(f.Schlangen[0].name(), "?ukasz ?");
    EXPECT_EQ(f.statusBar()->currentMessage(), ersetzt);

    f.statusBar()->clearMessage();
    fuettern(f, QStringLiteral("Grüße, Küken €"));
    EXPECT_EQ(f.StringGrid1->Cells(1, 1), "Grüße, Küken €") << "what Windows-1252 holds stays";
    EXPECT_EQ(f.statusBar()->currentMessage(), "");

    fuettern(f, QStringLiteral("Maus 🐭"));
    EXPECT_EQ(f.StringGrid1->Cells(1, 1), "Maus ?");
    EXPECT_EQ(f.Schlangen[0].futter(0), "Maus ?");
    EXPECT_EQ(f.statusBar()->currentMessage(), ersetzt);

    f.futter2->setText(QStringLiteral("Häutung ✓"));
    f.ok2->click();
    DialogTest::naechsterDialog([](QWidget *w) {
        auto *dlg = static_cast<TFutterEdit *>(w);
        dlg->futter1->setText(QStringLiteral("Häutung ✓✓"));
        dlg->Button2->click();
    });
    imMenue(f.StringGrid2, f.PopupMenu1, f.ndern1);
    EXPECT_EQ(f.StringGrid2->Cells(1, 1), "Häutung ??");
    EXPECT_EQ(f.Schlangen[0].bemerkung(0), "Häutung ??");
}

TEST_F(BefehleTest, DatumWaehlen)
{
    TVivarix &f = mitSchlangen({schlange("Kaa")});
    datumWaehlen(QDate(2026, 11, 3));
    QTest::mouseClick(f.datum1, Qt::LeftButton);
    EXPECT_EQ(f.datum1->text(), "03.11.26");
    EXPECT_FALSE(f.Geaendert) << "choosing a date stores nothing";
    abbrechen();
    QTest::mouseClick(f.datum1, Qt::LeftButton);
    EXPECT_EQ(f.datum1->text(), "03.11.26");

    DialogTest::naechsterDialog([](QWidget *w) {
        auto *dlg = static_cast<TDatum *>(w);
        EXPECT_EQ(dlg->MonthCalendar1->selectedDate(), QDate(2026, 12, 7)) << "opens on the label's date";
        EXPECT_EQ(dlg->MonthCalendar1->maximumDate(), QDate(2026, 12, 7)) << "no day after today";
        dlg->MonthCalendar1->setSelectedDate(QDate(2026, 12, 24));
        EXPECT_EQ(dlg->MonthCalendar1->selectedDate(), QDate(2026, 12, 7));
        dlg->MonthCalendar1->setSelectedDate(QDate(1999, 2, 28));
        dlg->Button2->click();
    });
    QTest::mouseClick(f.datum2, Qt::LeftButton);
    EXPECT_EQ(f.datum2->text(), "28.02.99");
    EXPECT_EQ(f.datum1->text(), "03.11.26") << "each label keeps its own date";
}

TEST_F(BefehleTest, PopupMenueUndZielgitter)
{
    TVivarix &f = mitSchlangen({schlange("Vier", 4, 1)});
    const bool hatFokus = fokus(f, f.StringGrid1);
    ASSERT_TRUE(hatFokus || QApplication::focusWidget() == nullptr);
    if (!hatFokus)
        GTEST_SKIP() << "no keyboard focus on this platform";
    f.StringGrid1->setRow(1);
    menueOeffnen(f.StringGrid1, f.PopupMenu1);
    EXPECT_FALSE(f.NachOben1->isEnabled());
    EXPECT_TRUE(f.NachUnten1->isEnabled());
    f.StringGrid1->setRow(4);
    menueOeffnen(f.StringGrid1, f.PopupMenu1);
    EXPECT_TRUE(f.NachOben1->isEnabled());
    EXPECT_FALSE(f.NachUnten1->isEnabled());

    // The remarks grid: one entry, no moves.
    menueOeffnen(f.StringGrid2, f.PopupMenu1);
    EXPECT_FALSE(f.NachOben1->isEnabled());
    EXPECT_FALSE(f.NachUnten1->isEnabled());
    EXPECT_TRUE(f.ndern1->isEnabled());
    EXPECT_TRUE(f.Lschen1->isEnabled());

    // A right click gives the grid the focus and selects the row it hits.
    f.StringGrid2->setRow(1);
    f.StringGrid1->setRow(2);
    f.futter2->setFocus();
    const QRect zeile4 = f.StringGrid1->visualRect(f.StringGrid1->model()->index(3, 0));
    QTest::mousePress(f.StringGrid1->viewport(), Qt::RightButton, {}, zeile4.center());
    EXPECT_TRUE(f.StringGrid1->hasFocus());
    EXPECT_EQ(f.StringGrid1->Row(), 4);
    QTest::mouseRelease(f.StringGrid1->viewport(), Qt::RightButton, {}, zeile4.center());
}

TEST_F(BefehleTest, RechtsklickWirktAufDieGetroffeneZeileUndUnterDenZeilenAufKeine)
{
    TVivarix &f = mitSchlangen({schlange("Vier", 4, 2)});
    f.show();
    QApplication::setActiveWindow(&f);
    QWidget *flaeche = f.StringGrid1->viewport();
    const auto zeile = [&](int r) { return f.StringGrid1->visualRect(f.StringGrid1->model()->index(r, 0)).center(); };
    const QPoint unten(20, f.StringGrid1->visualRect(f.StringGrid1->model()->index(3, 0)).bottom() + 12);
    if (unten.y() >= flaeche->height())
        GTEST_SKIP() << "the grid has no room below its rows";
    f.StringGrid1->setRow(1);
    f.StringGrid2->setFocus(); // the menu acts on the grid clicked, not on the one with the focus
    // A right click as the platform delivers it: the press, then the menu request.
    // In the menu, down to "Löschen" and Enter. Gives which of "Ändern...",
    // "Löschen", "Nach oben", "Nach unten" the menu offered.
    QAction *aktiv = nullptr;
    bool fokus = false;
    auto rechtsklick = [&](const QPoint &wo) {
        QApplication::setActiveWindow(&f); // back from the previous menu
        QTest::mousePress(flaeche, Qt::RightButton, {}, wo);
        fokus = f.StringGrid1->hasFocus();
        QList<bool> an;
        QTimer::singleShot(0, [&] {
            aktiv = f.PopupMenu1->activeAction();
            for (QAction *a : {f.ndern1, f.Lschen1, f.NachOben1, f.NachUnten1})
                an << a->isEnabled();
            QTest::keyClick(f.PopupMenu1, Qt::Key_Down);
            QTest::keyClick(f.PopupMenu1, Qt::Key_Down);
            QTest::keyClick(f.PopupMenu1, Qt::Key_Return);
            f.PopupMenu1->close();
        });
        QContextMenuEvent klick(QContextMenuEvent::Mouse, wo, flaeche->mapToGlobal(wo));
        QApplication::sendEvent(flaeche, &klick);
        QTest::mouseRelease(flaeche, Qt::RightButton, {}, wo);
        return an;
    };
    EXPECT_EQ(rechtsklick(zeile(2)), (QList<bool>{true, true, true, true}));
    if (!fokus)
        GTEST_SKIP() << "no keyboard focus on this platform";
    EXPECT_EQ(aktiv, nullptr) << "opened by the mouse, no item is highlighted";
    EXPECT_EQ(spalte(f.StringGrid1, 1), (QStringList{"Maus 0", "Maus 1", "Maus 3"}));
    EXPECT_EQ(f.Schlangen[0].futterAnzahl(), 3);
    EXPECT_EQ(f.Schlangen[0].bemerkAnzahl(), 2) << "the other grid is untouched";
    EXPECT_TRUE(gesagt().isEmpty());

    // Below the rows: nothing is chosen, the menu offers nothing.
    f.Geaendert = false;
    QTest::mouseClick(flaeche, Qt::LeftButton, {}, unten);
    EXPECT_EQ(rechtsklick(unten), (QList<bool>{false, false, false, false}));
    EXPECT_FALSE(f.StringGrid1->zeileGewaehlt());
    EXPECT_EQ(f.Schlangen[0].futterAnzahl(), 3);
    EXPECT_FALSE(f.Geaendert);

    // A right click on a row acts on that row again.
    EXPECT_EQ(rechtsklick(zeile(1)), (QList<bool>{true, true, true, true}));
    EXPECT_EQ(spalte(f.StringGrid1, 1), (QStringList{"Maus 0", "Maus 3"}));
}

TEST_F(BefehleTest, LoeschenUndVerschieben)
{
    TVivarix &f = mitSchlangen({schlange("Vier", 4)});
    if (!fokus(f, f.StringGrid1))
        GTEST_SKIP() << "no keyboard focus on this platform";

    f.StringGrid1->setRow(3);
    imMenue(f.StringGrid1, f.PopupMenu1, f.NachOben1);
    EXPECT_EQ(spalte(f.StringGrid1, 1), (QStringList{"Maus 0", "Maus 2", "Maus 1", "Maus 3"}));
    EXPECT_EQ(f.StringGrid1->Row(), 2);
    imMenue(f.StringGrid1, f.PopupMenu1, f.NachUnten1);
    EXPECT_EQ(spalte(f.StringGrid1, 1), (QStringList{"Maus 0", "Maus 1", "Maus 2", "Maus 3"}));
    EXPECT_EQ(f.StringGrid1->Row(), 3);
    EXPECT_EQ(f.Schlangen[0].futter(2), "Maus 2");

    f.StringGrid1->setRow(4);
    imMenue(f.StringGrid1, f.PopupMenu1, f.Lschen1); // the last of four
    EXPECT_EQ(spalte(f.StringGrid1, 1), (QStringList{"Maus 0", "Maus 1", "Maus 2"}));
    EXPECT_EQ(f.StringGrid1->Row(), 3);
    f.StringGrid1->setRow(2);
    imMenue(f.StringGrid1, f.PopupMenu1, f.Lschen1); // the second of three
    EXPECT_EQ(spalte(f.StringGrid1, 1), (QStringList{"Maus 0", "Maus 2"}));
    EXPECT_EQ(f.StringGrid1->Row(), 2);
    EXPECT_EQ(f.Schlangen[0].futterAnzahl(), 2);
    imMenue(f.StringGrid1, f.PopupMenu1, f.Lschen1);
    imMenue(f.StringGrid1, f.PopupMenu1, f.Lschen1);
    EXPECT_EQ(f.StringGrid1->RowCount(), 2);
    EXPECT_EQ(f.StringGrid1->Cells(0, 1), "");
    EXPECT_EQ(f.Schlangen[0].futterAnzahl(), 0);
    EXPECT_EQ(f.Schlangen[0].futterDatum(0), "");
    imMenue(f.StringGrid1, f.PopupMenu1, f.Lschen1); // deleting in an empty journal keeps it empty
    EXPECT_EQ(f.StringGrid1->RowCount(), 2);
    EXPECT_EQ(f.Schlangen[0].futterAnzahl(), 0);
}

TEST_F(BefehleTest, AendernUndAbbrechen)
{
    TVivarix &f = mitSchlangen({schlange("Zwei", 0, 2)});
    f.StringGrid2->setRow(2);
    DialogTest::naechsterDialog([](QWidget *w) {
        auto *dlg = static_cast<TFutterEdit *>(w);
        EXPECT_EQ(dlg->datum1->text(), "02.01.25");
        EXPECT_EQ(dlg->futter1->text(), "Häutung 1");
        dlg->futter1->setText("Häutung, vollständig");
        dlg->Button2->click();
    });
    imMenue(f.StringGrid2, f.PopupMenu1, f.ndern1);
    EXPECT_EQ(f.Schlangen[0].bemerkung(1), "Häutung, vollständig");

    f.Geaendert = false;
    abbrechen();
    imMenue(f.StringGrid2, f.PopupMenu1, f.ndern1);
    EXPECT_EQ(f.Schlangen[0].bemerkung(1), "Häutung, vollständig");
    EXPECT_TRUE(f.Geaendert) << "cancelling still counts as a change";

    // The placeholder row of an empty journal has nothing to change: no half entry.
    if (fokus(f, f.StringGrid1)) {
        menueOeffnen(f.StringGrid1, f.PopupMenu1);
        EXPECT_FALSE(f.ndern1->isEnabled());
        f.ndern1->trigger(); // no dialog prepared: it must not open one
        EXPECT_EQ(f.Schlangen[0].futterAnzahl(), 0);
    }
}

TEST_F(BefehleTest, AendernLaesstEinAltesDatumUndKorrigiertEinUnlesbares)
{
    TSchlange s = schlange("Alt");
    s.setBemerkDatum(0, "1.1.1960"); // written in full by another program, before the calendar's years
    s.setBemerkung(0, "Schlupf");
    s.setBemerkDatum(1, "31.02.26");
    s.setBemerkung(1, "Häutung");
    TVivarix &f = mitSchlangen({s});
    const QByteArray vorher(reinterpret_cast<const char *>(f.Schlangen[0].data()), TSchlange::Groesse);
    // "OK" in both dialogs with nothing touched: the date stays as written.
    const auto aendern = [&](int zeile, const std::function<void(QDialog *)> &imDatum) {
        f.StringGrid2->setRow(zeile);
        DialogTest::naechsterDialog([&](QWidget *w) {
            auto *datum1 = w->findChild<QWidget *>("datum1");
            DialogTest::naechsterDialog([&](QWidget *d) { imDatum(static_cast<QDialog *>(d)); });
            QTest::mouseClick(datum1, Qt::LeftButton);
            EXPECT_FALSE(DialogTest::holeDialogHandler()) << "the date dialog opened";
            w->findChild<QPushButton *>("Button2")->click();
        });
        imMenue(f.StringGrid2, f.PopupMenu1, f.ndern1);
    };
    aendern(1, [](QDialog *d) {
        EXPECT_EQ(d->findChild<QLineEdit *>("Edit1")->text(), "1.1.1960");
        EXPECT_EQ(d->findChild<QLabel *>("Label1")->text(), "Freitag, 1. Januar 1960");
        QTest::keyClick(d->focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(f.Schlangen[0].data()), TSchlange::Groesse), vorher);

    // A date that is none opens the dialog with the text to be corrected.
    aendern(2, [](QDialog *d) {
        auto *edit = d->findChild<QLineEdit *>("Edit1");
        EXPECT_EQ(edit->text(), "31.02.26");
        EXPECT_EQ(d->findChild<QLabel *>("Label1")->text(), "ungültig");
        EXPECT_FALSE(d->findChild<QPushButton *>("Button2")->isEnabled());
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, "28.2.26");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(f.Schlangen[0].bemerkDatum(1), "28.02.26");
    EXPECT_EQ(f.Schlangen[0].bemerkDatum(0), "1.1.1960");
    EXPECT_TRUE(gesagt().isEmpty());
}

TEST_F(BefehleTest, EnterFuegtImRichtigenJournalHinzu)
{
    TVivarix &f = mitSchlangen({schlange("Kaa")});
    if (!fokus(f, f.futter1))
        GTEST_SKIP() << "no keyboard focus on this platform";
    QTest::keyClicks(f.futter1->lineEdit(), "Maus");
    QTest::keyClick(f.futter1->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(f.Schlangen[0].futter(0), "Maus");
    EXPECT_EQ(f.futter1->count(), 2) << "Enter adds no item to the food list";
    // Typed in part: the one Enter takes the completion and adds the entry.
    QTest::keyClicks(f.futter1->lineEdit(), "Ra");
    QTest::keyClick(f.futter1->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(f.Schlangen[0].futterAnzahl(), 2) << "one Enter adds the entry";
    EXPECT_EQ(f.Schlangen[0].futter(0), "Ratte");
    EXPECT_EQ(f.futter1->currentText(), "");

    f.futter2->setFocus();
    QTest::keyClicks(f.futter2, "Haeutung");
    QTest::keyClick(f.futter2, Qt::Key_Return);
    EXPECT_EQ(f.Schlangen[0].bemerkung(0), "Haeutung");
    EXPECT_EQ(f.Schlangen[0].futterAnzahl(), 2);
}

TEST_F(BefehleTest, JederJournalbefehlAendertNurSeinenEintrag)
{
    const TSchlangen start{bunt(1, 4, 3), bunt(2, 2, 2)};
    TVivarix &f = mitSchlangen(start);
    if (!fokus(f, f.StringGrid1))
        GTEST_SKIP() << "no keyboard focus on this platform";
    // The card and the journals as the user expects them after each command.
    const QStringList alles = gespeichert(start[0]);
    const QStringList karte = alles.mid(0, 8);
    QStringList fz = alles.filter(QRegularExpression("^F ")), bm = alles.filter(QRegularExpression("^B "));
    const auto pruefe = [&](const char *befehl) {
        SCOPED_TRACE(befehl);
        EXPECT_EQ(gespeichert(f.Schlangen[0]), karte + fz + bm);
        EXPECT_EQ(angezeigt(f), karte + fz + bm);
        EXPECT_EQ(f.Schlangen[0].futter(int(fz.size())), "") << "the end mark has an empty text too";
        EXPECT_EQ(f.Schlangen[0].bemerkung(int(bm.size())), "");
        EXPECT_TRUE(f.Schlangen[1] == start[1]) << "the other snake is untouched";
        EXPECT_TRUE(f.Geaendert);
        EXPECT_TRUE(gesagt().isEmpty());
        f.Geaendert = false;
    };
    const auto popup = [&](TStringGrid *g, int zeile, QAction *a) {
        QApplication::setActiveWindow(&f); // a dialog was active in between
        g->setFocus();
        ASSERT_TRUE(g->hasFocus());
        g->setRow(zeile);
        imMenue(g, f.PopupMenu1, a);
    };

    datumWaehlen(QDate(2026, 12, 1));
    QTest::mouseClick(f.datum1, Qt::LeftButton);
    fuettern(f, "Maus");
    fz.prepend("F 01.12.26|Maus");
    pruefe("ok1");
    f.futter2->setText("Häutung neu");
    f.ok2->click();
    bm.prepend("B 07.12.26|Häutung neu");
    pruefe("ok2");
    popup(f.StringGrid1, 3, f.NachOben1);
    fz.swapItemsAt(1, 2);
    pruefe("Nach Oben");
    EXPECT_EQ(f.StringGrid1->Row(), 2);
    popup(f.StringGrid1, 1, f.NachUnten1);
    fz.swapItemsAt(0, 1);
    pruefe("Nach Unten");
    EXPECT_EQ(f.StringGrid1->Row(), 2);
    DialogTest::naechsterDialog([](QWidget *w) {
        auto *dlg = static_cast<TFutterEdit *>(w);
        EXPECT_EQ(dlg->datum1->text(), "28.02.26") << "the row's own date";
        EXPECT_EQ(dlg->futter1->text(), "Ratte 1.0");
        dlg->datum1->setText("02.02.26");
        dlg->futter1->setText("Küken");
        dlg->Button2->click();
    });
    popup(f.StringGrid1, 3, f.ndern1);
    fz[2] = "F 02.02.26|Küken";
    pruefe("Ändern");
    popup(f.StringGrid1, 5, f.Lschen1);
    fz.removeLast();
    pruefe("Löschen, last row");
    EXPECT_EQ(f.StringGrid1->Row(), 4);
    popup(f.StringGrid2, 1, f.Lschen1);
    bm.removeFirst();
    pruefe("Löschen in the remarks");
    popup(f.StringGrid2, 3, f.NachOben1);
    bm.swapItemsAt(1, 2);
    pruefe("Nach Oben in the remarks");

    // Switching away and back shows what was stored.
    reiterKlicken(f, 1);
    EXPECT_EQ(angezeigt(f), gespeichert(start[1]));
    reiterKlicken(f, 0);
    EXPECT_EQ(angezeigt(f), karte + fz + bm);
}

// ---------------------------------------------------------------------------
// Master data

TEST_F(BefehleTest, ErsteNeueSchlangeSchaltetAllesFrei)
{
    TVivarix &f = starten();
    gesagt();
    f.datum1->setText("01.12.26");
    stammdaten("Kaa");
    ausloesen(f.NeueSchlange1);
    ASSERT_EQ(f.Schlangen.size(), 1u);
    EXPECT_EQ(gespeichert(f.Schlangen[0]), (QStringList{"Kaa", "Kaa", "", "", "unbekannt", "", "7", ""}));
    EXPECT_EQ(f.TabControl1->count(), 1);
    EXPECT_EQ(f.TabControl1->currentIndex(), 0);
    EXPECT_TRUE(f.Geaendert);
    EXPECT_TRUE(f.ok1->isEnabled());
    EXPECT_TRUE(f.Button1->isEnabled());
    EXPECT_TRUE(f.Speichern1->isEnabled());
    EXPECT_TRUE(f.Schlangelschen1->isEnabled());
    EXPECT_EQ(f.datum1->text(), "01.12.26") << "the date labels keep their dates";
    EXPECT_TRUE(gesagt().isEmpty());

    abbrechen();
    ausloesen(f.NeueSchlange1);
    EXPECT_EQ(f.Schlangen.size(), 1u);
}

TEST_F(BefehleTest, StammdatenAendern)
{
    TSchlange w = schlange("Kaa");
    w.setGeschlecht("weiblich");
    TSchlange x = schlange("Nagini");
    x.setGeschlecht("Weibchen");
    TVivarix &f = mitSchlangen({w, x});
    DialogTest::naechsterDialog([](QWidget *d) {
        auto *dlg = static_cast<TDateneingabe *>(d);
        EXPECT_EQ(dlg->ComboBox2->currentText(), "weiblich");
        EXPECT_EQ(dlg->Edit1->text(), "Kaa");
        EXPECT_EQ(dlg->ComboBox1->currentText(), "7");
        dlg->Edit1->setText("Kaa II");
        dlg->Edit2->setText(QString(60, u'G'));
        dlg->Button2->click();
    });
    f.Button1->click();
    EXPECT_EQ(f.TabControl1->tabText(0), "Kaa II");
    // The field holds only what the record keeps, so the card never shows more than is stored.
    EXPECT_EQ(f.gattung->text(), QString(50, u'G'));
    EXPECT_EQ(f.Schlangen[0].gattung(), QString(50, u'G'));
    reiterKlicken(f, 1);
    reiterKlicken(f, 0);
    EXPECT_EQ(f.gattung->text(), QString(50, u'G'));

    f.Upd(1);
    DialogTest::naechsterDialog([](QWidget *d) {
        auto *dlg = static_cast<TDateneingabe *>(d);
        EXPECT_EQ(dlg->ComboBox2->currentText(), "unbekannt") << "a sex not in the list";
        dlg->Button3->click();
    });
    f.Geaendert = false;
    f.Button1->click();
    EXPECT_FALSE(f.Geaendert);
    EXPECT_EQ(f.Schlangen[1].geschlecht(), "Weibchen");
}

TEST_F(BefehleTest, StammdatenVorschlaegeUndJedesFeld)
{
    const TSchlangen start{bunt(1), bunt(2)};
    TVivarix &f = mitSchlangen(start);
    f.Upd(1);
    // The dialog's fields in the order of the card: name, genus, colour, sex, hatch month, interval, picture.
    const auto felder = [](QWidget *d) {
        auto *dlg = static_cast<TDateneingabe *>(d);
        return QStringList{dlg->Edit1->text(), dlg->Edit2->text(),
                           dlg->Edit5->text(), dlg->ComboBox2->currentText(),
                           dlg->Edit3->text(), dlg->ComboBox1->currentText(),
                           dlg->Edit4->text()};
    };
    const auto ausfuellen = [](QWidget *d, const QStringList &w) {
        auto *dlg = static_cast<TDateneingabe *>(d);
        dlg->Edit1->clear();
        QTest::keyClicks(dlg->Edit1, w[0]); // typed: the field takes at most 30 characters
        dlg->Edit2->setText(w[1]);
        dlg->Edit5->setText(w[2]);
        dlg->ComboBox2->setCurrentIndex(dlg->ComboBox2->findText(w[3]));
        dlg->Edit3->setText(w[4]);
        dlg->ComboBox1->setEditText(w[5]);
        dlg->Edit4->setText(w[6]);
        dlg->Button2->click();
    };

    // "Ändern..." proposes the card; OK with nothing typed changes no byte.
    DialogTest::naechsterDialog([&](QWidget *d) {
        EXPECT_EQ(felder(d), gespeichert(start[1]).mid(1, 7));
        static_cast<TDateneingabe *>(d)->Button2->click();
    });
    f.Button1->click();
    EXPECT_TRUE(f.Schlangen[1] == start[1]);
    EXPECT_TRUE(f.Geaendert);
    EXPECT_EQ(angezeigt(f), gespeichert(start[1]));
    EXPECT_EQ(f.Image1->pixmap().size(), QSize(5, 4)) << "its own picture";

    // Every field changed: each lands in its own place, the journals stay.
    const QStringList neu{QString(30, u'N') + u'x', "Python regius", "Pastel", "unbekannt", "12/2020", "21",
                          start[0].bild()};
    DialogTest::naechsterDialog([&](QWidget *d) { ausfuellen(d, neu); });
    f.Button1->click();
    TSchlange erwartet = start[1];
    erwartet.setName(QString(30, u'N'));
    erwartet.setGattung(neu[1]);
    erwartet.setFarbe(neu[2]);
    erwartet.setGeschlecht(neu[3]);
    erwartet.setSchlupf(neu[4]);
    erwartet.setTage(21);
    erwartet.setBild(neu[6]);
    EXPECT_TRUE(f.Schlangen[1] == erwartet);
    EXPECT_EQ(angezeigt(f), gespeichert(erwartet));
    EXPECT_EQ(f.Image1->pixmap().size(), QSize(4, 4));
    EXPECT_TRUE(f.Schlangen[0] == start[0]);

    // "Neue Schlange" proposes an empty card, "unbekannt" and 7 days; only the name typed.
    DialogTest::naechsterDialog([&](QWidget *d) {
        EXPECT_EQ(felder(d), (QStringList{"", "", "", "unbekannt", "", "7", ""}));
        ausfuellen(d, {"Nagini", "", "", "unbekannt", "", "7", ""});
    });
    ausloesen(f.NeueSchlange1);
    const QStringList nagini{"Nagini", "Nagini", "", "", "unbekannt", "", "7", ""};
    ASSERT_EQ(f.Schlangen.size(), 3u);
    EXPECT_TRUE(f.Schlangen[1] == erwartet) << "the snake that was on show keeps its card";
    EXPECT_EQ(f.TabControl1->currentIndex(), 2) << "the new one comes last";
    EXPECT_EQ(f.StringGrid1->RowCount(), 2) << "its empty journal";
    EXPECT_EQ(gespeichert(f.Schlangen[2]), nagini);
    EXPECT_EQ(angezeigt(f), nagini);
    EXPECT_EQ(f.Image1->pixmap().size(), Bild::standardBild().size());

    // ... and with every field its own value, from the tool bar.
    const QStringList monty{"Monty", "Python", "Albino", "weiblich", "04/2021", "9", start[1].bild()};
    DialogTest::naechsterDialog([&](QWidget *d) { ausfuellen(d, monty); });
    ausloesen(f.ToolButton5);
    ASSERT_EQ(f.Schlangen.size(), 4u);
    EXPECT_EQ(gespeichert(f.Schlangen[3]), QStringList{"Monty"} + monty);
    EXPECT_EQ(angezeigt(f), QStringList{"Monty"} + monty);
    EXPECT_EQ(f.TabControl1->currentIndex(), 3);
    EXPECT_EQ(f.Image1->pixmap().size(), QSize(5, 4));
    EXPECT_TRUE(f.Schlangen[0] == start[0]);
    EXPECT_EQ(gespeichert(f.Schlangen[2]), nagini);
    EXPECT_TRUE(gesagt().isEmpty());
}

TEST_F(BefehleTest, SchlangeEntfernen)
{
    TVivarix &f = mitSchlangen({schlange("A"), schlange("B"), schlange("C")});
    f.Upd(1);
    DialogTest::naechsteAntwort(mbAbbrechen);
    ausloesen(f.Schlangelschen1);
    EXPECT_EQ(gesagt(), QStringList{"Warnung|\"B\" wirklich löschen?"});
    EXPECT_EQ(f.Schlangen.size(), 3u);
    EXPECT_FALSE(f.Geaendert);

    DialogTest::naechsteAntwort(mbJa);
    ausloesen(f.Schlangelschen1);
    ASSERT_EQ(f.Schlangen.size(), 2u);
    EXPECT_EQ(f.Schlangen[1].name(), "C");
    EXPECT_EQ(f.TabControl1->tabText(0), "A");
    EXPECT_EQ(f.TabControl1->tabText(1), "C");
    EXPECT_EQ(f.TabControl1->currentIndex(), 0);
    EXPECT_EQ(f.name->text(), "A");
    EXPECT_TRUE(f.Geaendert);

    TVivarix &g = mitSchlangen({schlange("Einzige")});
    fuettern(g, "Maus");
    DialogTest::naechsteAntwort(mbJa);
    ausloesen(g.Schlangelschen1);
    EXPECT_TRUE(g.Schlangen.empty());
    EXPECT_EQ(g.TabControl1->count(), 0);
    // Unlike "Neu", it keeps its file and its history, so it can be undone.
    EXPECT_TRUE(g.Geaendert);
    EXPECT_EQ(g.Dateiname, pfad("start.vix"));
    EXPECT_FALSE(g.Speichern1->isEnabled());

    // Deleting the last of three shows the first, whole.
    const TSchlangen drei{bunt(1), bunt(2), bunt(3)};
    TVivarix &h = mitSchlangen(drei);
    h.Upd(2);
    DialogTest::naechsteAntwort(mbJa);
    ausloesen(h.Schlangelschen1);
    EXPECT_TRUE(h.Schlangen == TSchlangen(drei.begin(), drei.begin() + 2));
    EXPECT_EQ(h.TabControl1->currentIndex(), 0);
    EXPECT_EQ(angezeigt(h), gespeichert(drei[0]));
}

// ---------------------------------------------------------------------------
// The typical road, end to end on the real window

TEST_F(BefehleTest, TypischerWeg)
{
    optionen({"[Options]", "autoload=0", "file=", "remember=0", "maximize=0", "futter=Maus|Ratte"});
    TVivarix &f = starten(true);
    stammdaten("Monty", "Python", {}, "14");
    ausloesen(f.NeueSchlange1);
    const QDate tage[] = {QDate(2026, 11, 2), QDate(2026, 11, 16), QDate(2026, 11, 30)};
    const char *futter[] = {"Maus", "Ratte", "Küken"};
    for (int i = 0; i < 3; ++i) {
        datumWaehlen(tage[i]);
        QTest::mouseClick(f.datum1, Qt::LeftButton);
        f.futter1->setEditText(QString::fromUtf8(futter[i]));
        QTest::mouseClick(f.ok1, Qt::LeftButton);
    }
    f.futter2->setText("Häutung");
    QTest::mouseClick(f.ok2, Qt::LeftButton);
    DialogTest::naechsterDateiname(pfad("mysnakes.vix"));
    ausloesen(f.Speichern1);
    EXPECT_FALSE(f.Geaendert);
    ausloesen(f.Neu1);
    EXPECT_EQ(f.TabControl1->count(), 0);
    DialogTest::naechsterDateiname(pfad("mysnakes.vix"));
    ausloesen(f.Laden1);
    EXPECT_TRUE(gesagt().isEmpty());
    ASSERT_EQ(f.TabControl1->count(), 1);
    EXPECT_EQ(f.name->text(), "Monty");
    EXPECT_EQ(f.tage->text(), "14");
    EXPECT_EQ(spalte(f.StringGrid1, 1), (QStringList{"Küken", "Ratte", "Maus"}));
    EXPECT_EQ(spalte(f.StringGrid1, 0), (QStringList{"30.11.26", "16.11.26", "02.11.26"}));

    // The file's bytes, field by field.
    const QByteArray b = dateiLesen(pfad("mysnakes.vix"));
    ASSERT_EQ(b.size(), qsizetype(TSchlange::Groesse));
    EXPECT_EQ(b.mid(0, 6), QByteArray("\x05Monty"));
    EXPECT_EQ(b.mid(31, 7), QByteArray("\x06Python"));
    EXPECT_EQ(b.mid(133, 10), QByteArray("\x09unbekannt"));
    EXPECT_EQ(b.mid(208, 4), QByteArray("\x0e\x00\x00\x00", 4));
    EXPECT_EQ(b.mid(212, 9), "\x08" + QByteArray("30.11.26"));
    EXPECT_EQ(b.mid(212 + 9, 9), "\x08" + QByteArray("16.11.26"));
    EXPECT_EQ(b.at(212 + 27), 0) << "the end mark";
    EXPECT_EQ(b.mid(3830, 6), QByteArray("\x05K\xfcken"));
    EXPECT_EQ(b.mid(2021, 9), "\x08" + QByteArray("07.12.26"));
    EXPECT_EQ(b.mid(24131, 8), QByteArray("\x07H\xe4utung"));
    EXPECT_EQ(b.at(206), 0);
    EXPECT_EQ(b.at(207), 0);
}

TEST_F(BefehleTest, FruehereFassungOeffnenHoltDenStandVorDemSpeichernUnbenanntZurueck)
{
    const TSchlangen alt{schlange("Kaa", 3), schlange("Nagini", 2), schlange("Monty", 1)};
    TVivarix &f = geladen("d.vix", alt);
    const QByteArray altBytes = dateiLesen(pfad("d.vix"));
    // A slip, saved: a feeding for the wrong snake.
    f.futter1->setEditText(QStringLiteral("Maus"));
    QTest::mouseClick(f.ok1, Qt::LeftButton);
    ausloesen(f.Speichern1);
    const QByteArray gespeichert = dateiLesen(pfad("d.vix"));
    ASSERT_NE(gespeichert, altBytes);

    bool gezeigt = false;
    DialogTest::naechsterDialog([&](QWidget *dlg) {
        gezeigt = true;
        EXPECT_EQ(dlg->objectName(), QStringLiteral("FruehereFassung"));
        auto *liste = dlg->findChild<QTreeWidget *>(QStringLiteral("liste"));
        auto *oeffnen = dlg->findChild<QPushButton *>(QStringLiteral("oeffnen"));
        ASSERT_TRUE(liste && oeffnen);
        EXPECT_FALSE(liste->accessibleName().isEmpty());
        ASSERT_EQ(liste->topLevelItemCount(), 1);
        EXPECT_EQ(liste->topLevelItem(0)->text(1), QStringLiteral("3"));
        QTest::mouseClick(oeffnen, Qt::LeftButton);
    });
    ausloesen(f.findChild<QAction *>(QStringLiteral("FruehereFassung1")));
    EXPECT_TRUE(gezeigt);
    EXPECT_TRUE(gesagt().isEmpty());
    EXPECT_EQ(bytesVon(f.Schlangen), altBytes);
    EXPECT_EQ(f.findChild<QLabel *>(QStringLiteral("dateiFeld"))->text(), QStringLiteral("Neue Sammlung *"));
    EXPECT_EQ(dateiLesen(pfad("d.vix")), gespeichert) << "the file itself stays as saved";
}
