// A second yardstick for the start: the same first frame the program shows
// with a collection (menu bar, tool bar, a row of tabs, the card with its two
// pictures, the two journals with twenty feedings, the status bar), put
// together from stock Qt widgets in the most direct way, with nothing of our
// own. It shows what Qt itself costs for that much window; bench/leistung.py
// times it as a whole process, ending at its first painted window, in turn
// with start_minimal and start_vivarix.
#include "AmErstenBild.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>

namespace {

QIcon bild(const QColor &farbe)
{
    QPixmap p(24, 24);
    p.fill(Qt::transparent);
    QPainter maler(&p);
    maler.setBrush(farbe);
    maler.drawEllipse(2, 2, 20, 20);
    return QIcon(p);
}

QLabel *fett(const QString &text)
{
    auto *l = new QLabel(text);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

QLabel *bildLabel(int breite, int hoehe, const QColor &farbe)
{
    QPixmap bild(breite, hoehe);
    bild.fill(farbe);
    auto *l = new QLabel;
    l->setPixmap(bild);
    return l;
}

QWidget *journal(const QString &spalte, int zeilen, bool auswahl)
{
    auto *haelfte = new QWidget;
    auto *senkrecht = new QVBoxLayout(haelfte);
    senkrecht->addWidget(fett(spalte == QLatin1String("Futter") ? "Fresszeiten:" : "Bemerkungen:"));
    auto *tabelle = new QTableWidget(zeilen, 2);
    tabelle->setHorizontalHeaderLabels({"Datum", spalte});
    tabelle->verticalHeader()->hide();
    for (int i = 0; i < zeilen; ++i) {
        tabelle->setItem(i, 0, new QTableWidgetItem(QString("%1.11.26").arg(i + 1, 2, 10, QChar('0'))));
        tabelle->setItem(i, 1, new QTableWidgetItem(QString("Maus %1").arg(i)));
    }
    senkrecht->addWidget(tabelle);
    auto *eingabe = new QHBoxLayout;
    eingabe->addWidget(new QLineEdit("07.12.26"));
    if (auswahl) {
        auto *futter = new QComboBox;
        futter->setEditable(true);
        eingabe->addWidget(futter);
    } else {
        eingabe->addWidget(new QLineEdit);
    }
    auto *neu = new QToolButton;
    neu->setIcon(bild(Qt::darkGreen));
    eingabe->addWidget(neu);
    senkrecht->addLayout(eingabe);
    return haelfte;
}

QWidget *karte()
{
    auto *karte = new QWidget;
    auto *waagrecht = new QHBoxLayout(karte);
    waagrecht->addWidget(bildLabel(110, 135, QColor(200, 230, 200)));
    auto *rahmen = new QFrame;
    rahmen->setFrameShape(QFrame::StyledPanel);
    auto *raster = new QGridLayout(rahmen);
    const char *titel[] = {
        "Name:", "Gattung:", "Farbvariante:", "Geschlecht:", "Schlupfmonat:", "Gewünschtes Fressintervall:"};
    for (int i = 0; i < 6; ++i) {
        raster->addWidget(new QLabel(titel[i]), i, 0);
        auto *wert = i == 0 ? fett("Schlange 0") : new QLabel(i == 5 ? "7" : "");
        wert->setFrameShape(QFrame::Panel);
        wert->setFrameShadow(QFrame::Sunken);
        raster->addWidget(wert, i, 1);
    }
    raster->addWidget(new QLabel("Tage"), 5, 2);
    waagrecht->addWidget(rahmen);
    waagrecht->addWidget(bildLabel(80, 80, QColor(200, 220, 240)));
    auto *knoepfe = new QVBoxLayout;
    for (const char *t : {"Ändern...", "Exportieren...", "Drucken..."})
        knoepfe->addWidget(new QPushButton(t));
    knoepfe->addStretch();
    waagrecht->addLayout(knoepfe);
    return karte;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow fenster;
    fenster.setWindowTitle("Vivarix");
    for (const char *m : {"&Datei", "&Verwaltung", "&?"}) {
        QMenu *menue = fenster.menuBar()->addMenu(m);
        menue->addAction("Neu");
        menue->addAction("Öffnen...");
    }
    QToolBar *leiste = fenster.addToolBar("Werkzeuge");
    for (int i = 0; i < 9; ++i)
        leiste->addAction(bild(QColor::fromHsv(i * 40, 200, 200)), "Befehl");
    auto *mitte = new QWidget;
    auto *senkrecht = new QVBoxLayout(mitte);
    auto *reiter = new QTabBar;
    for (int i = 0; i < 8; ++i)
        reiter->addTab(QString("Schlange %1").arg(i));
    senkrecht->addWidget(reiter);
    senkrecht->addWidget(karte());
    auto *teiler = new QSplitter;
    teiler->addWidget(journal("Futter", 20, true));
    teiler->addWidget(journal("Bemerkungen", 0, false));
    senkrecht->addWidget(teiler, 1);
    fenster.setCentralWidget(mitte);
    fenster.statusBar()->addWidget(new QLabel("Bereit"), 1);
    fenster.statusBar()->addPermanentWidget(new QLabel("start1000.vix"));
    fenster.resize(768, 609);
    NachDemMalen beobachter;
    fenster.installEventFilter(&beobachter);
    fenster.show();
    return app.exec();
}
