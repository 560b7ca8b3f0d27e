#include "analysis/ui/TCharts.h"

#include "analysis/ui/Auswertungsteile.h"
#include "bild/Bild.h"
#include "toolkit/Dialoge.h"
#include "toolkit/Fensterteile.h"
#include "toolkit/Klartext.h"
#include "toolkit/TZeilenText.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTextLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace {
constexpr int PodestBreite = 313;
constexpr int PodestHoehe = 120;

// The podium on black, sharp on a screen that scales too.
QPixmap podest(qreal skalierung)
{
    const QSize groesse(PodestBreite, PodestHoehe);
    QPixmap bild(groesse * skalierung);
    bild.setDevicePixelRatio(skalierung);
    bild.fill(Qt::black);
    QPainter p(&bild);
    p.drawPixmap(QRect(QPoint(0, 0), groesse), Bild::symbol("podest").pixmap(groesse, skalierung));
    return bild;
}

// Where each step of the picture ends on the right: a place's labels stand
// above its step, right of its cup, and end with it.
constexpr int StufeEnde1 = 190, StufeEnde2 = 98, StufeEnde3 = 282;

// The black ground above a step that its name and count may take: from
// `oben` down to the step's top edge, the count at `zahlY` or lower.
struct Stufe {
    int oben, zahlY, stufeOben;
};
constexpr Stufe Stufen[3] = {{0, 16, 33}, {20, 59, 77}, {31, 59, 85}};
// A name of one line in the base size stands this far above its count.
constexpr int NamensZeile = 14;
constexpr qreal Schriftgroessen[] = {8, 7, 6}; // points, tried in turn before a name is cut

// Where each line of `text` begins when no line may be wider than `breite`:
// broken at blanks where it can be and anywhere else where not.
QList<int> zeilen(const QString &text, const QFont &schrift, int breite)
{
    QTextLayout satz(text, schrift);
    QTextOption umbruch;
    umbruch.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    satz.setTextOption(umbruch);
    QList<int> z;
    satz.beginLayout();
    for (QTextLine zeile = satz.createLine(); zeile.isValid(); zeile = satz.createLine()) {
        zeile.setLineWidth(breite);
        z << zeile.textStart();
    }
    satz.endLayout();
    return z;
}

// A place label over the picture: plain text in "MS Sans Serif" 8 points on
// black, never wider than from `x` to the end of its step.
QLabel *platzLabel(QLabel *bild, const char *name, int x, int y, int stufenEnde, const QColor &schrift)
{
    QLabel *l = TextLabel(bild, {}, QLatin1String(name));
    l->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, schrift);
    l->setPalette(pal);
    l->move(x, y);
    l->setMaximumWidth(stufenEnde - x);
    l->adjustSize();
    return l;
}

// A text too long for its place is cut with "…"; the tooltip and a screen
// reader have it whole.
void setzen(QLabel *l, const QString &text, const QString &gezeigt, bool gekuerzt)
{
    l->setText(gezeigt);
    l->adjustSize();
    l->setAccessibleName(text);
    l->setToolTip(gekuerzt ? KlartextTooltip(text) : QString());
}

// A place's name and count over its step: the name on one line in the base
// size where it fits, else on two lines, in a smaller size where that is what
// it takes; the count below it, in the same size, moved down as far as the
// step lets it. Only a name that fits none of these is cut, on its last line.
void platzieren(QLabel *name, QLabel *zahl, const Stufe &s, const QString &text, const QString &anzahl)
{
    const int breite = name->maximumWidth();
    QFont schrift = name->font();
    // Sets both labels in `pt` points, the name in `zeilen`; the count's top,
    // or -1 where they do not fit over the step.
    const auto setzenIn = [&](qreal pt, const QStringList &zeilen, bool gekuerzt) {
        schrift.setPointSizeF(pt);
        for (QLabel *l : {name, zahl})
            l->setFont(schrift);
        setzen(name, text, zeilen.join(u'\n'), gekuerzt);
        setzen(zahl, anzahl, anzahl, false);
        // One line in the base size stands where the layout has always put it.
        const int namensHoehe = zeilen.size() == 1 && pt == Schriftgroessen[0] ? NamensZeile : name->height();
        const int zahlY = std::max(s.zahlY, s.oben + namensHoehe);
        if (zahlY + zahl->height() > s.stufeOben)
            return -1;
        name->move(name->x(), zahlY - namensHoehe);
        zahl->move(zahl->x(), zahlY);
        return zahlY;
    };
    std::optional<std::pair<qreal, QStringList>> gekuerzt; // the smallest cut that fits, should none fit whole
    for (const qreal pt : Schriftgroessen) {
        schrift.setPointSizeF(pt);
        const QList<int> z = zeilen(text, schrift, breite);
        const QString erste = text.left(z.size() > 1 ? z[1] : text.size()).trimmed();
        const QString rest = z.size() > 1 ? text.mid(z[1]).trimmed() : QString();
        const QStringList ganz = z.size() > 1 ? QStringList{erste, rest} : QStringList{erste};
        if (z.size() <= 2 && setzenIn(pt, ganz, false) >= 0)
            return;
        const QStringList kurz{erste, QFontMetrics(schrift).elidedText(rest, Qt::ElideRight, breite)};
        if (z.size() > 2 && setzenIn(pt, kurz, true) >= 0)
            gekuerzt = std::pair{pt, kurz};
    }
    if (gekuerzt) {
        setzenIn(gekuerzt->first, gekuerzt->second, true);
        return;
    }
    // No room for two lines: one, cut, in the base size.
    schrift.setPointSizeF(Schriftgroessen[0]);
    const QString eine = QFontMetrics(schrift).elidedText(text, Qt::ElideRight, breite);
    setzenIn(Schriftgroessen[0], {eine}, eine != text);
}
} // namespace

TCharts::TCharts(QWidget *parent) : TErgebnisfenster(parent, QStringLiteral("Charts"), QStringLiteral("Fress-Parade"))
{
    Label1 = TextLabel(Bevel1, QStringLiteral("Welche Schlange ist am gierigsten:"), QStringLiteral("Label1"));

    Image1 = new QLabel(Bevel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(PodestBreite, 121);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(podest(Image1->devicePixelRatio()));
    Image1->setAutoFillBackground(true);
    QPalette schwarz = Image1->palette();
    schwarz.setColor(QPalette::Window, Qt::black);
    Image1->setPalette(schwarz);

    const QColor weiss(Qt::white);
    const QColor silber(192, 192, 192);
    Label6 = platzLabel(Image1, "Label6", 130, 16, StufeEnde1, silber);
    Label7 = platzLabel(Image1, "Label7", 38, 45, StufeEnde2, weiss);
    Label8 = platzLabel(Image1, "Label8", 38, 59, StufeEnde2, silber);
    Label9 = platzLabel(Image1, "Label9", 219, 45, StufeEnde3, weiss);
    Label10 = platzLabel(Image1, "Label10", 219, 59, StufeEnde3, silber);
    Label5 = platzLabel(Image1, "Label5", 130, 2, StufeEnde1, weiss);

    Label2 = TextLabel(Bevel1, QStringLiteral("Weitere Platzierungen:"), QStringLiteral("Label2"));
    textbox();
    RichEdit1->setFixedSize(PodestBreite, 105);
    RichEdit1->setAccessibleName(QStringLiteral("Weitere Platzierungen"));
    QPalette knopfFarbe = RichEdit1->palette();
    knopfFarbe.setColor(QPalette::Base, knopfFarbe.color(QPalette::Button));
    RichEdit1->setPalette(knopfFarbe);

    okKnopf();

    auto *innen = new QVBoxLayout(Bevel1);
    innen->setContentsMargins(8, 6, 8, 8);
    innen->setSpacing(4);
    innen->addWidget(Label1);
    innen->addWidget(Image1, 0, Qt::AlignHCenter);
    innen->addWidget(Label2);
    innen->addWidget(RichEdit1, 0, Qt::AlignHCenter);
    innen->addStretch(1);

    rahmen(364, 361);
}

void TCharts::fuellen(const std::vector<Auswertung::Platz> &plaetze)
{
    QLabel *const namen[] = {Label5, Label7, Label9};
    QLabel *const anzahlen[] = {Label6, Label8, Label10};
    for (std::size_t k = 0; k < 3 && k < plaetze.size(); ++k)
        platzieren(namen[k], anzahlen[k], Stufen[k], plaetze[k].name, Auswertung::FEsText(plaetze[k].anzahl));
    RichEdit1->setPlainText(Auswertung::WeiterePlaetze(plaetze));
}

void TCharts::FressParade(QWidget *parent, const TSchlangen &schlangen)
{
    TCharts charts(parent);
    charts.fuellen(Auswertung::FressParade(schlangen));
    Modal(&charts);
}
