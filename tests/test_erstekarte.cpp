// A large collection: a preview of its first snake and first tabs on screen
// before the rest is read; the collection before stays the one the commands
// see, and every command that needs a collection is off, until the whole new
// one is swapped in; a rest that fails, a file changed between the two reads,
// or a load given up brings back what the window showed before.
#include "Fenster.h"
#include "Hilfen.h"

#include "app/TDateneingabe.h"
#include "app/Warteanzeige.h"
#include "data/Datendatei.h"
#include "data/Fehler.h"
#include "data/Systemaufrufe.h"
#include "data/Vorauslesen.h"
#include "toolkit/TKlickLabel.h"
#include "toolkit/TStringGrid.h"
#include "toolkit/TTabControl.h"
#include "toolkit/TWertLabel.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int Anzahl = 200; // more snakes than names are read first, and more than a whole read at once

// Every control and command of the window by name: those that need a
// collection, and those that stay on while one comes in.
const QStringList MitSammlung =
    QStringLiteral("StringGrid1 StringGrid2 datum1 datum2 futter1 futter2 ok1 ok2 Button1 Button2 Button3 "
                   "Speichern1 SpeichernUnter1 ToolButton3 Schlangelschen1 ToolButton6 GeheZu1 NeueSchlange1 "
                   "ToolButton5 FressCheck1 ToolButton9 FressTermine1 ToolButton11 FressParade1 ToolButton12 "
                   "FruehereFassung1")
        .split(' ');
const QStringList BeimLaden =
    QStringLiteral("Neu1 ToolButton1 Laden1 ToolButton2 Beenden1 Optionen1 Hilfe2 ToolButton8 ber1").split(' ');
const QStringList Alle = MitSammlung + BeimLaden;

// The names of those that are on, in that order.
QStringList eingeschaltet(const TVivarix &w)
{
    QStringList an;
    for (const QString &name : Alle) {
        const QAction *a = w.findChild<QAction *>(name);
        const QWidget *c = w.findChild<QWidget *>(name);
        EXPECT_TRUE(a || c) << qPrintable(name);
        if (a ? a->isEnabled() : c && c->isEnabled())
            an << name;
    }
    return an;
}

// The first paints: how many records and tabs the window held, and the card's name.
struct Maler : QObject {
    const TVivarix *fenster = nullptr;
    struct Bild {
        std::size_t schlangen;
        int reiter;
        QString name;
    };
    std::vector<Bild> bilder;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o == fenster && e->type() == QEvent::Paint)
            bilder.push_back({fenster->Schlangen.size(), fenster->TabControl1->count(), fenster->name->text()});
        return false;
    }
};

class ErsteKarteTest : public FensterTest {
protected:
    void SetUp() override
    {
        FensterTest::SetUp();
        for (int i = 0; i < Anzahl; ++i)
            viele.push_back(i < 3 ? bunt(i + 1) : schlange(QStringLiteral("Schlange %1").arg(i), i % 5));
        datei("viele.vix", viele);
    }
    void TearDown() override
    {
        Systemaufrufe::setzen(nullptr);
        FensterTest::TearDown();
    }

    // Starts the window as the program does, shown, with the settings loading
    // viele.vix; the rest is held back once the first card is there.
    TVivarix &angehaltenStarten(bool vorab, const QString &name = QStringLiteral("viele.vix"),
                                const QStringList &mehr = {})
    {
        optionen(QStringList{"autoload=1", "file=" + pfad(name)} + mehr);
        bauen(vorab);
        w->restAnhalten = true;
        maler.fenster = w.get();
        w->installEventFilter(&maler);
        w->show(); // the start-up follows, as in the program
        [&] { QTRY_VERIFY(w->restOffen()); }();
        return *w;
    }

    // Lets the rest come in and waits until it is (or has failed).
    void restFreigeben()
    {
        w->restAnhalten = false;
        QTRY_VERIFY_WITH_TIMEOUT(!w->restOffen(), 10000);
    }

    // A window with a.vix loaded, its second snake on show with a feeding not
    // yet saved, which then loads viele.vix with the rest held back.
    TVivarix &mitAenderungVieleLaden()
    {
        datei("a.vix", {bunt(7), bunt(8), bunt(9)});
        optionen({"autoload=1", "file=" + pfad("a.vix")});
        TVivarix &f = starten();
        f.TabControl1Change(1);
        QTest::keyClicks(f.futter1->lineEdit(), QStringLiteral("Grille"));
        QTest::keyClick(f.futter1->lineEdit(), Qt::Key_Return);
        EXPECT_TRUE(f.Geaendert);
        aGeaendert = f.Schlangen;
        karte = angezeigt(f);
        gesagt();
        f.restAnhalten = true;
        DialogTest::naechsteAntwort(mbNein); // the feeding is not saved first
        DialogTest::naechsterDateiname(pfad("viele.vix"));
        ausloesen(f.Laden1);
        EXPECT_TRUE(f.restOffen());
        EXPECT_TRUE(f.Schlangen == aGeaendert) << "the collection before, whole, until the swap";
        EXPECT_EQ(f.Dateiname, pfad("a.vix"));
        EXPECT_EQ(f.dateiFeld->text(), "viele.vix");
        EXPECT_EQ(gesagt(), QStringList{"Warnung|Vorher noch speichern?"});
        return f;
    }

    // The window shows a.vix as before the load: its snakes with the new
    // feeding, its name, its tab, its changes, and it saves into a.vix.
    void wieVorher(TVivarix &f)
    {
        EXPECT_FALSE(f.restOffen());
        EXPECT_TRUE(f.Schlangen == aGeaendert);
        EXPECT_EQ(f.TabControl1->count(), 3);
        EXPECT_EQ(f.TabControl1->currentIndex(), 1);
        EXPECT_EQ(angezeigt(f), karte);
        EXPECT_EQ(f.Dateiname, pfad("a.vix"));
        EXPECT_TRUE(f.Geaendert);
        EXPECT_EQ(f.dateiFeld->text(), "a.vix *");
        EXPECT_EQ(eingeschaltet(f), Alle);
        ausloesen(f.Speichern1);
        EXPECT_TRUE(gesagt().isEmpty()) << "a.vix is unchanged: no question";
        TSchlangen inA;
        Datendatei::laden(pfad("a.vix"), inA);
        EXPECT_TRUE(inA == aGeaendert);
    }

    TSchlangen viele;
    Maler maler;
    TSchlangen aGeaendert;
    QStringList karte;
};

// From now on, opening or reading the file at `pfad` fails with `nr`; any
// other file (the pictures of the collection shown again) works.
class Versagen : public Systemaufrufe {
public:
    enum Was { Lesen, Oeffnen };
    Versagen(const QString &pfad, Was was, int nr) : pfad_(QFile::encodeName(pfad)), was_(was), nr_(nr) {}
    ssize_t read(int fd, void *ziel, size_t n) override
    {
        if (fd != offen_)
            return Systemaufrufe::read(fd, ziel, n);
        errno = nr_;
        return -1;
    }
    int close(int fd) override
    {
        int war = fd;
        offen_.compare_exchange_strong(war, -2); // its number may go to another file next
        return Systemaufrufe::close(fd);
    }
    int openat(int ordner, const char *name, int flags, mode_t modus) override
    {
        if (pfad_ != name)
            return Systemaufrufe::openat(ordner, name, flags, modus);
        if (was_ == Oeffnen) {
            errno = nr_;
            return -1;
        }
        const int fd = Systemaufrufe::openat(ordner, name, flags, modus);
        offen_ = fd;
        return fd;
    }

private:
    QByteArray pfad_;
    Was was_;
    int nr_;
    std::atomic<int> offen_{-2};
};

} // namespace

TEST_F(ErsteKarteTest, ErsteKarteUndReiterStehenVorDemRest)
{
    for (const bool vorab : {false, true}) {
        SCOPED_TRACE(vorab ? "read ahead" : "window alone");
        maler.bilder.clear();
        TVivarix &f = angehaltenStarten(vorab);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
        QTRY_VERIFY(!maler.bilder.empty());
        // The first paint shows the first snake under all the tabs; the rest
        // is not read, and there is no collection yet, not even a part.
        EXPECT_EQ(maler.bilder.front().schlangen, 0u);
        EXPECT_EQ(maler.bilder.front().reiter, Anzahl);
        EXPECT_EQ(maler.bilder.front().name, viele[0].name());
        EXPECT_TRUE(f.restOffen());
        EXPECT_TRUE(f.Schlangen.empty());
        EXPECT_EQ(angezeigt(f), gespeichert(viele[0]));
        EXPECT_EQ(f.TabControl1->currentIndex(), 0);
        EXPECT_EQ(f.TabControl1->tabText(1), viele[1].name());
        EXPECT_EQ(f.TabControl1->tabText(Vorauslesen::ErsteNamen - 1), viele[Vorauslesen::ErsteNamen - 1].name());
        EXPECT_EQ(f.TabControl1->tabText(Vorauslesen::ErsteNamen), "") << "named once read";
        EXPECT_EQ(f.Dateiname, "") << "the collection's own once it is in";
        EXPECT_EQ(f.dateiFeld->text(), "viele.vix");
        EXPECT_FALSE(f.Geaendert);
        EXPECT_EQ(eingeschaltet(f), BeimLaden);
        EXPECT_TRUE(gesagt().isEmpty());

        QSignalSpy ganz(&f, &TVivarix::sammlungGanz);
        restFreigeben();
        EXPECT_EQ(ganz.size(), 1);
        EXPECT_TRUE(f.Schlangen == viele);
        EXPECT_EQ(f.Dateiname, pfad("viele.vix"));
        EXPECT_EQ(f.TabControl1->tabText(Anzahl - 1), viele[Anzahl - 1].name());
        EXPECT_EQ(angezeigt(f), gespeichert(viele[0]));
        EXPECT_EQ(eingeschaltet(f), Alle);
        EXPECT_FALSE(f.Geaendert);
        EXPECT_TRUE(gesagt().isEmpty());
        ausloesen(f.Speichern1);
        EXPECT_TRUE(gesagt().isEmpty()) << "the file is known as loaded: no question before replacing it";
        w.reset();
    }
}

TEST_F(ErsteKarteTest, LadeMeldungKommtNachEinemHinweisZurueck)
{
    // Large enough for the message: viele.vix with empty records after it.
    const std::uint64_t anzahl = Warteanzeige::AbBytes / TSchlange::Groesse + 1;
    ASSERT_TRUE(QFile::copy(pfad("viele.vix"), pfad("gross.vix")));
    ASSERT_TRUE(QFile::resize(pfad("gross.vix"), qint64(anzahl * TSchlange::Groesse)));
    TVivarix &f = angehaltenStarten(false, QStringLiteral("gross.vix"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    QStatusBar *leiste = f.statusBar();
    const QString lade = QStringLiteral("Lade %1 Schlangen …").arg(QLocale(QLocale::German).toString(anzahl));
    EXPECT_EQ(leiste->currentMessage(), lade);
    const QString hinweis = QStringLiteral("Wie heisst denn die Kleine?");
    const auto zeigt = [&](const QString &text) {
        (void)QTest::qWaitFor([&] { return leiste->currentMessage() == text; }, 2000);
        return leiste->currentMessage();
    };

    // The pointer on the name shows its hint; off it, the load is named again.
    QTest::mouseMove(f.name);
    EXPECT_EQ(zeigt(hinweis), hinweis);
    QTest::mouseMove(leiste, QPoint(4, leiste->height() / 2));
    EXPECT_EQ(zeigt(lade), lade);
    // So after a tool button's hint, which Qt sends as a status tip event.
    QStatusTipEvent neu(QStringLiteral("Neu")), weg{QString()};
    QCoreApplication::sendEvent(f.ToolBar1, &neu);
    EXPECT_EQ(leiste->currentMessage(), QStringLiteral("Neu"));
    QCoreApplication::sendEvent(f.ToolBar1, &weg);
    EXPECT_EQ(leiste->currentMessage(), lade);
    EXPECT_TRUE(f.restOffen());

    // Once the rest is in, the message goes and hints leave the bar empty.
    QTest::mouseMove(f.name);
    EXPECT_EQ(zeigt(hinweis), hinweis);
    restFreigeben();
    EXPECT_EQ(leiste->currentMessage(), hinweis) << "the hint on show stays";
    EXPECT_FALSE(f.fortschrittsBalken->isVisible());
    QCoreApplication::sendEvent(f.ToolBar1, &weg);
    EXPECT_EQ(leiste->currentMessage(), QString());
    w.reset();

    // The message ends with the load, before the feeding check that follows it.
    TVivarix &g = angehaltenStarten(false, QStringLiteral("gross.vix"), {"remember=1"});
    QString waehrendDesChecks = QStringLiteral("kein Fress-Check");
    DialogTest::naechsterDialog([&](QWidget *d) {
        waehrendDesChecks = g.statusBar()->currentMessage();
        static_cast<QDialog *>(d)->reject();
    });
    restFreigeben();
    EXPECT_EQ(waehrendDesChecks, QString());
}

TEST_F(ErsteKarteTest, BisZumTauschSindDieBefehleDerSammlungAus)
{
    TVivarix &f = mitAenderungVieleLaden();
    EXPECT_EQ(eingeschaltet(f), BeimLaden);
    // Their keys do nothing: no window opens, nothing waits.
    for (const QKeySequence &k :
         {QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::Key_F2), QKeySequence(Qt::Key_F3),
          QKeySequence(Qt::Key_F4), QKeySequence(Qt::CTRL | Qt::Key_N), QKeySequence(Qt::CTRL | Qt::Key_D),
          QKeySequence(Qt::CTRL | Qt::Key_G)})
        QTest::keySequence(&f, k);
    EXPECT_TRUE(f.restOffen());
    // A save that ran all the same writes the collection the commands see:
    // the one before, whole, into its own file; never a part of the new one.
    EXPECT_TRUE(f.Speichern1Click());
    TSchlangen inA, inViele;
    Datendatei::laden(pfad("a.vix"), inA);
    Datendatei::laden(pfad("viele.vix"), inViele);
    EXPECT_TRUE(inA == aGeaendert);
    EXPECT_TRUE(inViele == viele);
    // A tab of a snake not yet read is chosen at once; its card follows the swap.
    reiterKlicken(f, 3);
    EXPECT_EQ(angezeigt(f).mid(1, 2), (QStringList{viele[3].name(), "…"}));
    restFreigeben();
    EXPECT_EQ(eingeschaltet(f), Alle);
    EXPECT_TRUE(f.Schlangen == viele);
    EXPECT_EQ(f.TabControl1->currentIndex(), 3);
    EXPECT_EQ(angezeigt(f), gespeichert(viele[3]));
    EXPECT_EQ(f.Dateiname, pfad("viele.vix"));
    EXPECT_FALSE(f.Geaendert);
    EXPECT_TRUE(gesagt().isEmpty());
}

TEST_F(ErsteKarteTest, NeuLadenUndSchliessenBrechenDenRestAb)
{
    datei("b.vix", {bunt(4)});
    const struct {
        const char *was;
        std::function<void(TVivarix &)> tun;
        std::function<void(TVivarix &)> danach;
    } faelle[] = {
        {"Neu", [](TVivarix &f) { ausloesen(f.Neu1); },
         [](TVivarix &f) {
             EXPECT_TRUE(f.Schlangen.empty());
             EXPECT_EQ(f.TabControl1->count(), 0);
             EXPECT_EQ(f.Dateiname, "");
             EXPECT_FALSE(eingeschaltet(f).contains("Speichern1"));
             EXPECT_TRUE(eingeschaltet(f).contains("FressCheck1"));
         }},
        {"Laden...",
         [this](TVivarix &f) {
             DialogTest::naechsterDateiname(pfad("b.vix"));
             ausloesen(f.Laden1);
         },
         [this](TVivarix &f) {
             EXPECT_TRUE(f.Schlangen == TSchlangen{bunt(4)});
             EXPECT_EQ(f.Dateiname, pfad("b.vix"));
             EXPECT_EQ(eingeschaltet(f), Alle);
         }},
        {"Laden... of a file that is not there",
         [this](TVivarix &f) {
             DialogTest::naechsterDateiname(pfad("fehlt.vix"));
             ausloesen(f.Laden1);
             EXPECT_EQ(gesagt().size(), 1);
         },
         [this](TVivarix &f) { wieVorher(f); }},
        {"closing", [](TVivarix &f) { EXPECT_TRUE(f.close()); }, [](TVivarix &) {}},
    };
    for (const auto &fall : faelle) {
        SCOPED_TRACE(fall.was);
        TVivarix &f = mitAenderungVieleLaden();
        fall.tun(f); // no question: the changes before were let go when the load began
        EXPECT_FALSE(f.restOffen()) << "the read stops";
        EXPECT_TRUE(gesagt().isEmpty());
        TSchlangen inA;
        Datendatei::laden(pfad("a.vix"), inA);
        EXPECT_TRUE(inA == (TSchlangen{bunt(7), bunt(8), bunt(9)})) << "nothing saved unasked";
        fall.danach(f);
        w.reset();
    }
}

TEST_F(ErsteKarteTest, ScheitertDerRestKommtDasVorherigeZurueck)
{
    const struct {
        const char *was;
        Versagen::Was wo;
        int nr;
        const char *bericht;
    } faelle[] = {
        {"a read fails", Versagen::Lesen, EIO, "Bericht|E/A-Fehler 31."},
        {"the file can no longer be opened", Versagen::Oeffnen, EACCES, "Bericht|Dateizugriff verweigert."},
        {"too many open files", Versagen::Oeffnen, EMFILE, "Bericht|Zu viele geöffnete Dateien."},
        {"no memory left for the read", Versagen::Lesen, ENOMEM, "Bericht|E/A-Fehler 12."},
    };
    for (const auto &fall : faelle) {
        SCOPED_TRACE(fall.was);
        TVivarix &f = mitAenderungVieleLaden();
        Versagen versagen(pfad("viele.vix"), fall.wo, fall.nr);
        Systemaufrufe::setzen(&versagen);
        restFreigeben();
        Systemaufrufe::setzen(nullptr);
        EXPECT_EQ(gesagt(), QStringList{QString::fromUtf8(fall.bericht)});
        wieVorher(f);
        w.reset();
    }
}

TEST_F(ErsteKarteTest, EineZwischenDenLesevorgaengenGeaenderteDateiWirdGemeldet)
{
    const QByteArray vielePfad = QFile::encodeName(pfad("viele.vix"));
    const auto kuerzen = [&](std::uint64_t laenge) {
        return [&, laenge] { ASSERT_EQ(::truncate(vielePfad.constData(), off_t(laenge)), 0); };
    };
    const struct {
        const char *was;
        std::function<void()> aendern;
    } faelle[] = {
        {"cut to fewer snakes", kuerzen((Anzahl - 50) * TSchlange::Groesse)},
        {"cut within a record", kuerzen((Anzahl - 50) * TSchlange::Groesse + 1000)},
        {"cut to nothing", kuerzen(0)},
        {"another file renamed over it",
         [&] {
             Datendatei::speichern(pfad("anders.vix"), TSchlangen(viele.rbegin(), viele.rend()));
             ASSERT_EQ(::rename(QFile::encodeName(pfad("anders.vix")).constData(), vielePfad.constData()), 0);
         }},
        {"a second writer renames a snake in place",
         [&] {
             const int fd = ::open(vielePfad.constData(), O_WRONLY);
             ASSERT_GE(fd, 0);
             const char name[] = "\x04Nemo";
             EXPECT_EQ(::pwrite(fd, name, 5, off_t(5 * TSchlange::Groesse)), 5);
             ::close(fd);
         }},
    };
    const QString gemeldet = "Bericht|Die Datei wurde während des Ladens von einem anderen Programm geändert und "
                             "deshalb nicht geladen. Bitte lade sie noch einmal.\n\"" +
                             pfad("viele.vix") + "\"";
    for (const auto &fall : faelle) {
        SCOPED_TRACE(fall.was);
        datei("viele.vix", viele);
        TVivarix &f = mitAenderungVieleLaden();
        fall.aendern();
        restFreigeben();
        EXPECT_EQ(gesagt(), QStringList{gemeldet});
        wieVorher(f);
        w.reset();
    }
}
