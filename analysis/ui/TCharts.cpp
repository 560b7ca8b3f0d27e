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
#include <QVBoxLayout>

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

// A text too long for its step is cut with "…"; the tooltip and a screen
// reader have it whole.
void setzen(QLabel *l, const QString &text)
{
    const QString gezeigt = l->fontMetrics().elidedText(text, Qt::ElideRight, l->maximumWidth());
    l->setText(gezeigt);
    l->adjustSize();
    l->setAccessibleName(text);
    l->setToolTip(gezeigt == text ? QString() : KlartextTooltip(text));
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
    for (std::size_t k = 0; k < 3 && k < plaetze.size(); ++k) {
        setzen(namen[k], plaetze[k].name);
        setzen(anzahlen[k], Auswertung::FEsText(plaetze[k].anzahl));
    }
    RichEdit1->setPlainText(Auswertung::WeiterePlaetze(plaetze));
}

void TCharts::FressParade(QWidget *parent, const TSchlangen &schlangen)
{
    TCharts charts(parent);
    charts.fuellen(Auswertung::FressParade(schlangen));
    Modal(&charts);
}
