#include "Fenster.h"

#include "Hilfen.h"
#include "app/Start.h"
#include "app/TDateneingabe.h"
#include "data/Vorauslesen.h"
#include "data/Datendatei.h"
#include "toolkit/TStringGrid.h"
#include "toolkit/TTabControl.h"
#include "toolkit/TWertLabel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <functional>
#include <memory>

void ausloesen(QAction *a)
{
    ASSERT_NE(a, nullptr);
    ASSERT_TRUE(a->isEnabled()) << "the command " << a->objectName().toStdString() << " is disabled";
    a->trigger();
}

void tippen(QWidget *w, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString zeichen = text.mid(i, n);
        const Qt::Key taste = n == 1 ? Qt::Key(text[i].toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, w, taste, zeichen, Qt::NoModifier);
        i += n - 1;
    }
}

Dateigrenze::Dateigrenze(rlim_t bytes) : signalVorher(std::signal(SIGXFSZ, SIG_IGN))
{
    ::getrlimit(RLIMIT_FSIZE, &alt);
    const rlimit neu{bytes, alt.rlim_max};
    ok = ::setrlimit(RLIMIT_FSIZE, &neu) == 0;
}

Dateigrenze::~Dateigrenze()
{
    ::setrlimit(RLIMIT_FSIZE, &alt);
    std::signal(SIGXFSZ, signalVorher);
}

namespace {
// Opens the menu with Shift+F10 on `feld` and hands it to `waehlen` while it is
// open; the window is active before and after, as the window system has it.
void menueMitTastatur(QWidget *feld, QMenu *menue, std::function<void()> waehlen)
{
    QApplication::setActiveWindow(feld->window());
    QSignalSpy offen(menue, &QMenu::aboutToShow);
    QTimer::singleShot(0, menue, [menue, waehlen] {
        waehlen();
        menue->close();
    });
    QTest::keyClick(feld, Qt::Key_F10, Qt::ShiftModifier);
    QApplication::setActiveWindow(feld->window());
    ASSERT_EQ(offen.count(), 1) << "no menu opened";
}
} // namespace

void menueOeffnen(QWidget *feld, QMenu *menue)
{
    menueMitTastatur(feld, menue, [] {});
}

void imMenue(QWidget *feld, QMenu *menue, QAction *a)
{
    auto an = std::make_shared<bool>(false);
    menueMitTastatur(feld, menue, [menue, a, an] {
        *an = a->isEnabled();
        if (*an) {
            menue->setActiveAction(a);
            QTest::keyClick(menue, Qt::Key_Return);
        }
    });
    EXPECT_TRUE(*an) << "the command " << a->objectName().toStdString() << " is disabled";
}

void ganzAbwarten(const TVivarix &w)
{
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.restOffen(); }, 10000));
}

void reiterKlicken(TVivarix &w, int reiter)
{
    if (!w.isVisible())
        w.show();
    auto *leiste = w.TabControl1->findChild<QWidget *>(QStringLiteral("TabControl1Strip"));
    ASSERT_TRUE(leiste);
    QTest::mouseClick(leiste, Qt::LeftButton, {}, w.TabControl1->tabRect(reiter).translated(-leiste->pos()).center());
    ASSERT_EQ(w.TabControl1->currentIndex(), reiter);
}

QStringList futterAuswahl(const TVivarix &w)
{
    QStringList l;
    l.reserve(w.futter1->count());
    for (int i = 0; i < w.futter1->count(); ++i)
        l << w.futter1->itemText(i);
    return l;
}

void stammdaten(const QString &name, const QString &gattung, const QString &bild, const QString &tage)
{
    DialogTest::naechsterDialog([=](QWidget *d) {
        auto *dlg = static_cast<TDateneingabe *>(d);
        dlg->Edit1->setText(name);
        dlg->Edit2->setText(gattung);
        dlg->Edit4->setText(bild);
        dlg->ComboBox1->setEditText(tage);
        dlg->Button2->click();
    });
}

void FensterTest::optionen(const QStringList &zeilen)
{
    dateiSchreiben(pfad("options.ini"), (zeilen.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
}

TVivarix &FensterTest::starten(bool zeigen, bool vorab)
{
    bauen(vorab);
    // Started before it is shown, so showing it does not start it a second
    // time; a large collection is in whole before the test goes on.
    Bewacht(w.get(), [this] { w->FormActivate(); });
    ganzAbwarten(*w);
    if (zeigen) {
        w->show();
        w->activateWindow();
    }
    return *w;
}

TVivarix &FensterTest::bauen(bool vorab)
{
    std::unique_ptr<Vorauslesen> gelesen;
    if (vorab) {
        const QString hier = QDir::currentPath();
        QDir::setCurrent(ordner.path());
        gelesen = Start::vorauslesen();
        QDir::setCurrent(hier);
    }
    w = std::make_unique<TVivarix>();
    w->vorab = std::move(gelesen);
    einrichten(*w);
    return *w;
}

void FensterTest::einrichten(TVivarix &f) const
{
    f.heute = [] { return heute(); };
    f.startVerzeichnis = [dir = ordner.path()] { return dir; };
}

TVivarix &FensterTest::geladen(const QString &name, const TSchlangen &s, const QStringList &mehr, bool zeigen)
{
    datei(name, s);
    optionen(QStringList{"autoload=1", "file=" + pfad(name)} + mehr);
    return starten(zeigen);
}

TSchlange FensterTest::schlange(const QString &name, int futter, int bemerk, int tage)
{
    TSchlange s;
    s.setName(name);
    s.setGattung(QStringLiteral("Python"));
    s.setFarbe(QStringLiteral("Albino"));
    s.setGeschlecht(QStringLiteral("weiblich"));
    s.setSchlupf(QStringLiteral("05/2024"));
    s.setTage(tage);
    for (int i = 0; i < futter; ++i) {
        s.setFutterDatum(i, QDate(2026, 1, 1).addDays(i).toString(QStringLiteral("dd.MM.yy")));
        s.setFutter(i, QStringLiteral("Maus %1").arg(i));
    }
    for (int i = 0; i < bemerk; ++i) {
        s.setBemerkDatum(i, QDate(2025, 1, 1).addDays(i).toString(QStringLiteral("dd.MM.yy")));
        s.setBemerkung(i, QStringLiteral("Häutung %1").arg(i));
    }
    return s;
}

void FensterTest::datei(const QString &name, const TSchlangen &s)
{
    Datendatei::speichern(pfad(name), s);
}

QStringList FensterTest::gesagt()
{
    const QStringList alle = DialogTest::protokoll();
    const QStringList neu = alle.mid(gelesen);
    gelesen = int(alle.size());
    return neu;
}

TSchlange FensterTest::bunt(int nr, int futter, int bemerk)
{
    const QString bild = pfad(QStringLiteral("b%1.bmp").arg(nr));
    if (!QFile::exists(bild)) {
        QImage img(3 + nr, 4, QImage::Format_RGB32);
        img.fill(Qt::green);
        img.save(bild, "BMP");
    }
    TSchlange s;
    s.setName(QStringLiteral("Kaa & %1").arg(nr));
    s.setGattung(QStringLiteral("Morelia viridis %1").arg(nr));
    s.setFarbe(QStringLiteral("Aru €%1").arg(nr));
    s.setGeschlecht(nr % 2 ? QStringLiteral("männlich") : QStringLiteral("weiblich"));
    s.setSchlupf(QStringLiteral("%1/2019").arg(nr + 1, 2, 10, QLatin1Char('0')));
    s.setBild(bild);
    s.setTage(10 + nr);
    for (int i = 0; i < futter; ++i) {
        s.setFutterDatum(i, QDate(2026, 3, 1).addDays(-7 * i - nr).toString(QStringLiteral("dd.MM.yy")));
        s.setFutter(i, QStringLiteral("Ratte %1.%2").arg(nr).arg(i));
    }
    for (int i = 0; i < bemerk; ++i) {
        s.setBemerkDatum(i, QDate(2025, 6, 1).addDays(-3 * i - nr).toString(QStringLiteral("dd.MM.yy")));
        s.setBemerkung(i, QStringLiteral("Häutung %1.%2").arg(nr).arg(i));
    }
    return s;
}

QStringList FensterTest::angezeigt(const TVivarix &w)
{
    QStringList l{w.TabControl1->tabText(w.TabControl1->currentIndex()),
                  w.name->text(),
                  w.gattung->text(),
                  w.farbe->text(),
                  w.geschlecht->text(),
                  w.schlupf->text(),
                  w.tage->text(),
                  w.Bilddatei};
    for (const auto &[kenn, g] : {std::pair{u'F', w.StringGrid1}, std::pair{u'B', w.StringGrid2}})
        for (int r = 1; r < g->RowCount(); ++r)
            if (!g->Cells(0, r).isEmpty() || !g->Cells(1, r).isEmpty())
                l << QString(kenn) + u' ' + g->Cells(0, r) + u'|' + g->Cells(1, r);
    return l;
}

QStringList FensterTest::gespeichert(const TSchlange &s)
{
    QStringList l{s.name(), s.name(), s.gattung(), s.farbe(), s.geschlecht(), s.schlupf(), QString::number(s.tage()),
                  s.bild()};
    for (int i = 0; i < s.futterAnzahl(); ++i)
        l << QStringLiteral("F ") + s.futterDatum(i) + u'|' + s.futter(i);
    for (int i = 0; i < s.bemerkAnzahl(); ++i)
        l << QStringLiteral("B ") + s.bemerkDatum(i) + u'|' + s.bemerkung(i);
    return l;
}

const QSet<QString> Bearbeitbar{"StringGrid1",
                                "StringGrid2",
                                "datum1",
                                "datum2",
                                "futter1",
                                "futter2",
                                "ok1",
                                "ok2",
                                "Button1",
                                "Button2",
                                "Button3",
                                "Speichern1",
                                "SpeichernUnter1",
                                "ToolButton3",
                                "Schlangelschen1",
                                "ToolButton6",
                                "GeheZu1"};

QSet<QString> eingeschalteteNamen(const QWidget &w)
{
    QSet<QString> an;
    for (const QWidget *c : w.findChildren<QWidget *>())
        if (!c->objectName().isEmpty() && !c->testAttribute(Qt::WA_ForceDisabled))
            an << c->objectName();
    for (const QAction *a : w.findChildren<QAction *>())
        if (!a->objectName().isEmpty() && a->isEnabled())
            an << a->objectName();
    return an;
}
