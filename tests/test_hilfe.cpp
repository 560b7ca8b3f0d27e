// The help window, where it finds its pages, the shipped pages themselves, and the about box.
#include "Fenster.h"
#include "Hilfen.h"
#include "Version.h"

#include "help/Hilfeort.h"
#include "help/ui/THilfe.h"
#include "help/ui/TInfo.h"
#include "toolkit/Fensterteile.h"
#include "toolkit/TTabControl.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <sys/stat.h>

namespace {

// Catches what would go to the system's web browser.
class Webbrowser : public QObject {
    Q_OBJECT
public:
    QList<QUrl> geoeffnet;
public slots:
    void oeffnen(const QUrl &url) { geoeffnet << url; }
};

class HilfeTest : public FensterTest {};

} // namespace

TEST(Hilfeort, ReihenfolgeUndErsteSeiteDieEsGibt)
{
    EXPECT_EQ(Hilfeort::ordner("/a", "/b/", "/c/bin"),
              (QStringList{"/a/hilfe", "/b/hilfe", "/c/bin/hilfe", "/c/share/vivarix/hilfe"}));
    // No start folder yet, and a start folder that is the current one, are not tried twice.
    EXPECT_EQ(Hilfeort::ordner("/a", "", "/a/bin"),
              (QStringList{"/a/hilfe", "/a/bin/hilfe", "/a/share/vivarix/hilfe"}));
    EXPECT_EQ(Hilfeort::ordner("/a", "/a", "/a/bin"), Hilfeort::ordner("/a", "", "/a/bin"));

    QTemporaryDir t;
    ASSERT_TRUE(QDir(t.path()).mkpath("leer/hilfe"));
    ASSERT_TRUE(QDir(t.path()).mkpath("ordner/hilfe/hilfe.htm")); // a folder of that name is no page
    ASSERT_TRUE(QDir(t.path()).mkpath("drei/hilfe"));
    ASSERT_TRUE(QDir(t.path()).mkpath("vier/hilfe"));
    dateiSchreiben(t.filePath("drei/hilfe/hilfe.htm"), "<p>drei</p>");
    dateiSchreiben(t.filePath("vier/hilfe/hilfe.htm"), "<p>vier</p>");
    const auto o = [&](const char *n) { return t.filePath(QString::fromLatin1(n) + "/hilfe"); };
    EXPECT_EQ(Hilfeort::finden({o("leer"), o("ordner"), o("drei"), o("vier")}), t.filePath("drei/hilfe/hilfe.htm"));
    EXPECT_EQ(Hilfeort::finden({o("leer"), o("ordner"), o("fehlt")}), QString());
}

namespace {
// A file of `n` bytes that takes no room on the disk.
void leereDatei(const QString &pfad, qint64 n)
{
    QFile f(pfad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(n));
}
} // namespace

TEST(Hilfeort, NurRegulaereDateienImHilfeordnerInIhrerGrenze)
{
    QTemporaryDir t;
    const QString h = t.filePath("hilfe");
    ASSERT_TRUE(QDir(h).mkpath("bilder"));
    dateiSchreiben(h + "/bilder/gut.png", "png");
    dateiSchreiben(t.filePath("fremd.htm"), "<p>fremd</p>");
    ASSERT_EQ(::mkfifo(QFile::encodeName(h + "/rohr.png").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", h + "/null.png"));
    ASSERT_TRUE(QFile::link(t.filePath("fremd.htm"), h + "/fremd.htm"));
    ASSERT_TRUE(QFile::link(h + "/bilder/gut.png", h + "/verweis.png")); // a link within the folder is fine
    leereDatei(h + "/gross.htm", Hilfeort::SeiteHoechstens + 1);
    leereDatei(h + "/genau.htm", Hilfeort::SeiteHoechstens);
    struct Fall {
        QString datei;
        qsizetype grenze;
        bool gelesen;
    };
    const Fall faelle[] = {
        {h + "/bilder/gut.png", Hilfeort::BildHoechstens, true},
        {h + "/verweis.png", Hilfeort::BildHoechstens, true},
        {h + "/genau.htm", Hilfeort::SeiteHoechstens, true},
        {h + "/gross.htm", Hilfeort::SeiteHoechstens, false},
        {h + "/rohr.png", Hilfeort::BildHoechstens, false},
        {h + "/null.png", Hilfeort::BildHoechstens, false},
        {h + "/fremd.htm", Hilfeort::SeiteHoechstens, false},
        {h + "/../fremd.htm", Hilfeort::SeiteHoechstens, false},
        {h + "/bilder", Hilfeort::SeiteHoechstens, false},
        {h + "/fehlt.png", Hilfeort::BildHoechstens, false},
    };
    for (const Fall &f : faelle) {
        SCOPED_TRACE(f.datei.toStdString());
        EXPECT_EQ(Hilfeort::lesbar(h, f.datei, f.grenze), f.gelesen);
        const std::optional<QByteArray> bytes = Hilfeort::lesen(h, f.datei, f.grenze);
        ASSERT_EQ(bytes.has_value(), f.gelesen);
        if (f.gelesen) {
            EXPECT_EQ(*bytes, dateiLesen(f.datei));
        }
    }
    // A page too large, or one that is a link out of its folder, is no help page: the next folder's is taken.
    for (const char *n : {"gross", "link", "drei"})
        ASSERT_TRUE(QDir(t.path()).mkpath(QString::fromLatin1(n) + "/hilfe"));
    leereDatei(t.filePath("gross/hilfe/hilfe.htm"), Hilfeort::SeiteHoechstens + 1);
    ASSERT_TRUE(QFile::link(t.filePath("fremd.htm"), t.filePath("link/hilfe/hilfe.htm")));
    dateiSchreiben(t.filePath("drei/hilfe/hilfe.htm"), "<p>drei</p>");
    EXPECT_EQ(Hilfeort::finden({t.filePath("gross/hilfe"), t.filePath("link/hilfe"), t.filePath("drei/hilfe")}),
              t.filePath("drei/hilfe/hilfe.htm"));
}

TEST_F(HilfeTest, BilderUndStilvorlagenNurAusDemHilfeordnerOhneZuWarten)
{
    // A page that names a pipe, a device, a file outside its folder and one too large:
    // each is shown as missing, and the window opens at once.
    ASSERT_TRUE(QDir(ordner.path()).mkpath("hilfe"));
    QImage rot(4, 4, QImage::Format_RGB32);
    rot.fill(Qt::red);
    ASSERT_TRUE(rot.save(pfad("hilfe/gut.png")));
    ASSERT_TRUE(rot.save(pfad("fremd.png")));
    // A folder beside the help whose name begins like it is outside it too.
    ASSERT_TRUE(QDir(ordner.path()).mkpath("hilfe-alt"));
    ASSERT_TRUE(rot.save(pfad("hilfe-alt/alt.png")));
    // Between the two limits: a picture of that size is shown, a style sheet is not read.
    QByteArray mittel = dateiLesen(pfad("fremd.png"));
    mittel.append(Hilfeort::SeiteHoechstens + 1 - mittel.size(), '\0');
    dateiSchreiben(pfad("hilfe/mittel.png"), mittel);
    dateiSchreiben(pfad("hilfe/mittel.css"), "p.c { color: #0000ff }" + QByteArray(Hilfeort::SeiteHoechstens, ' '));
    dateiSchreiben(pfad("hilfe/gut.css"), "p.a { color: #00ff00 }");
    dateiSchreiben(pfad("fremd.css"), "p.b { color: #ff0000 }");
    for (const char *n : {"hilfe/rohr.png", "hilfe/rohr.css"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(pfad(n)).constData(), 0600), 0);
    for (const char *n : {"hilfe/null.png", "hilfe/null.css"})
        ASSERT_TRUE(QFile::link("/dev/zero", pfad(n)));
    leereDatei(pfad("hilfe/gross.png"), Hilfeort::BildHoechstens + 1);
    dateiSchreiben(pfad("hilfe/hilfe.htm"),
                   "<html><head><link rel=\"stylesheet\" type=\"text/css\" href=\"gut.css\">"
                   "<link rel=\"stylesheet\" type=\"text/css\" href=\"../fremd.css\">"
                   "<link rel=\"stylesheet\" type=\"text/css\" href=\"rohr.css\">"
                   "<link rel=\"stylesheet\" type=\"text/css\" href=\"null.css\">"
                   "<link rel=\"stylesheet\" type=\"text/css\" href=\"mittel.css\"></head><body>"
                   "<p class=\"c\">Blau</p><img src=\"mittel.png\"><img src=\"../hilfe-alt/alt.png\">"
                   "<p class=\"a\">Gruen</p><p class=\"b\">Schwarz</p><img src=\"gut.png\"><img src=\"rohr.png\">"
                   "<img src=\"null.png\"><img src=\"gross.png\"><img src=\"../fremd.png\"></body></html>");
    // In the current folder, tried first: a page far too large to be help.
    QTemporaryDir anderswo;
    ASSERT_TRUE(QDir(anderswo.path()).mkpath("hilfe"));
    leereDatei(anderswo.filePath("hilfe/hilfe.htm"), 29 << 20);
    const QString vorher = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(anderswo.path()));
    optionen({"futter="});
    TVivarix &f = starten();

    bool gesehen = false;
    DialogTest::naechsterDialog([&](QWidget *w) {
        QTextBrowser *b = static_cast<THilfe *>(w)->WebBrowser1;
        EXPECT_EQ(b->source(), QUrl::fromLocalFile(pfad("hilfe/hilfe.htm")));
        QTextDocument *d = b->document();
        EXPECT_EQ(d->find("Gruen").charFormat().foreground().color(), QColor("#00ff00"));
        EXPECT_NE(d->find("Schwarz").charFormat().foreground().color(), QColor("#ff0000"));
        EXPECT_NE(d->find("Blau").charFormat().foreground().color(), QColor("#0000ff"));
        for (const char *n : {"hilfe/gut.png", "hilfe/mittel.png", "hilfe/rohr.png", "hilfe/null.png",
                              "hilfe/gross.png", "fremd.png", "hilfe-alt/alt.png"}) {
            const QVariant bild = d->resource(QTextDocument::ImageResource, QUrl::fromLocalFile(pfad(n)));
            const bool gezeigt = n == std::string("hilfe/gut.png") || n == std::string("hilfe/mittel.png");
            EXPECT_EQ(bild.userType() == QMetaType::QPixmap, gezeigt) << n;
        }
        gesehen = true;
        static_cast<THilfe *>(w)->Button1->click();
    });
    ausloesen(f.Hilfe2);
    QDir::setCurrent(vorher);
    EXPECT_TRUE(gesehen);
    EXPECT_EQ(gesagt(), QStringList());
}

TEST_F(HilfeTest, FindetDieHilfeImStartordnerAuchWennDasAktuelleVerzeichnisWechselte)
{
    ASSERT_TRUE(QDir(ordner.path()).mkpath("hilfe"));
    dateiSchreiben(pfad("hilfe/hilfe.htm"), "<html><body><p>Startseite</p><a href=\"zwei.htm#teil\">weiter</a>"
                                            "</body></html>");
    dateiSchreiben(pfad("hilfe/zwei.htm"), "<html><body><p>Seite zwei</p><a name=\"teil\">Teil</a></body></html>");
    dateiSchreiben(pfad("hilfe/daten.vix"), QByteArray(100, '\0'));
    optionen({"futter="});
    TVivarix &f = starten();

    QTemporaryDir anderswo; // as after a file dialog: the current directory has moved
    const QString vorher = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(anderswo.path()));
    Webbrowser web;
    QDesktopServices::setUrlHandler("https", &web, "oeffnen");

    const QUrl start = QUrl::fromLocalFile(pfad("hilfe/hilfe.htm"));
    for (QAction *befehl : {f.Hilfe2, f.ToolButton8}) {
        bool geschlossen = false;
        DialogTest::naechsterDialog([&](QWidget *w) {
            auto *h = static_cast<THilfe *>(w);
            QTextBrowser *b = h->WebBrowser1;
            EXPECT_EQ(h->windowTitle(), QStringLiteral("Hilfe"));
            EXPECT_EQ(b->source(), start);
            EXPECT_TRUE(b->toPlainText().startsWith(QStringLiteral("Startseite")));

            emit b->anchorClicked(QUrl("https://www.vivarix.de/"));
            EXPECT_EQ(web.geoeffnet, QList<QUrl>{QUrl("https://www.vivarix.de/")});
            EXPECT_EQ(b->source(), start);
            emit b->anchorClicked(QUrl("daten.vix")); // a local file that is no page stays closed
            EXPECT_EQ(b->source(), start);

            emit b->anchorClicked(QUrl("zwei.htm#teil"));
            EXPECT_EQ(b->source().adjusted(QUrl::RemoveFragment), QUrl::fromLocalFile(pfad("hilfe/zwei.htm")));
            EXPECT_EQ(b->source().fragment(), QStringLiteral("teil"));
            EXPECT_TRUE(b->toPlainText().startsWith(QStringLiteral("Seite zwei")));
            QTest::keyClick(b, Qt::Key_Left, Qt::AltModifier);
            EXPECT_EQ(b->source(), start);

            web.geoeffnet.clear();
            h->Button1->click();
            geschlossen = !h->isVisible();
        });
        ausloesen(befehl);
        EXPECT_TRUE(geschlossen) << befehl->objectName().toStdString();
    }
    QDesktopServices::unsetUrlHandler("https");
    QDir::setCurrent(vorher);
    EXPECT_TRUE(gesagt().isEmpty());
}

TEST_F(HilfeTest, MitgelieferteHilfeVerweistNurAufVorhandeneSeitenUndNenntJedesTastenkuerzel)
{
    const QDir hilfe(QStringLiteral(VIVARIX_SOURCE_DIR "/help/hilfe"));
    QString alles;
    QMap<QString, QString> seiten;
    for (const QString &name : hilfe.entryList({"*.htm"}, QDir::Files)) {
        const QString html = QString::fromUtf8(dateiLesen(hilfe.filePath(name)));
        seiten[name] = html;
        QTextDocument d;
        d.setHtml(html);
        alles += d.toPlainText() + u'\n';
    }
    ASSERT_TRUE(seiten.contains("hilfe.htm"));
    const QRegularExpression verweis(QStringLiteral("href=\"([^\"]*)\""));
    for (auto it = seiten.cbegin(); it != seiten.cend(); ++it) {
        for (const auto &m : verweis.globalMatch(it.value())) {
            const QUrl ziel(m.captured(1));
            const QString wo = it.key() + ": " + m.captured(1);
            if (!ziel.scheme().isEmpty()) {
                EXPECT_TRUE(ziel.scheme() == u"https" || ziel.scheme() == u"mailto") << wo.toStdString();
                continue;
            }
            const QString seite = ziel.path().isEmpty() ? it.key() : ziel.path();
            ASSERT_TRUE(QFileInfo(hilfe.filePath(seite)).isFile()) << wo.toStdString();
            if (ziel.hasFragment()) {
                EXPECT_TRUE(seiten[seite].contains("id=\"" + ziel.fragment() + "\"")) << wo.toStdString();
            }
        }
    }

    // The pages share one stylesheet, which the browser finds beside them.
    QTextBrowser b;
    b.setSource(QUrl::fromLocalFile(hilfe.filePath("hilfe.htm")));
    EXPECT_EQ(b.document()->find("Willkommen bei Vivarix").charFormat().foreground().color(), QColor("#1b5e20"));

    TVivarix &f = starten();
    int kuerzel = 0;
    for (QMenu *menue : {f.Datei1, f.Schlangen1, f.Hilfe1})
        for (QAction *a : menue->actions()) {
            if (a->shortcut().isEmpty())
                continue;
            ++kuerzel;
            const QString taste = a->shortcut().toString(QKeySequence::PortableText).replace("Ctrl", "Strg");
            const QString befehl = OhneKuerzel(a->text());
            EXPECT_TRUE(alles.contains(QRegularExpression("\\n" + QRegularExpression::escape(taste) + "\\s*\\n" +
                                                          QRegularExpression::escape(befehl) + "\\n")))
                << taste.toStdString() << " " << befehl.toStdString();
        }
    EXPECT_EQ(kuerzel, 11);
}

TEST_F(HilfeTest, JedeTasteUndJederBefehlDerHilfeGibtEsSo)
{
    TVivarix &f = starten(true);
    // Every command of the menus by its caption as it reads, with its menu's title.
    QMap<QString, QAction *> befehle;
    QMap<QString, QString> menueVon;
    for (QMenu *menue : {f.Datei1, f.findChild<QMenu *>("Bearbeiten1"), f.Schlangen1, f.Hilfe1})
        for (QAction *a : menue->actions())
            if (!a->isSeparator()) {
                befehle[OhneKuerzel(a->text())] = a;
                menueVon[OhneKuerzel(a->text())] = OhneKuerzel(menue->title());
            }
    const auto taste = [](const QAction *a) {
        return a->shortcut().toString(QKeySequence::PortableText).replace("Ctrl", "Strg");
    };
    const auto klartext = [](const QString &html) {
        QTextDocument d;
        d.setHtml(html);
        return d.toPlainText().simplified();
    };
    // Keys that belong to the window and the tab strip rather than to a command,
    // and what each of them does.
    const QMap<QString, std::function<void()>> fensterTasten{
        {"Alt+F4", [] {}}, // the window system closes the window, as "Beenden" does
        {"Strg+Tabulator, Strg+Umschalt+Tabulator",
         [&] {
             QTest::keyClick(f.TabControl1, Qt::Key_Tab, Qt::ControlModifier);
             EXPECT_EQ(f.TabControl1->currentIndex(), 1);
             QTest::keyClick(f.TabControl1, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
             EXPECT_EQ(f.TabControl1->currentIndex(), 0);
         }},
    };
    f.Schlangen = {schlange("Kaa"), schlange("Nagini")};
    f.TabControl1->setTabs({"Kaa", "Nagini"});

    const QDir hilfe(QStringLiteral(VIVARIX_SOURCE_DIR "/help/hilfe"));
    const QRegularExpression zeile("<tr>(.*?)</tr>", QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression zelle("<td>(.*?)</td>", QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression istTaste("^(Strg\\+|Alt\\+|F\\d)");
    const QRegularExpression kopf("<h2[^>]*>([^<(]+) \\((F\\d+)\\)</h2>");
    int geprueft = 0;
    for (const QString &name : hilfe.entryList({"*.htm"}, QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        const QString html = QString::fromUtf8(dateiLesen(hilfe.filePath(name)));
        // Tables of commands and keys: the key in one cell, the command in another.
        for (const auto &z : zeile.globalMatch(html)) {
            QStringList zellen;
            for (const auto &c : zelle.globalMatch(z.captured(1)))
                zellen << klartext(c.captured(1));
            if (zellen.size() < 2)
                continue;
            const bool befehlZuerst = befehle.contains(zellen[0]);
            const QString befehl = befehlZuerst ? zellen[0] : zellen[1];
            const QString t = befehlZuerst ? zellen[1] : zellen[0];
            if (befehle.contains(befehl)) {
                EXPECT_EQ(t, taste(befehle[befehl])) << befehl.toStdString();
                ++geprueft;
            } else if (istTaste.match(t).hasMatch()) {
                ASSERT_TRUE(fensterTasten.contains(t))
                    << "no such command: " << befehl.toStdString() << " (" << t.toStdString() << ")";
                fensterTasten[t]();
                ++geprueft;
            }
        }
        // "Verwaltung › Optionen... (Strg+O)" in the text: that menu has that command, with that key.
        const QString text = klartext(html);
        for (qsizetype i = text.indexOf(u'›'); i >= 0; i = text.indexOf(u'›', i + 1)) {
            const QString menue = text.left(i).trimmed().section(u' ', -1);
            const QString nach = text.mid(i + 1).trimmed();
            QString befehl;
            for (auto it = befehle.cbegin(); it != befehle.cend(); ++it)
                if (nach.startsWith(it.key()) && it.key().size() > befehl.size())
                    befehl = it.key();
            ASSERT_FALSE(befehl.isEmpty()) << "no such command: " << nach.left(40).toStdString();
            EXPECT_EQ(menueVon[befehl], menue) << befehl.toStdString();
            const QString rest = nach.mid(befehl.size());
            if (rest.startsWith(" (")) {
                EXPECT_EQ(rest.mid(2).section(u')', 0, 0), taste(befehle[befehl])) << befehl.toStdString();
            }
            ++geprueft;
        }
        // Headings such as "Fress-Check (F2)".
        for (const auto &m : kopf.globalMatch(html)) {
            const QString befehl = m.captured(1) + "...";
            ASSERT_TRUE(befehle.contains(befehl)) << befehl.toStdString();
            EXPECT_EQ(taste(befehle[befehl]), m.captured(2)) << befehl.toStdString();
            ++geprueft;
        }
    }
    // Both tables (menus and keyboard), the menu paths and the headings were found.
    EXPECT_GE(geprueft, 13 + 12 + 4 + 3);
}

TEST_F(HilfeTest, InfoZeigtVersionWeissAufSchwarzUndSchliesstMitOk)
{
    TVivarix &f = starten();
    bool geschlossen = false;
    DialogTest::naechsterDialog([&](QWidget *w) {
        auto *i = static_cast<TInfo *>(w);
        EXPECT_EQ(i->windowTitle(), QStringLiteral("Info"));
        EXPECT_EQ(i->titel->text(), QStringLiteral("Info"));
        EXPECT_EQ(i->Label1->text(), QStringLiteral("Version " VIVARIX_VERSION));
        EXPECT_EQ(i->Label1->palette().color(QPalette::Window), QColor(Qt::black));
        EXPECT_EQ(i->Label1->palette().color(QPalette::WindowText), QColor(Qt::white));
        EXPECT_TRUE(i->Label1->font().bold());
        // On the banner, in its lower right corner.
        EXPECT_EQ(i->Label1->parentWidget(), i->Image2);
        EXPECT_EQ(i->Label1->geometry().bottomRight(), i->Image2->rect().bottomRight());
        EXPECT_GT(i->Image1->height(), 2 * i->Image1->width()); // narrow and upright
        EXPECT_GT(i->Image2->width(), 2 * i->Image2->height()); // a banner
        EXPECT_FALSE(i->Image1->pixmap().isNull());
        EXPECT_FALSE(i->Image2->pixmap().isNull());
        EXPECT_EQ(i->Label3->text(), QStringLiteral("Kommentare, Anregungen, Kritik, Fehlermeldungen an:"));
        i->Button1->click();
        geschlossen = !i->isVisible();
    });
    ausloesen(f.ber1);
    EXPECT_TRUE(geschlossen);
}

#include "test_hilfe.moc"
