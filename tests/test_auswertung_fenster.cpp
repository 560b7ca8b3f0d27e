// The feeding evaluations in their windows, driven through the menu.
#include "Fenster.h"

#include "analysis/ui/TAlarm.h"
#include "analysis/ui/TCharts.h"
#include "chart/TChart.h"
#include "cli/Befehlszeile.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include "toolkit/TZeilenText.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>

namespace {
const QString kaa = QStringLiteral("<b>Kaa</b> & Co"); // a name that looks like markup

// Per character of a line: 'n' plain, 'f' bold, 'r' bold and red 221,0,0, '?' anything else.
QString formate(const TZeilenText *box, int zeile)
{
    QString muster(box->zeile(zeile).size(), u'n');
    for (const QTextLayout::FormatRange &r : box->formate(zeile))
        for (int i = r.start; i < r.start + r.length && i < muster.size(); ++i) {
            const QTextCharFormat &f = r.format;
            const bool fett = f.fontWeight() == QFont::Bold;
            const bool rot = f.foreground().style() != Qt::NoBrush && f.foreground().color() == QColor(221, 0, 0);
            const bool andereFarbe = f.foreground().style() != Qt::NoBrush && !rot;
            muster[i] = andereFarbe ? u'?' : rot ? (fett ? u'r' : u'?') : fett ? u'f' : u'n';
        }
    return muster;
}
} // namespace

class AuswertungFensterTest : public FensterTest {
protected:
    static QString vor(int tage) { return heute().addDays(-tage).toString(QStringLiteral("dd.MM.yy")); }
    static TSchlange mit(const QString &name, int tage, const QStringList &daten)
    {
        TSchlange s = schlange(name, 0, 0, tage);
        for (int i = 0; i < daten.size(); ++i)
            s.setFutterDatum(i, daten[i]);
        return s;
    }
    TVivarix &mit(const TSchlangen &s, const QString &remember = QStringLiteral("0"))
    {
        datei("s.vix", s);
        optionen({"[Options]", "autoload=1", "file=" + pfad("s.vix"), "remember=" + remember});
        return starten();
    }
    // Runs `f` on the next window the program opens and closes it with "OK".
    template <typename T>
    void beimNaechsten(std::function<void(T &)> f)
    {
        DialogTest::naechsterDialog([this, f](QWidget *w) {
            ++geoeffnet;
            auto *t = qobject_cast<T *>(w);
            ASSERT_NE(t, nullptr);
            f(*t);
            t->Button1->click();
        });
    }
    // The command line in the window's folder, without a file: the one the settings load at start.
    Befehlszeile::Ergebnis befehl(const char *option)
    {
        return Befehlszeile::ausfuehren({QString::fromLatin1(option)}, Auswertung::Kalendertag(heute()), ordner.path());
    }
    int geoeffnet = 0;
};

TEST_F(AuswertungFensterTest, FressCheckZeigtSaetzeSpannenUndBalken)
{
    // Overdue by 1, 10, 3, 3, 5 in tab order; one more snake is on time.
    TVivarix &f = mit({mit(kaa, 7, {vor(8)}), mit("B", 7, {vor(17)}), mit("C", 7, {vor(10)}), mit("D", 7, {vor(2)}),
                       mit("E", 7, {vor(10)}), mit("F", 2, {vor(7)})});
    beimNaechsten<TAlarm>([&](TAlarm &a) {
        EXPECT_EQ(a.windowTitle(), "Fress-Check");
        EXPECT_EQ(a.titel->text(), "Fress-Check");
        EXPECT_EQ(a.Label1->text(), "Hier siehst du, welche Schlangen sich nicht an den Fressplan halten:");
        EXPECT_EQ(a.RichEdit1->toPlainText(), "B: seit 10 Tagen überfällig !\n"
                                              "F: seit 5 Tagen überfällig !\n"
                                              "C: seit 3 Tagen überfällig !\n"
                                              "E: seit 3 Tagen überfällig !\n" +
                                                  kaa + ": seit 1 Tag überfällig !");
        EXPECT_EQ(formate(a.RichEdit1, 0), "f" + QString(7, u'n') + "rr" + QString(19, u'n'));
        EXPECT_EQ(formate(a.RichEdit1, 4), QString(15, u'f') + QString(7, u'n') + "r" + QString(17, u'n'));
        ASSERT_EQ(a.Series1->Count(), 5);
        const QString namen[] = {kaa, "C", "E", "F", "B"};
        const double werte[] = {1, 3, 3, 5, 10};
        const QColor farben[] = {QColor(0, 255, 0), QColor(200, 255, 0), QColor(200, 255, 0), QColor(255, 255, 0),
                                 QColor(255, 0, 0)};
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ((*a.Series1)[i].beschriftung, namen[i]);
            EXPECT_EQ((*a.Series1)[i].wert, werte[i]);
            EXPECT_EQ((*a.Series1)[i].farbe, farben[i]);
        }
        EXPECT_EQ(a.Chart1->sichtbareBeschriftung(0), kaa);
        EXPECT_EQ(a.Chart1->height(), 96);
        EXPECT_EQ(a.Chart1->width(), 385);
        EXPECT_GT(a.Chart1->zeile(0).top(), a.Chart1->zeile(4).top()) << "the first bar stands at the bottom";
        EXPECT_EQ(a.ScrollBox1->size(), QSize(409, 193));
        // The text box hands the focus on to "OK".
        a.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&a));
        a.RichEdit1->setFocus();
        EXPECT_EQ(QApplication::focusWidget(), a.Button1);
        const Befehlszeile::Ergebnis zeilen = befehl("--fress-check");
        EXPECT_EQ(QString::fromUtf8(zeilen.aus), a.RichEdit1->toPlainText() + u'\n');
        EXPECT_EQ(zeilen.status, Befehlszeile::Gelistet);
    });
    ausloesen(f.FressCheck1);
    EXPECT_EQ(geoeffnet, 1);
    EXPECT_FALSE(f.Geaendert);
    EXPECT_TRUE(gesagt().isEmpty());
}

TEST_F(AuswertungFensterTest, NichtsFaelligKeinFensterUnlesbaresDatumNurBericht)
{
    TVivarix &f = mit({mit("A", 7, {vor(7)}), mit("B", 0, {vor(100)}), mit("C", 7, {})});
    DialogTest::naechsterDialog([this](QWidget *) { ++geoeffnet; });
    ausloesen(f.FressCheck1);
    ausloesen(f.ToolButton9);
    EXPECT_EQ(geoeffnet, 0);
    const Befehlszeile::Ergebnis nichts = befehl("--fress-check");
    EXPECT_EQ(nichts.aus + nichts.fehler, "");
    EXPECT_EQ(nichts.status, Befehlszeile::NichtsGelistet);
    f.Neu();
    ausloesen(f.FressCheck1);
    ausloesen(f.FressTermine1);
    EXPECT_EQ(geoeffnet, 0) << "an empty collection shows nothing";

    mit({mit("A", 7, {vor(30)}), mit("B", 7, {"aa.bb.cc"})});
    gesagt();
    ausloesen(w->FressCheck1);
    ausloesen(w->FressTermine1);
    EXPECT_EQ(geoeffnet, 0);
    // The report's own text, then which snake and which journal hold the date.
    const QString bericht = "Bericht|'aa.bb.cc' ist kein gültiges Datum.\nbei Schlange „B“, Fresszeiten.";
    const QStringList berichte = gesagt();
    EXPECT_EQ(berichte, (QStringList{bericht, bericht}));
    for (const char *option : {"--fress-check", "--fress-termine"}) {
        const Befehlszeile::Ergebnis fehler = befehl(option);
        EXPECT_EQ(fehler.aus, "");
        EXPECT_EQ(QStringLiteral("Bericht|") + QString::fromUtf8(fehler.fehler), berichte.value(0) + u'\n');
        EXPECT_EQ(fehler.status, Befehlszeile::Fehler);
    }
    DialogTest::zuruecksetzen();
}

TEST_F(AuswertungFensterTest, FressTermineSofortFettUndRot)
{
    TVivarix &f = mit({mit("Nagini", 7, {vor(9)}), mit("Kaa", 7, {vor(0)}), mit("Ohne", 0, {})});
    beimNaechsten<TAlarm>([&](TAlarm &a) {
        EXPECT_EQ(a.windowTitle(), "Fress-Termine");
        EXPECT_EQ(a.titel->text(), "Fress-Termine");
        EXPECT_EQ(a.Label1->text(), "Hier siehst du, wann deine Schlangen das nächste Mal gefüttert werden müssen:");
        EXPECT_EQ(a.RichEdit1->toPlainText(), "Nagini: sollte sofort gefüttert werden !\n"
                                              "Ohne: sollte sofort gefüttert werden !\n"
                                              "Kaa: sollte in 7 Tagen gefüttert werden !");
        EXPECT_EQ(formate(a.RichEdit1, 0), "ffffff" + QString(9, u'n') + "rrrrrr" + QString(19, u'n'));
        EXPECT_EQ(formate(a.RichEdit1, 2), "fff" + QString(12, u'n') + "r" + QString(25, u'n'));
        ASSERT_EQ(a.Series1->Count(), 3);
        EXPECT_EQ((*a.Series1)[0].beschriftung, "Kaa");
        EXPECT_EQ((*a.Series1)[0].farbe, QColor(0, 255, 0));
        EXPECT_EQ((*a.Series1)[2].beschriftung, "Ohne");
        EXPECT_EQ((*a.Series1)[2].farbe, QColor(255, 0, 0));
        EXPECT_EQ(a.Series1->ursprung(), -0.25);
        EXPECT_EQ(a.Chart1->height(), 74);
        EXPECT_EQ(QString::fromUtf8(befehl("--fress-termine").aus), a.RichEdit1->toPlainText() + u'\n');
    });
    ausloesen(f.FressTermine1);
    EXPECT_EQ(f.FressTermine1->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(f.FressCheck1->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(geoeffnet, 1);
}

TEST_F(AuswertungFensterTest, FressParadePodestUndListe)
{
    auto n = [](const QString &name, int anzahl) {
        QStringList d;
        for (int i = 0; i < anzahl; ++i)
            d << "01.01.99";
        return mit(name, 7, d);
    };
    TVivarix &f = mit({n("A", 12), n(kaa, 30), n("C", 5), n("D", 7), n(kaa, 0)}); // two may share a name
    beimNaechsten<TCharts>([&](TCharts &c) {
        EXPECT_EQ(c.windowTitle(), "Fress-Parade");
        EXPECT_EQ(c.titel->text(), "Fress-Parade");
        const QLabel *labels[] = {c.Label5, c.Label6, c.Label7, c.Label8, c.Label9, c.Label10};
        const QString texte[] = {kaa, "30 FEs", "A", "12 FEs", "D", "7 FEs"};
        const QPoint orte[] = {{130, 2}, {130, 16}, {38, 45}, {38, 59}, {219, 45}, {219, 59}};
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(labels[i]->accessibleName(), texte[i]) << i;
            EXPECT_EQ(labels[i]->textFormat(), Qt::PlainText);
            EXPECT_EQ(labels[i]->parentWidget(), c.Image1);
            EXPECT_EQ(labels[i]->pos(), orte[i]) << i;
            const QColor schrift = labels[i]->palette().color(QPalette::WindowText);
            EXPECT_EQ(schrift, i % 2 == 0 ? QColor(Qt::white) : QColor(192, 192, 192)) << i;
        }
        EXPECT_EQ(c.RichEdit1->toPlainText(), "4.Platz\t(5 FEs): C\n5.Platz\t(0 FEs): " + kaa);
        EXPECT_EQ(c.Image1->pixmap().size(), QSize(313, 120));
        const QImage podest = c.Image1->pixmap().toImage();
        EXPECT_EQ(podest.pixelColor(1, 1), QColor(Qt::black));
        int gemalt = 0; // the podium itself on its black ground
        for (int y = 0; y < podest.height(); ++y)
            for (int x = 0; x < podest.width(); ++x)
                gemalt += podest.pixelColor(x, y) != QColor(Qt::black);
        EXPECT_GT(gemalt, podest.width() * podest.height() / 8);
    });
    ausloesen(f.FressParade1);

    // A long name ends with its step, cut with "…", and is whole in tooltip and accessible name.
    const QString lang = QStringLiteral("Prinzessin Schlängelchen Öhrli");
    f.Schlangen[0] = n(lang, 20);
    beimNaechsten<TCharts>([&](TCharts &c) {
        EXPECT_EQ(c.Label8->text(), "20 FEs");
        EXPECT_EQ(c.Label8->toolTip(), "") << "shown whole, no tooltip";
        const QString gezeigt = c.Label7->text();
        EXPECT_TRUE(gezeigt.endsWith(u'…') && lang.startsWith(gezeigt.chopped(1))) << gezeigt.toStdString();
        EXPECT_LE(c.Label7->geometry().right(), 98) << "not across the first step";
        EXPECT_EQ(c.Label7->accessibleName(), lang);
        QTextDocument tipp;
        tipp.setHtml(c.Label7->toolTip());
        EXPECT_EQ(tipp.toPlainText(), lang);
    });
    ausloesen(f.FressParade1);
    EXPECT_EQ(f.FressParade1->shortcut(), QKeySequence(Qt::Key_F4));

    f.Neu(); // an empty collection still opens the window
    beimNaechsten<TCharts>([&](TCharts &c) {
        EXPECT_EQ(c.Label5->text(), "");
        EXPECT_EQ(c.Label10->text(), "");
        EXPECT_EQ(c.RichEdit1->toPlainText(), "");
    });
    ausloesen(f.ToolButton12);
    EXPECT_EQ(geoeffnet, 3);
}

TEST_F(AuswertungFensterTest, CheckFolgtDemLadenNurMitRemember)
{
    const TSchlangen s = {mit("A", 7, {vor(9)})};
    for (const char *remember : {"1", "0", ""}) {
        datei("s.vix", s);
        optionen({"[Options]", "autoload=0", QStringLiteral("remember=") + remember});
        TVivarix &f = starten();
        geoeffnet = 0;
        if (remember == std::string("1"))
            beimNaechsten<TAlarm>(
                [](TAlarm &a) { EXPECT_EQ(a.RichEdit1->toPlainText(), "A: seit 2 Tagen überfällig !"); });
        DialogTest::naechsterDateiname(pfad("s.vix"));
        ausloesen(f.Laden1);
        EXPECT_EQ(geoeffnet, remember == std::string("1") ? 1 : 0) << remember;
        EXPECT_EQ(f.Dateiname, pfad("s.vix"));
    }

    // An unreadable date is reported, and the load still finishes: file name taken, editing on.
    datei("s.vix", {mit("A", 7, {"aa.bb.cc"})});
    optionen({"[Options]", "autoload=0", "remember=1"});
    TVivarix &f = starten();
    gesagt();
    DialogTest::naechsterDateiname(pfad("s.vix"));
    ausloesen(f.Laden1);
    EXPECT_EQ(gesagt(), QStringList{"Bericht|'aa.bb.cc' ist kein gültiges Datum.\nbei Schlange „A“, Fresszeiten."});
    EXPECT_EQ(f.Dateiname, pfad("s.vix"));
    EXPECT_TRUE(f.Speichern1->isEnabled());
}

TEST(Balkendiagramm, BalkenStapelnSichNachObenJederInSeinerFarbe)
{
    TChart c;
    c.setFixedSize(385, 96);
    c.serie()->setUrsprung(-0.25);
    const double werte[] = {0, 1, 2, 5, 10};
    const QColor farben[] = {Qt::red, Qt::green, Qt::blue, Qt::magenta, Qt::cyan};
    for (int i = 0; i < 5; ++i)
        c.serie()->Add(werte[i], QStringLiteral("S%1").arg(i), farben[i]);
    const QImage bild = c.grab().toImage();
    int vorher = 0;
    for (int i = 0; i < 5; ++i) {
        // Count the bar's own colour along the middle of its row.
        const int y = int(c.zeile(i).center().y());
        int breite = 0;
        for (int x = 0; x < bild.width(); ++x)
            breite += bild.pixelColor(x, y) == farben[i];
        EXPECT_GT(breite, vorher) << "row " << i << ": a longer bar for a larger value, a stub for 0";
        vorher = breite;
        if (i > 0) {
            EXPECT_LT(c.zeile(i).bottom(), c.zeile(i - 1).bottom() + 0.5) << "bar " << i << " above bar " << i - 1;
        }
    }
    EXPECT_GE(c.zeile(4).top(), 0);
    EXPECT_LE(c.zeile(0).bottom(), 96);

    // When every snake is due at once all values are 0: still stubs, not full-width bars.
    TChart null;
    null.setFixedSize(385, 74);
    null.serie()->setUrsprung(-0.25);
    null.serie()->Add(0, QStringLiteral("Kaa"), Qt::red);
    const QImage nullBild = null.grab().toImage();
    int stummel = 0;
    for (int x = 0; x < nullBild.width(); ++x)
        stummel += nullBild.pixelColor(x, int(null.zeile(0).center().y())) == QColor(Qt::red);
    EXPECT_GT(stummel, 0);
    EXPECT_LT(stummel, 385 / 4) << "a bar of 0 is a short stub";
    // Two labels of one length whose letters differ a little in width, the
    // narrower first: both fit and show whole.
    const std::pair<char, char> paare[] = {{'A', 'B'}, {'L', 'k'}, {'v', 'e'}, {'A', 'C'}, {'D', 'O'}};
    for (const auto &[schmal, breiter] : paare)
        for (const int laenge : {10, 20}) {
            TChart breit;
            breit.setFixedSize(3000, 74);
            const QString namen[] = {QString(laenge, QChar(schmal)), QString(laenge, QChar(breiter))};
            for (const QString &n : namen)
                breit.serie()->Add(1, n, Qt::red);
            EXPECT_EQ(breit.sichtbareBeschriftung(0), namen[0]);
            EXPECT_EQ(breit.sichtbareBeschriftung(1), namen[1]);
        }
}

TEST_F(AuswertungFensterTest, ZehntausendSaetzeMarkierenKopierenScrollenVorlesen)
{
    // The sentences of ten thousand snakes, laid out only where they show:
    // still selected with the mouse, copied with Ctrl+C, all taken with
    // Ctrl+A, scrolled to the last line and read out line by line.
    constexpr int n = 10000;
    Auswertung::Ergebnis e;
    QStringList erwartet;
    for (int i = 0; i < n; ++i) {
        const QString name = QStringLiteral("S%1").arg(i);
        const QString zahl = QString::number(n - i);
        Auswertung::Zeile z;
        z.text = name + ": seit " + zahl + " Tagen überfällig !";
        z.spannen = {{{0, int(name.size()), false}, {int(name.size()) + 7, int(zahl.size()), true}}};
        e.zeilen.push_back(z);
        erwartet << z.text;
    }
    TAlarm a;
    a.fuellen(e);
    a.show();
    a.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&a));
    TZeilenText *box = a.RichEdit1;
    QWidget *flaeche = box->viewport();
    EXPECT_EQ(box->zeilenAnzahl(), n);
    EXPECT_EQ(formate(box, n - 1), "fffff" + QString(7, u'n') + "r" + QString(19, u'n'));

    // Drag from the start of the first line to the fifth character of the second.
    auto mitte = [&](int position) { // the left edge of a character, half way down
        const QRect r = box->zeichenRechteck(position);
        return QPoint(r.left(), r.center().y());
    };
    const int zweite = int(erwartet[0].size()) + 1;
    QTest::mousePress(flaeche, Qt::LeftButton, {}, mitte(0));
    QMouseEvent ziehen(QEvent::MouseMove, mitte(zweite + 4), flaeche->mapToGlobal(mitte(zweite + 4)), Qt::NoButton,
                       Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(flaeche, &ziehen);
    QTest::mouseRelease(flaeche, Qt::LeftButton, {}, mitte(zweite + 4));
    EXPECT_EQ(box->markierterText(), erwartet[0] + "\n" + erwartet[1].left(4));
    EXPECT_EQ(QApplication::focusWidget(), a.Button1) << "the box still hands the focus on";
    QApplication::clipboard()->clear();
    QTest::keyClick(&a, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), erwartet[0] + "\n" + erwartet[1].left(4));

    // Shift and a click extend the selection from where it began.
    const int dritte = zweite + int(erwartet[1].size()) + 1;
    QTest::mouseClick(flaeche, Qt::LeftButton, Qt::ShiftModifier, mitte(dritte + 3));
    EXPECT_EQ(box->markierterText(), erwartet.mid(0, 2).join(u'\n') + "\n" + erwartet[2].left(3));

    QTest::keyClick(&a, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&a, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), erwartet.join(u'\n'));

    // The wheel scrolls; the end of the scroll bar shows the last sentence.
    QScrollBar *leiste = box->verticalScrollBar();
    QWheelEvent rad(QPointF(10, 10), flaeche->mapToGlobal(QPointF(10, 10)), {}, QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(flaeche, &rad);
    EXPECT_GT(leiste->value(), 0);
    QTest::keyClick(leiste, Qt::Key_End);
    EXPECT_EQ(leiste->value(), leiste->maximum());
    EXPECT_EQ(box->zeileBei(flaeche->height() - 6), n - 1);
    const int letzte = box->zeichenAnzahl() - int(erwartet.back().size());
    EXPECT_TRUE(flaeche->rect().contains(box->zeichenRechteck(letzte)));

    // Screen readers reach every line, and hear which runs are bold and red.
    QAccessibleInterface *zugang = QAccessible::queryAccessibleInterface(box);
    ASSERT_NE(zugang, nullptr);
    QAccessibleTextInterface *text = zugang->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(zugang->state().readOnly);
    EXPECT_EQ(text->characterCount(), int(erwartet.join(u'\n').size()));
    int von = 0, bis = 0;
    EXPECT_EQ(text->textAtOffset(letzte + 3, QAccessible::LineBoundary, &von, &bis), erwartet.back());
    EXPECT_EQ(von, letzte);
    EXPECT_EQ(text->textBeforeOffset(letzte + 3, QAccessible::LineBoundary, &von, &bis), erwartet[n - 2]);
    EXPECT_EQ(text->textAfterOffset(0, QAccessible::LineBoundary, &von, &bis), erwartet[1]);
    EXPECT_EQ(text->textAtOffset(1, QAccessible::WordBoundary, &von, &bis), "S0");
    EXPECT_EQ(text->text(zweite, zweite + 2), "S1");
    EXPECT_EQ(text->attributes(letzte + 1, &von, &bis), "font-weight:bold;");
    EXPECT_EQ(text->attributes(letzte + 12, &von, &bis), "font-weight:bold;color:rgb(221,0,0);");
    EXPECT_EQ(text->attributes(letzte + 7, &von, &bis), "");
    EXPECT_EQ(bis - von, 7) << "the plain run between name and number";
}
