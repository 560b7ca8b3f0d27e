// The main window's commands under faults of the disk and of the files they
// meet: a full disk or a file-size limit while writing, a settings file that
// is a folder, binary or one huge line, a data file that is a folder, a pipe
// or larger than the memory. Whatever happens, nothing the keeper has is lost.
#include "Fenster.h"
#include "Hilfen.h"

#include "app/Start.h"
#include "data/Datendatei.h"
#include "data/Systemaufrufe.h"
#include "settings/ui/TOptionen.h"
#include "toolkit/TStringGrid.h"
#include "toolkit/TTabControl.h"
#include "toolkit/TWertLabel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include <cerrno>
#include <optional>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString NichtGefunden = QStringLiteral("Fehler|Optionsdatei \"options.ini\" nicht gefunden");

QStringList eintraege(const QString &ordner)
{
    QStringList l = QDir(ordner).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    l.sort();
    return l;
}

// Every write fails with `nr`, as on a full disk (ENOSPC) or past a size limit (EFBIG).
class Schreibfehler : public Systemaufrufe {
public:
    explicit Schreibfehler(int nr) : nr_(nr) {}
    ssize_t pwrite(int, const void *, size_t, off_t) override
    {
        errno = nr_;
        return -1;
    }

private:
    int nr_;
};

// A fault in place for one scope: the seam above, or a real file-size limit on this process.
class Fehlerlage {
public:
    enum Art { Voll, ZuGross, Groessengrenze };
    explicit Fehlerlage(Art art) : art_(art), sys_(art == Voll ? ENOSPC : EFBIG)
    {
        if (art_ == Groessengrenze) {
            Start::prozessEinrichten(); // as the program does: the limit fails the write instead of ending us
            grenze_.emplace(4096);
        } else {
            Systemaufrufe::setzen(&sys_);
        }
    }
    ~Fehlerlage()
    {
        if (art_ != Groessengrenze)
            Systemaufrufe::setzen(nullptr);
    }
    bool ok() const { return !grenze_ || grenze_->ok; }

private:
    Art art_;
    Schreibfehler sys_;
    std::optional<Dateigrenze> grenze_;
};

class FensterFehlerTest : public FensterTest {};

} // namespace

// ---------------------------------------------------------------------------
// Writing: Speichern, Exportieren and the options dialog's OK

TEST_F(FensterFehlerTest, VollePlatteOderGroessengrenzeLassenAllesStehen)
{
    // Every file the commands would write is larger than the 4096 bytes the
    // size limit allows: two records, an export of 150 feedings and 150
    // remarks, settings with 600 foods.
    QStringList viele;
    for (int i = 0; i < 600; ++i)
        viele << QStringLiteral("Futter %1").arg(i);
    datei("d.vix", {schlange("Kaa", 150, 150), schlange("Nagini", 3)});
    optionen(
        {"[Options]", "autoload=1", "file=" + pfad("d.vix"), "remember=0", "maximize=0", "futter=" + viele.join(u'|')});
    dateiSchreiben(pfad("Kaa.txt"), "alte Ausgabe\r\n");
    TVivarix &f = starten();
    ASSERT_TRUE(gesagt().isEmpty());
    f.futter1->setEditText(QStringLiteral("Ratte"));
    f.ok1->click();
    f.futter1->setEditText(QStringLiteral("Grille")); // typed, not yet added
    ASSERT_TRUE(f.Geaendert);

    const QByteArray daten = dateiLesen(pfad("d.vix")), ausgabe = dateiLesen(pfad("Kaa.txt")),
                     einstellungen = dateiLesen(pfad("options.ini"));
    const QStringList dateien = eintraege(ordner.path());
    const TSchlangen sammlung = f.Schlangen;

    const QString bericht = QStringLiteral("Bericht|Zu wenig Speicherplatz.");
    struct Befehl {
        const char *name;
        std::function<void()> ausfuehren;
        QStringList gesagt;
    };
    bool dialogOffen = false;
    const Befehl befehle[] = {
        {"Speichern", [&] { ausloesen(f.Speichern1); }, {bericht}},
        {"Exportieren",
         [&] {
             ASSERT_TRUE(f.Button2->isEnabled());
             DialogTest::naechsterDateiname(pfad("Kaa.txt"));
             DialogTest::naechsteAntwort(mbJa); // replace the old export
             f.Button2->click();
         },
         {"Warnung|Die Datei Kaa.txt existiert bereits.\nSoll sie überschrieben werden?", bericht}},
        {"Optionen OK",
         [&] {
             dialogOffen = false;
             DialogTest::naechsterDialog([&](QWidget *w) {
                 auto *d = static_cast<TOptionen *>(w);
                 d->CheckBox3->click();
                 d->futter1->setText(QStringLiteral("Heimchen"));
                 d->ok1->click();
                 d->Button2->click();
                 // Still open with what the keeper set, so it can be saved once there is room.
                 dialogOffen = d->isVisible() && d->CheckBox3->isChecked() &&
                               d->StringGrid1->item(0)->text() == u"Heimchen" && d->StringGrid1->count() == 601;
                 d->Button3->click();
             });
             ausloesen(f.Optionen1);
         },
         {bericht}},
    };
    const struct {
        const char *name;
        Fehlerlage::Art art;
    } lagen[] = {
        {"disk full", Fehlerlage::Voll}, {"EFBIG", Fehlerlage::ZuGross}, {"RLIMIT_FSIZE", Fehlerlage::Groessengrenze}};

    for (const auto &lage : lagen)
        for (const Befehl &b : befehle) {
            SCOPED_TRACE(std::string(lage.name) + ", " + b.name);
            {
                Fehlerlage fehler(lage.art);
                ASSERT_TRUE(fehler.ok());
                b.ausfuehren();
            }
            EXPECT_EQ(gesagt(), b.gesagt);
            if (std::string(b.name) == "Optionen OK") {
                EXPECT_TRUE(dialogOffen);
            }
            // Every file as it was, nothing left beside them.
            EXPECT_EQ(dateiLesen(pfad("d.vix")), daten);
            EXPECT_EQ(dateiLesen(pfad("Kaa.txt")), ausgabe);
            EXPECT_EQ(dateiLesen(pfad("options.ini")), einstellungen);
            EXPECT_EQ(eintraege(ordner.path()), dateien);
            // The window keeps the unsaved collection, its mark and what was typed.
            EXPECT_TRUE(f.Schlangen == sammlung);
            EXPECT_TRUE(f.Geaendert);
            EXPECT_EQ(f.Dateiname, pfad("d.vix"));
            EXPECT_EQ(f.dateiFeld->text(), "d.vix *");
            EXPECT_EQ(f.TabControl1->count(), 2);
            EXPECT_EQ(f.StringGrid1->Cells(1, 1), "Ratte");
            EXPECT_EQ(futterAuswahl(f), viele);
            EXPECT_EQ(f.futter1->currentText(), "Grille");
        }

    // With room again, the same commands write.
    ausloesen(f.Speichern1);
    EXPECT_TRUE(gesagt().isEmpty());
    EXPECT_FALSE(f.Geaendert);
    TSchlangen zurueck;
    Datendatei::laden(pfad("d.vix"), zurueck);
    EXPECT_TRUE(zurueck == sammlung);
}

// ---------------------------------------------------------------------------
// A settings file that is no settings file

TEST_F(FensterFehlerTest, OptionsdateiAlsOrdnerBinaerOderMitRiesigerZeile)
{
    datei("d.vix", {schlange("Kaa"), schlange("Nagini")});
    const QByteArray gut = "autoload=1\r\nfile=" + pfad("d.vix").toUtf8() + "\r\nfutter=Maus|Ratte\r\n";
    QByteArray binaer;
    for (int i = 0; i < 65536; ++i)
        binaer.append(char((i * 7919 + i / 256) & 0xFF));
    const QByteArray riesig(5 << 20, 'x'); // one line of 5 MiB, far past the 1 MiB the reader takes

    enum Datei { Ordner, Rohr, Daten };
    const struct Fall {
        const char *name;
        Datei art;
        QByteArray inhalt;
        QString meldung;    // what the start and the dialog say on reading it; empty: nothing
        int schlangen;      // the collection loaded at start
        QStringList futter; // the food list of the window and of the options dialog
    } faelle[] = {
        {"folder", Ordner, {}, NichtGefunden, 0, {}},
        {"pipe", Rohr, {}, NichtGefunden, 0, {}},
        // Binary bytes are text in Windows-1252: the whole lines before them still count.
        {"binary after the settings", Daten, gut + binaer, {}, 2, {"Maus", "Ratte"}},
        {"binary only", Daten, binaer, {}, 0, {}},
        // The lines before the huge one count; it and what follows lie beyond
        // the limit, and the keeper is told the file was not read whole.
        {"huge line after the settings",
         Daten,
         gut + "futter=" + riesig + "\r\nfutter=Heimchen\r\n",
         OptionenZuGross,
         2,
         {"Maus", "Ratte"}},
        {"huge first line", Daten, "futter=" + riesig + "\r\n" + gut, OptionenZuGross, 0, {}},
        {"huge line without end", Daten, gut + riesig, OptionenZuGross, 2, {"Maus", "Ratte"}},
    };
    for (const Fall &fall : faelle) {
        SCOPED_TRACE(fall.name);
        QFile::remove(pfad("options.ini"));
        QDir(pfad("options.ini")).removeRecursively();
        if (fall.art == Ordner)
            ASSERT_TRUE(QDir().mkdir(pfad("options.ini")));
        else if (fall.art == Rohr)
            ASSERT_EQ(::mkfifo(QFile::encodeName(pfad("options.ini")).constData(), 0600), 0);
        else
            dateiSchreiben(pfad("options.ini"), fall.inhalt);

        const QStringList gemeldet = fall.meldung.isEmpty() ? QStringList{} : QStringList{fall.meldung};
        if (!fall.meldung.isEmpty())
            DialogTest::naechsteAntwort(mbOK);
        TVivarix &f = starten();
        EXPECT_EQ(gesagt(), gemeldet);
        EXPECT_EQ(int(f.Schlangen.size()), fall.schlangen);
        EXPECT_EQ(f.TabControl1->count(), fall.schlangen);
        EXPECT_EQ(f.Dateiname, fall.schlangen ? pfad("d.vix") : QString());
        EXPECT_EQ(futterAuswahl(f), fall.futter);

        // The options dialog reads the same; cancelled, it leaves the file alone.
        QStringList imDialog;
        DialogTest::naechsterDialog([&](QWidget *w) {
            auto *d = static_cast<TOptionen *>(w);
            imDialog = d->futterZeilen();
            d->Button3->click();
        });
        // A missing file is told again as the window reads the file as it is
        // now; one too large only by the dialog.
        const QStringList nochmal = fall.meldung == NichtGefunden ? gemeldet : QStringList{};
        for (int i = 0; i < int(gemeldet.size() + nochmal.size()); ++i)
            DialogTest::naechsteAntwort(mbOK);
        ausloesen(f.Optionen1);
        EXPECT_EQ(gesagt(), gemeldet + nochmal);
        EXPECT_EQ(imDialog, fall.futter.isEmpty() ? QStringList{QString()} : fall.futter);
        EXPECT_EQ(futterAuswahl(f), fall.futter);
        if (fall.art == Daten) {
            EXPECT_EQ(dateiLesen(pfad("options.ini")), fall.inhalt);
        }
        w->Geaendert = false;
        w.reset();
    }
}

// ---------------------------------------------------------------------------
// Loading what is no data file, or too much of one

TEST_F(FensterFehlerTest, LadenEinerFehlendenKaputtenOderZuGrossenDateiLaesstDieSammlung)
{
    TVivarix &f = geladen("d.vix", {schlange("Kaa", 2), schlange("Nagini"), schlange("Python")});
    ASSERT_TRUE(gesagt().isEmpty());
    f.futter1->setEditText(QStringLiteral("Ratte"));
    f.ok1->click();
    const TSchlangen sammlung = f.Schlangen;

    // Between the open dialog and the load, the chosen name became a folder or
    // a named pipe nobody writes into, or the file grew past what memory holds
    // (a sparse file: its size costs no disk).
    ASSERT_TRUE(QDir().mkdir(pfad("ordner.vix")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pfad("rohr.vix")).constData(), 0600), 0);
    const std::uint64_t riesig = std::uint64_t(1) << 40; // 1 TiB
    ASSERT_GT(riesig, Datendatei::ladeGrenze());
    const int fd = ::open(QFile::encodeName(pfad("riesig.vix")).constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    const bool gewachsen = ::ftruncate(fd, off_t(riesig)) == 0;
    ::close(fd);
    // A file that is not there, and one without a single whole record.
    dateiSchreiben(pfad("winzig.vix"), QByteArray(100, 'x'));
    const QString zuGross = QStringLiteral("Bericht|Die Datei ist zu groß für den freien Arbeitsspeicher: sie hat "
                                           "1048576 MB, Platz ist für ");
    const struct {
        const char *name;
        QString meldung; // the report, or its beginning
        bool ganz;       // the report is exactly that
    } faelle[] = {
        {"ordner.vix", "Bericht|Ungültiger Dateiname.\n\"" + pfad("ordner.vix") + "\" ist ein Ordner.", true},
        {"rohr.vix", "Bericht|Ungültiger Dateiname.\n\"" + pfad("rohr.vix") + "\" ist keine gewöhnliche Datei.", true},
        {"riesig.vix", zuGross, false},
        {"gibtsnicht.vix", "Bericht|Datei nicht gefunden.\n\"" + pfad("gibtsnicht.vix") + "\"", true},
        {"winzig.vix", "Bericht|Versuch hinter dem Dateiende zu lesen.", true},
    };
    for (const auto &fall : faelle) {
        SCOPED_TRACE(fall.name);
        if (!gewachsen && fall.name == std::string("riesig.vix"))
            continue;
        DialogTest::naechsteAntwort(mbNein); // the unsaved feeding is not saved first
        DialogTest::naechsterDateiname(pfad(fall.name));
        ausloesen(f.Laden1);
        const QStringList g = gesagt();
        ASSERT_EQ(g.size(), 2);
        EXPECT_EQ(g[0], "Warnung|Vorher noch speichern?");
        if (fall.ganz) {
            EXPECT_EQ(g[1], fall.meldung);
        } else {
            EXPECT_TRUE(g[1].startsWith(fall.meldung) && g[1].endsWith(" MB.")) << g[1].toStdString();
        }
        EXPECT_TRUE(f.Schlangen == sammlung);
        EXPECT_EQ(f.TabControl1->count(), 3);
        EXPECT_EQ(f.StringGrid1->Cells(1, 1), "Ratte");
        EXPECT_EQ(f.Dateiname, pfad("d.vix"));
        EXPECT_TRUE(f.Geaendert);
        EXPECT_EQ(f.dateiFeld->text(), "d.vix *");
        EXPECT_TRUE(f.ok1->isEnabled());
    }
    if (!gewachsen)
        GTEST_SKIP() << "the file system here takes no file of 1 TiB";
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(pfad("riesig.vix")).constData(), &st), 0);
    EXPECT_EQ(std::uint64_t(st.st_size), riesig);
    EXPECT_LT(st.st_blocks, 1024) << "the test file took real disk";
}
