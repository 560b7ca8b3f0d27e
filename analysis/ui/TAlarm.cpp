#include "analysis/ui/TAlarm.h"

#include "analysis/ui/Auswertungsteile.h"
#include "chart/TChart.h"
#include "toolkit/Dialoge.h"
#include "toolkit/Fensterteile.h"
#include "toolkit/TZeilenText.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {
constexpr int ChartBreite = 385;

QColor farbe(const Auswertung::Farbe &f)
{
    return QColor(f.rot, f.gruen, f.blau);
}

// Hands the sentences to the text box as plain lines; the box asks for the
// bold and red runs of a line only while it is in view, so ten thousand
// sentences cost no layout beyond the few on screen.
void zeilenSchreiben(TZeilenText *box, const std::vector<Auswertung::Zeile> &zeilen)
{
    std::vector<QString> texte;
    std::vector<std::array<Auswertung::Spanne, 2>> spannen;
    texte.reserve(zeilen.size());
    spannen.reserve(zeilen.size());
    for (const Auswertung::Zeile &z : zeilen) {
        texte.push_back(z.text);
        spannen.push_back(z.spannen);
    }
    QTextCharFormat fett;
    fett.setFontWeight(QFont::Bold);
    QTextCharFormat rot = fett;
    rot.setForeground(farbe(Auswertung::Hervorhebung));
    box->setZeilen(std::move(texte), [spannen = std::move(spannen), fett, rot](int i) {
        QList<QTextLayout::FormatRange> formate;
        for (const Auswertung::Spanne &s : spannen[std::size_t(i)])
            if (s.laenge > 0)
                formate.append({s.anfang, s.laenge, s.rot ? rot : fett});
        return formate;
    });
}
} // namespace

TAlarm::TAlarm(QWidget *parent) : TErgebnisfenster(parent, QStringLiteral("Alarm"), QStringLiteral("Hinweis"))
{
    titel->clear();
    Label1 = TextLabel(Bevel1, {}, QStringLiteral("Label1"));
    Label1->setWordWrap(true);

    okKnopf();
    textbox();

    ScrollBox1 = new QScrollArea(Bevel1);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setAccessibleName(QStringLiteral("Diagramm"));
    ScrollBox1->setFixedSize(409, 193);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Chart1 = new TChart;
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setFixedSize(ChartBreite, Auswertung::DiagrammHoehe(0));
    Series1 = Chart1->serie();
    Series1->setObjectName(QStringLiteral("Series1"));
    Series1->setUrsprung(-0.25);
    ScrollBox1->setWidget(Chart1);
    // An arrow key or a click on the scroll arrows moves the chart by one bar.
    ScrollBox1->verticalScrollBar()->setSingleStep(22);

    auto *innen = new QVBoxLayout(Bevel1);
    innen->setContentsMargins(8, 6, 8, 8);
    innen->setSpacing(4);
    innen->addWidget(Label1);
    innen->addWidget(RichEdit1, 1);
    innen->addWidget(ScrollBox1, 0, Qt::AlignHCenter);

    rahmen(457, 474);
}

void TAlarm::fuellen(const Auswertung::Ergebnis &ergebnis)
{
    zeilenSchreiben(RichEdit1, ergebnis.zeilen);
    for (const Auswertung::Balken &b : ergebnis.balken)
        Series1->Add(double(b.wert), b.name, farbe(b.farbe));
    Chart1->setFixedHeight(Auswertung::DiagrammHoehe(ergebnis.balken.size()));
}

void TAlarm::zeigen(QWidget *parent, const Auswertung::Ergebnis &ergebnis, const QString &ueberschrift,
                    const QString &einleitung)
{
    if (ergebnis.zeilen.empty())
        return; // nothing due: no window, no message
    TAlarm alarm(parent);
    alarm.fuellen(ergebnis);
    alarm.setWindowTitle(ueberschrift);
    alarm.titel->setText(ueberschrift);
    alarm.Label1->setText(einleitung);
    Modal(&alarm);
}

void TAlarm::FressCheck(QWidget *parent, const TSchlangen &schlangen, std::chrono::year_month_day heute)
{
    zeigen(parent, Auswertung::FressCheck(schlangen, heute), QStringLiteral("Fress-Check"),
           QStringLiteral("Hier siehst du, welche Schlangen sich nicht an den Fressplan halten:"));
}

void TAlarm::FressTermine(QWidget *parent, const TSchlangen &schlangen, std::chrono::year_month_day heute)
{
    zeigen(parent, Auswertung::FressTermine(schlangen, heute), QStringLiteral("Fress-Termine"),
           QStringLiteral("Hier siehst du, wann deine Schlangen das nächste Mal gefüttert werden müssen:"));
}
