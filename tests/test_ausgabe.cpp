// Output of the snake on show: the export file's bytes, the preview's page and
// printing it to a PDF file.
#include "Fenster.h"
#include "Hilfen.h"

#include "data/Fehler.h"
#include "output/Export.h"
#include "output/ui/Druckmodul.h"
#include "output/ui/Druckseite.h"
#include "output/ui/TDruckvorschau.h"
#include "toolkit/TTabControl.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextDocument>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <cstring>

namespace {
// Writes a length-prefixed string straight into the record's bytes, the way a
// file written by another program would hold it.
void roh(TSchlange &s, std::size_t offset, const QByteArray &text)
{
    s.data()[offset] = std::uint8_t(text.size());
    std::memcpy(s.data() + offset + 1, text.constData(), std::size_t(text.size()));
}

// A snake whose every field differs from every other, with an end mark in
// each journal and leftovers behind it that nobody may read.
TSchlange kaa()
{
    TSchlange s;
    s.setName(QStringLiteral("Kaa"));
    s.setGattung(QStringLiteral("Morelia"));
    s.setFarbe(QStringLiteral("Jungle"));
    s.setGeschlecht(QStringLiteral("männlich"));
    s.setSchlupf(QStringLiteral("06/2023"));
    s.setBild(QStringLiteral("kaa.png"));
    s.setTage(9);
    s.setFutterDatum(0, QStringLiteral("03.12.26"));
    s.setFutter(0, QStringLiteral("Ratte"));
    s.setFutterDatum(1, QStringLiteral("01.11.26"));
    s.setFutter(1, QStringLiteral("Maus & Küken"));
    s.setFutterDatum(3, QStringLiteral("09.09.09")); // behind the end mark in slot 2
    s.setFutter(3, QStringLiteral("Reste"));
    s.setBemerkDatum(0, QStringLiteral("05.12.26"));
    s.setBemerkung(0, QStringLiteral("Häutung <b>komplett</b>"));
    s.setBemerkDatum(2, QStringLiteral("08.08.08"));
    return s;
}

const QByteArray kaaKarte = "Name:\t\tKaa\r\nGattung:\tMorelia\r\nFarbvariante:\tJungle\r\n"
                            "Geschlecht:\tm\xE4nnlich\r\nSchlupfmonat:\t06/2023\r\n\r\n";

QString text(const QByteArray &latin1)
{
    return QString::fromLatin1(latin1);
}
} // namespace

// ---------------------------------------------------------------------------
// Export

TEST(ExportTest, DateiInhalt)
{
    TSchlange ohneFutter = kaa();
    ohneFutter.setFutterDatum(0, QString());
    TSchlange ohneBemerkung = kaa();
    ohneBemerkung.setBemerkDatum(0, QString());
    TSchlange leeresFutter = kaa();
    leeresFutter.setFutter(1, QString());

    // All 201 slots dated; the remarks journal right behind the last slot holds one entry.
    TSchlange voll;
    QByteArray vollErwartet = "Name:\t\t\r\nGattung:\t\r\nFarbvariante:\t\r\nGeschlecht:\t\r\nSchlupfmonat:\t\r\n\r\n"
                              "Fresszeiten:\r\n";
    for (int i = 0; i < 201; ++i) {
        const QByteArray datum = QStringLiteral("%1.%2.99")
                                     .arg(i % 28 + 1, 2, 10, QChar(u'0'))
                                     .arg(i / 28 + 1, 2, 10, QChar(u'0'))
                                     .toLatin1();
        roh(voll, 212 + 9 * std::size_t(i), datum);
        roh(voll, 3830 + 101 * std::size_t(i), "F" + QByteArray::number(i));
        vollErwartet += datum + " F" + QByteArray::number(i) + "\r\n";
    }
    roh(voll, 2021, "31.12.98");
    roh(voll, 24131, "B");
    vollErwartet += "\r\nBemerkungen:\r\n31.12.98 B\r\n";

    const struct {
        const char *fall;
        TSchlange s;
        QByteArray erwartet;
    } faelle[] = {
        {"alles", kaa(),
         kaaKarte + "Fresszeiten:\r\n03.12.26 Ratte\r\n01.11.26 Maus & K\xFCken\r\n\r\n"
                    "Bemerkungen:\r\n05.12.26 H\xE4utung <b>komplett</b>\r\n"},
        {"ohne Fuetterungen", ohneFutter,
         kaaKarte + "Fresszeiten:\r\n\r\nBemerkungen:\r\n05.12.26 H\xE4utung <b>komplett</b>\r\n"},
        {"ohne Bemerkungen", ohneBemerkung,
         kaaKarte + "Fresszeiten:\r\n03.12.26 Ratte\r\n01.11.26 Maus & K\xFCken\r\n\r\nBemerkungen:\r\n"},
        {"leeres Futter", leeresFutter,
         kaaKarte + "Fresszeiten:\r\n03.12.26 Ratte\r\n01.11.26 \r\n\r\n"
                    "Bemerkungen:\r\n05.12.26 H\xE4utung <b>komplett</b>\r\n"},
        {"201 Slots", voll, vollErwartet},
    };
    for (const auto &f : faelle) {
        SCOPED_TRACE(f.fall);
        EXPECT_EQ(Export::text(f.s), f.erwartet);
    }
}

class AusgabeTest : public FensterTest {
protected:
    TVivarix &mit(const TSchlangen &s)
    {
        datei("start.vix", s);
        optionen({"autoload=1", "file=" + pfad("start.vix")});
        TVivarix &f = starten();
        gesagt();
        return f;
    }
};

TEST_F(AusgabeTest, ExportierenSchlaegtDenNamenVorUndSchreibtDieDatei)
{
    TSchlange schraeg = kaa();
    schraeg.setName(QStringLiteral("Kaa/../Nini"));
    TSchlange mitNull = kaa();
    roh(mitNull, TSchlange::OffName, QByteArray("Ka\0a", 4));
    TVivarix &f = mit({kaa(), schraeg, mitNull});
    ASSERT_TRUE(f.Button2->isEnabled());

    // Cancelled: the proposal stays in the dialog, nothing is written.
    const struct {
        int tab;
        QString vorschlag;
    } vorschlaege[] = {{0, "Kaa.txt"}, {1, "Kaa_.._Nini.txt"}, {2, "Ka_a.txt"}};
    for (const auto &v : vorschlaege) {
        f.TabControl1->setCurrentIndex(v.tab);
        DialogTest::naechsterDateiname(std::nullopt);
        f.Button2->click();
        EXPECT_EQ(f.SaveDialog2.vorschlag, v.vorschlag);
    }
    EXPECT_EQ(QDir(ordner.path()).entryList({"*.txt"}, QDir::Files), QStringList{});
    EXPECT_EQ(f.SaveDialog2.filterName, "Textdateien");
    EXPECT_EQ(f.SaveDialog2.muster, "*.txt");

    // A name without extension gets ".txt"; an existing file is replaced whole
    // once the keeper has agreed to replace it.
    f.TabControl1->setCurrentIndex(0);
    dateiSchreiben(pfad("kaa.txt"), QByteArray(5000, 'x'));
    DialogTest::naechsterDateiname(pfad("kaa"));
    DialogTest::naechsteAntwort(mbJa);
    f.Button2->click();
    EXPECT_EQ(text(dateiLesen(pfad("kaa.txt"))), text(Export::text(kaa())));
    ASSERT_EQ(gesagt().size(), 1);

    // The record as held now, not as last saved; the collection stays as it was.
    f.futter1->setEditText(QStringLiteral("Küken"));
    QTest::mouseClick(f.ok1, Qt::LeftButton);
    const TSchlangen vorher = f.Schlangen;
    DialogTest::naechsterDateiname(pfad("neu.txt"));
    f.Button2->click();
    EXPECT_TRUE(dateiLesen(pfad("neu.txt")).contains("Fresszeiten:\r\n07.12.26 K\xFCken\r\n03.12.26 Ratte\r\n"));
    EXPECT_TRUE(f.Schlangen == vorher);

    // A name that is a link to a file elsewhere: the question names that file;
    // "Nein" keeps it, "Ja" writes it and the link stays a link.
    ASSERT_TRUE(QDir().mkdir(pfad("woanders")));
    dateiSchreiben(pfad("woanders/.profil"), "export PATH\n");
    ASSERT_TRUE(QFile::link(pfad("woanders/.profil"), pfad("Kaa.txt")));
    const QString ziel = QFileInfo(pfad("woanders/.profil")).canonicalFilePath();
    const QString frage = QStringLiteral("Warnung|Die Datei Kaa.txt ist eine Verknüpfung auf %1.\n"
                                         "Soll %1 überschrieben werden?")
                              .arg(ziel);
    DialogTest::naechsterDateiname(pfad("Kaa.txt"));
    DialogTest::naechsteAntwort(mbNein);
    DialogTest::naechsterDateiname(std::nullopt);
    f.Button2->click();
    EXPECT_EQ(gesagt(), QStringList{frage});
    EXPECT_EQ(dateiLesen(ziel), "export PATH\n");
    DialogTest::naechsterDateiname(pfad("Kaa.txt"));
    DialogTest::naechsteAntwort(mbJa);
    f.Button2->click();
    EXPECT_EQ(gesagt(), QStringList{frage});
    EXPECT_EQ(dateiLesen(ziel), Export::text(f.Schlangen[0]));
    EXPECT_TRUE(QFileInfo(pfad("Kaa.txt")).isSymbolicLink());
    // A link to a file not there yet names where the file would be made.
    ASSERT_TRUE(QFile::link(pfad("woanders/neu.txt"), pfad("lose.txt")));
    DialogTest::naechsterDateiname(pfad("lose.txt"));
    DialogTest::naechsteAntwort(mbNein);
    DialogTest::naechsterDateiname(std::nullopt);
    f.Button2->click();
    EXPECT_EQ(gesagt(), QStringList{QStringLiteral("Warnung|Die Datei lose.txt ist eine Verknüpfung auf %1.\n"
                                                   "Soll %1 angelegt werden?")
                                        .arg(pfad("woanders/neu.txt"))});
    EXPECT_FALSE(QFileInfo::exists(pfad("woanders/neu.txt")));

    // A folder that is not there: the input/output error, no file.
    DialogTest::naechsterDateiname(pfad("fehlt/kaa.txt"));
    f.Button2->click();
    EXPECT_EQ(gesagt(), QStringList{"Bericht|Datei nicht gefunden."});
    EXPECT_FALSE(QFileInfo::exists(pfad("fehlt")));
}

// ---------------------------------------------------------------------------
// Print preview

namespace {
// What a character format sets, in words; anything unexpected shows as its number.
QString formatText(const QTextCharFormat &z)
{
    QStringList teile;
    const QMap<int, QVariant> p = z.properties();
    for (auto it = p.begin(); it != p.end(); ++it) {
        switch (it.key()) {
        case QTextFormat::FontFamilies:
            teile << it.value().toStringList().join(u',');
            break;
        case QTextFormat::FontPointSize:
            teile << QString::number(it.value().toDouble()) + "pt";
            break;
        case QTextFormat::FontWeight:
            teile << (it.value().toInt() == QFont::Bold ? "fett" : "dünn");
            break;
        case QTextFormat::FontItalic:
            teile << (it.value().toBool() ? "kursiv" : "gerade");
            break;
        case QTextFormat::TextUnderlineStyle:
            teile << (it.value().toInt() == QTextCharFormat::SingleUnderline ? "unterstrichen" : "?linie");
            break;
        case QTextFormat::ForegroundBrush:
            teile << it.value().value<QBrush>().color().name();
            break;
        default:
            teile << QStringLiteral("?%1").arg(it.key(), 0, 16);
        }
    }
    teile.sort();
    return teile.join(u' ');
}

// Each paragraph as its pieces of equal format, "text" or "text|format"; the
// paragraph break's own format follows as "¶format" when it has one.
QStringList seite(const QTextDocument &doc)
{
    QStringList absaetze;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QStringList stuecke;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QString fmt = formatText(it.fragment().charFormat());
            stuecke << (fmt.isEmpty() ? it.fragment().text() : it.fragment().text() + u'|' + fmt);
        }
        if (const QString ende = formatText(b.charFormat()); !ende.isEmpty())
            stuecke << u'¶' + ende;
        absaetze << stuecke.join(u'+');
    }
    return absaetze;
}

const QString Fuss =
    QStringLiteral("Diese Seite wurde mit dem Vivarix erstellt. (Infos unter www.vivarix.de)|#808080 8pt");
const QString Leer;

// The paragraphs of a page: its title, the four card lines, the feedings, the
// remarks, and the footer after four blank lines.
QStringList seiteMit(const QString &name, const QStringList &karte, const QStringList &futter,
                     const QStringList &bemerkungen)
{
    return QStringList{"Kontrollausdruck für " + name + "|12pt Arial fett kursiv", Leer,
                       "Stammdaten:|fett unterstrichen", Leer} +
           karte + QStringList{Leer, "Fresszeiten:|fett unterstrichen", Leer} + futter +
           QStringList{Leer, "Bemerkungen:|fett unterstrichen", Leer} + bemerkungen +
           QStringList{Leer, Leer, Leer, Leer, Fuss};
}
} // namespace

TEST_F(AusgabeTest, VorschauZeigtDieSeite)
{
    TSchlange ohneAlles = kaa();
    ohneAlles.setName(QStringLiteral("<i>Nini</i>"));
    ohneAlles.setGattung(QString());
    ohneAlles.setFutterDatum(0, QString());
    ohneAlles.setBemerkDatum(0, QString());
    TVivarix &f = mit({kaa(), ohneAlles});

    const struct {
        int tab;
        QStringList absaetze;
    } faelle[] = {
        {0,
         seiteMit("Kaa",
                  {"    Gattung:\t+Morelia|kursiv", "    Farbvariante:\tJungle", "    Geschlecht:\tmännlich",
                   "    Schlupfmonat:\t06/2023"},
                  {"   03.12.26    Ratte", "   01.11.26    Maus & Küken"}, {"   05.12.26    Häutung <b>komplett</b>"})},
        {1, seiteMit("<i>Nini</i>",
                     {"    Gattung:\t", "    Farbvariante:\tJungle", "    Geschlecht:\tmännlich",
                      "    Schlupfmonat:\t06/2023"},
                     {}, {})},
    };
    for (const auto &fall : faelle) {
        SCOPED_TRACE(fall.tab);
        f.TabControl1->setCurrentIndex(fall.tab);
        ASSERT_TRUE(f.Button3->isEnabled());
        bool gesehen = false;
        DialogTest::naechsterDialog([&](QWidget *d) {
            auto *v = qobject_cast<TDruckvorschau *>(d);
            ASSERT_TRUE(v);
            gesehen = true;
            EXPECT_EQ(v->windowTitle(), "Druckvorschau");
            EXPECT_EQ(v->titel->text(), "Drucken");
            EXPECT_EQ(v->parentWidget(), &f);
            const QTextDocument &doc = *v->RichEdit1->document();
            EXPECT_EQ(seite(doc), fall.absaetze);
            EXPECT_EQ(doc.defaultFont().family(), "Arial");
            EXPECT_EQ(doc.defaultFont().pointSizeF(), 9.0);
            EXPECT_FALSE(doc.defaultFont().bold() || doc.defaultFont().italic());
            EXPECT_EQ(v->RichEdit1->palette().color(QPalette::Text), QColor(0, 0, 0));
            EXPECT_EQ(v->RichEdit1->palette().color(QPalette::Base), QColor(255, 255, 255));
            EXPECT_TRUE(v->RichEdit1->textCursor().atEnd());
            EXPECT_FALSE(v->RichEdit1->textCursor().hasSelection());
            EXPECT_TRUE(v->RichEdit1->isReadOnly());

            // The focus goes to "Drucken", also when the page is clicked into.
            QApplication::setActiveWindow(v);
            EXPECT_EQ(QApplication::focusWidget(), v->Button2);
            QTest::mouseClick(v->RichEdit1->viewport(), Qt::LeftButton);
            EXPECT_EQ(QApplication::focusWidget(), v->Button2);
            v->RichEdit1->setFocus();
            EXPECT_EQ(QApplication::focusWidget(), v->Button2);
            v->Button1->click();
            EXPECT_FALSE(v->isVisible());
        });
        f.Button3->click();
        EXPECT_TRUE(gesehen);
    }
    EXPECT_EQ(gesagt(), QStringList{});
    EXPECT_FALSE(f.Geaendert);
}

// A record from another program may hold line ends inside its texts. Each shows
// as a blank, so the export keeps one line and the page one paragraph per field
// and entry, and the italic genus keeps its exact characters.
TEST(AusgabeZeilenTest, ZeilenendeImTextBleibtInSeinerZeile)
{
    TSchlange s;
    roh(s, 0, "Ka\ra");
    roh(s, 31, "More\nlia");
    roh(s, 212, "03.12\r26");
    roh(s, 3830, "Ratte\r\nMaus");
    roh(s, 212 + 9, "\n"); // a date of one LF still counts as an entry
    roh(s, 2021, "05.12.26");
    roh(s, 24131, "\n\n");

    EXPECT_EQ(Export::text(s), QByteArray("Name:\t\tKa a\r\nGattung:\tMore lia\r\nFarbvariante:\t\r\n"
                                          "Geschlecht:\t\r\nSchlupfmonat:\t\r\n\r\n"
                                          "Fresszeiten:\r\n03.12 26 Ratte  Maus\r\n  \r\n\r\n"
                                          "Bemerkungen:\r\n05.12.26   \r\n"));

    QTextDocument doc;
    Druckseite::aufbauen(doc, Kontrollausdruck::absaetze(s));
    EXPECT_EQ(seite(doc), seiteMit("Ka a",
                                   {"    Gattung:\t+More lia|kursiv", "    Farbvariante:\t", "    Geschlecht:\t",
                                    "    Schlupfmonat:\t"},
                                   {"   03.12 26    Ratte  Maus", "        "}, {"   05.12.26      "}));
}

// ---------------------------------------------------------------------------
// Printing

namespace {
QString pdfWerkzeug(const char *name)
{
    return QStandardPaths::findExecutable(QLatin1String(name));
}

QString ausfuehren(const QString &programm, const QStringList &argumente)
{
    QProcess p;
    p.start(programm, argumente);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Answers the print dialog: print to this PDF file (or cancel when empty).
void druckdialog(const QString &pdf)
{
    DialogTest::naechsterDialog([pdf](QWidget *d) {
        auto *dlg = qobject_cast<QPrintDialog *>(d);
        ASSERT_TRUE(dlg);
        if (pdf.isEmpty()) {
            dlg->reject();
            return;
        }
        dlg->printer()->setOutputFormat(QPrinter::PdfFormat);
        dlg->printer()->setOutputFileName(pdf);
        dlg->done(QDialog::Accepted); // as confirmed, without taking the dialog's own choice of file
    });
}
} // namespace

TEST_F(AusgabeTest, DruckenInEinePdfDatei)
{
    const QString pdftotext = pdfWerkzeug("pdftotext");
    const QString pdfinfo = pdfWerkzeug("pdfinfo");
    if (pdftotext.isEmpty() || pdfinfo.isEmpty())
        GTEST_SKIP() << "pdftotext/pdfinfo (poppler-utils) not installed";

    // A remark of 100 characters without a blank, wider than the paper.
    QString langesWort = QStringLiteral("Anfang");
    for (int i = 0; langesWort.size() < 96; ++i)
        langesWort += QChar(u'a' + i % 26);
    langesWort += QStringLiteral("Ende");
    ASSERT_EQ(langesWort.size(), 100);
    TSchlange nagini = schlange(QStringLiteral("Nagini"), 200, 3);
    nagini.setBemerkung(1, langesWort);
    TVivarix &f = mit({kaa(), nagini});
    const struct {
        int tab;
        QString pdf;
    } faelle[] = {{0, pfad("kaa.pdf")}, {1, pfad("nagini.pdf")}};
    for (const auto &fall : faelle) {
        SCOPED_TRACE(fall.tab);
        f.TabControl1->setCurrentIndex(fall.tab);
        DialogTest::naechsterDialog([&](QWidget *d) {
            auto *v = static_cast<TDruckvorschau *>(d);
            const QStringList vorher = seite(*v->RichEdit1->document());
            EXPECT_EQ(v->RichEdit1->verticalScrollBar()->value(), 0); // opens at the title, however long

            // Cancelled, or a job that cannot start: the preview stays as it was.
            druckdialog(QString());
            v->Button2->click();
            druckdialog(pfad("fehlt/x.pdf"));
            v->Button2->click();
            EXPECT_EQ(gesagt(), QStringList{QStringLiteral("Bericht|Die PDF-Datei \"%1\" konnte nicht geschrieben "
                                                           "werden: Datei nicht gefunden.")
                                                .arg(pfad("fehlt/x.pdf"))});
            EXPECT_TRUE(v->isVisible());
            EXPECT_EQ(seite(*v->RichEdit1->document()), vorher);

            druckdialog(fall.pdf);
            v->Button2->click();
            EXPECT_FALSE(v->isVisible());
        });
        f.Button3->click();
        ASSERT_TRUE(QFileInfo::exists(fall.pdf));
        EXPECT_TRUE(ausfuehren(pdfinfo, {fall.pdf}).contains(QRegularExpression("Title: *Vivarix-Seite\n")));
    }

    // One page for a short card, with everything on it.
    const QStringList kurz = ausfuehren(pdftotext, {"-layout", pfad("kaa.pdf"), "-"}).split(u'\f', Qt::SkipEmptyParts);
    ASSERT_EQ(kurz.size(), 1);
    for (const char *teil :
         {"Kontrollausdruck für Kaa", "Stammdaten:", "Gattung:", "Morelia", "Jungle", "männlich", "06/2023", "03.12.26",
          "Maus & Küken", "Häutung <b>komplett</b>", "Infos unter www.vivarix.de)"})
        EXPECT_TRUE(kurz[0].contains(QString::fromUtf8(teil))) << teil;

    // 200 feedings fill several pages, each entry once; the footer closes the last page.
    const QStringList lang =
        ausfuehren(pdftotext, {"-layout", pfad("nagini.pdf"), "-"}).split(u'\f', Qt::SkipEmptyParts);
    ASSERT_GE(lang.size(), 3);
    EXPECT_TRUE(lang.first().contains("Kontrollausdruck für Nagini"));
    int eintraege = 0;
    for (int i = 0; i < lang.size(); ++i) {
        eintraege += int(lang[i].count(QRegularExpression("\\bMaus \\d+\\b")));
        EXPECT_EQ(lang[i].contains("www.vivarix.de"), i == lang.size() - 1) << "page " << i;
    }
    EXPECT_EQ(eintraege, 200);
    EXPECT_TRUE(lang.last().contains("Häutung 2"));
    // The long word is broken at the margin, every character of it on paper.
    EXPECT_TRUE(QString(lang.last()).remove(QRegularExpression("\\s")).contains(langesWort));

    // Every word inside margins of 20 mm on the left and 15 mm elsewhere; the
    // pages after the first carry the name and their number at the top.
    const QString boxen = ausfuehren(pdftotext, {"-bbox", pfad("nagini.pdf"), "-"});
    const QStringList blaetter = boxen.split("<page ", Qt::SkipEmptyParts).mid(1);
    ASSERT_EQ(blaetter.size(), lang.size());
    const QRegularExpression blatt("^width=\"([\\d.]+)\" height=\"([\\d.]+)\"");
    const QRegularExpression wort("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                                  "yMax=\"([\\d.]+)\">([^<]*)</word>");
    const double mm = 72 / 25.4; // PDF points
    for (int i = 0; i < blaetter.size(); ++i) {
        SCOPED_TRACE(i + 1);
        const auto b = blatt.match(blaetter[i]);
        ASSERT_TRUE(b.hasMatch());
        const QRectF innen(QPointF(20 * mm, 15 * mm),
                           QPointF(b.captured(1).toDouble() - 15 * mm, b.captured(2).toDouble() - 15 * mm));
        QStringList oben; // the words of the first line, top to bottom then left to right
        double ersteZeile = -1;
        int woerter = 0;
        for (const auto &w : wort.globalMatch(blaetter[i])) {
            const QRectF r(QPointF(w.captured(1).toDouble(), w.captured(2).toDouble()),
                           QPointF(w.captured(3).toDouble(), w.captured(4).toDouble()));
            EXPECT_TRUE(innen.contains(r)) << w.captured(5).toStdString();
            ++woerter;
            if (ersteZeile < 0)
                ersteZeile = r.top();
            if (qAbs(r.top() - ersteZeile) < 2)
                oben << w.captured(5);
        }
        EXPECT_GT(woerter, 10);
        const QString kopf = i == 0 ? QStringLiteral("Kontrollausdruck für Nagini")
                                    : QStringLiteral("Nagini Seite %1 von %2").arg(i + 1).arg(blaetter.size());
        EXPECT_EQ(oben.join(' '), kopf);
    }
}

TEST_F(AusgabeTest, EinePdfDateiAufVollerPlatteBleibtWieSieWar)
{
    ASSERT_TRUE(QDir(ordner.path()).mkdir("klein"));
    KleinesDateisystem klein(pfad("klein"));
    if (!klein.da)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    const QString pdf = pfad("klein/kaa.pdf");
    const QByteArray alt = "%PDF-1.4\n% die alte Seite\n%%EOF\n";
    dateiSchreiben(pdf, alt);
    vollschreiben(pfad("klein/fuell"));
    TVivarix &f = mit({kaa()});
    bool gedruckt = false;
    DialogTest::naechsterDialog([&](QWidget *d) {
        auto *v = static_cast<TDruckvorschau *>(d);
        druckdialog(pdf);
        v->Button2->click();
        EXPECT_EQ(gesagt(), QStringList{QStringLiteral("Bericht|Die PDF-Datei \"%1\" konnte nicht geschrieben werden: "
                                                       "Zu wenig Speicherplatz.")
                                            .arg(pdf)});
        EXPECT_TRUE(v->isVisible());
        EXPECT_EQ(dateiLesen(pdf), alt);
        EXPECT_EQ(QDir(pfad("klein")).entryList(QDir::Files | QDir::Hidden), (QStringList{"fuell", "kaa.pdf"}));

        // With room again, the same preview prints, and the new page takes the name.
        ASSERT_TRUE(QFile::remove(pfad("klein/fuell")));
        druckdialog(pdf);
        v->Button2->click();
        EXPECT_TRUE(gesagt().isEmpty());
        gedruckt = !v->isVisible();
    });
    f.Button3->click();
    EXPECT_TRUE(gedruckt);
    const QByteArray neu = dateiLesen(pdf);
    EXPECT_TRUE(neu.startsWith("%PDF-") && neu.trimmed().endsWith("%%EOF") && neu != alt);
    EXPECT_EQ(QDir(pfad("klein")).entryList(QDir::Files | QDir::Hidden), QStringList{"kaa.pdf"});
}

TEST_F(AusgabeTest, EinDruckmodulDasNichtLaedtWirdGemeldet)
{
    // Printing comes from a library loaded at the first print. One that is
    // missing, no library at all or a library of something else is reported,
    // and the preview stays open; the right one prints afterwards.
    struct Zurueck {
        ~Zurueck() { Druckmodul::pfadSetzen(QStringLiteral(VIVARIX_DRUCKMODUL)); }
    } zurueck;
    dateiSchreiben(pfad("kaputt.so"), "\x7f"
                                      "ELF, aber keine Bibliothek");
    const struct {
        QString datei;
        QString grund;
    } faelle[] = {
        {pfad("fehlt.so"), "Datei nicht gefunden"},
        {pfad("kaputt.so"), pfad("kaputt.so")}, // the loader's own words, about that file
        {QLibraryInfo::path(QLibraryInfo::LibrariesPath) + "/libQt6Core.so.6",
         "Die Datei ist kein Druckmodul von Vivarix"},
    };
    TVivarix &f = mit({kaa()});
    for (const auto &fall : faelle) {
        SCOPED_TRACE(fall.datei.toStdString());
        Druckmodul::pfadSetzen(fall.datei);
        bool gesehen = false;
        DialogTest::naechsterDialog([&](QWidget *d) {
            auto *v = static_cast<TDruckvorschau *>(d);
            v->Button2->click(); // no print dialog may open: none is answered
            const QStringList bericht = gesagt();
            ASSERT_EQ(bericht.size(), 1);
            const QString anfang =
                QStringLiteral("Bericht|Das Druckmodul \"%1\" konnte nicht geladen werden: ").arg(fall.datei);
            EXPECT_TRUE(bericht[0].startsWith(anfang) && bericht[0].indexOf(fall.grund, anfang.size()) > 0)
                << bericht[0].toStdString();
            gesehen = v->isVisible();
            v->Button1->click();
        });
        f.Button3->click();
        EXPECT_TRUE(gesehen);
    }

    Druckmodul::pfadSetzen(QString());
    EXPECT_EQ(Druckmodul::pfad(), Druckmodul::suchen(QCoreApplication::applicationDirPath()));
    Druckmodul::pfadSetzen(QStringLiteral(VIVARIX_DRUCKMODUL));
    DialogTest::naechsterDialog([&](QWidget *d) {
        druckdialog(pfad("kaa.pdf"));
        static_cast<TDruckvorschau *>(d)->Button2->click();
    });
    f.Button3->click();
    EXPECT_EQ(gesagt(), QStringList{});
    EXPECT_TRUE(dateiLesen(pfad("kaa.pdf")).startsWith("%PDF-"));
}

TEST(DruckmodulTest, BeimProgrammSonstInDerInstallation)
{
    // In the build folder the library lies beside the program; an installation
    // keeps it in lib/vivarix beside bin/.
    QTemporaryDir wurzel;
    ASSERT_TRUE(QDir(wurzel.path()).mkpath("bin") && QDir(wurzel.path()).mkpath("lib/vivarix"));
    const QString bin = wurzel.filePath("bin");
    EXPECT_EQ(Druckmodul::suchen(bin), wurzel.filePath("lib/vivarix/vivarix-druck.so"));
    dateiSchreiben(wurzel.filePath("bin/vivarix-druck.so"), "");
    EXPECT_EQ(Druckmodul::suchen(bin), wurzel.filePath("bin/vivarix-druck.so"));
}

TEST_F(AusgabeTest, OhneDruckerBleibtDieVorschauOffen)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has a printer, and nothing is to come out of it";
    TVivarix &f = mit({kaa()});
    DialogTest::naechsterDialog([&](QWidget *d) {
        auto *v = static_cast<TDruckvorschau *>(d);
        // The print dialog confirmed as it came: no printer, no file.
        DialogTest::naechsterDialog([](QWidget *p) { static_cast<QDialog *>(p)->done(QDialog::Accepted); });
        v->Button2->click();
        EXPECT_EQ(gesagt(), QStringList{"Bericht|Es ist kein Drucker verfügbar."});
        EXPECT_TRUE(v->isVisible());
        v->Button1->click();
    });
    f.Button3->click();
}
