#include "analysis/ui/TAlarm.h"

#include "analysis/ui/Fensterteile.h"
#include "chart/TChart.h"
#include "toolkit/Dialoge.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {
constexpr int ChartBreite = 385;

QColor farbe(const Auswertung::Farbe &f)
{
    return QColor(f.rot, f.gruen, f.blau);
}

// Builds the sentences in a document of their own and hands it to the text box
// whole: laying out after every insertion would make thousands of lines slow.
void zeilenSchreiben(QTextEdit *box, const std::vector<Auswertung::Zeile> &zeilen)
{
    auto *doc = new QTextDocument(box);
    doc->setUndoRedoEnabled(false);
    doc->setDefaultFont(box->font());
    QTextCharFormat normal;
    QTextCharFormat fett;
    fett.setFontWeight(QFont::Bold);
    QTextCharFormat rot = fett;
    rot.setForeground(farbe(Auswertung::Hervorhebung));

    QTextCursor c(doc);
    c.beginEditBlock();
    for (std::size_t k = 0; k < zeilen.size(); ++k) {
        const Auswertung::Zeile &z = zeilen[k];
        if (k > 0)
            c.insertBlock(QTextBlockFormat(), normal);
        qsizetype pos = 0;
        for (const Auswertung::Spanne &s : z.spannen) {
            if (s.anfang > pos)
                c.insertText(z.text.mid(pos, s.anfang - pos), normal);
            if (s.laenge > 0)
                c.insertText(z.text.mid(s.anfang, s.laenge), s.rot ? rot : fett);
            pos = s.anfang + s.laenge;
        }
        if (pos < z.text.size())
            c.insertText(z.text.mid(pos), normal);
    }
    c.endEditBlock();
    box->setDocument(doc);
}
} // namespace

TAlarm::TAlarm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Alarm"));
    setWindowTitle(QStringLiteral("Hinweis"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    titel = Fensterteile::titel(this);
    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::StyledPanel);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Label1 = Fensterteile::text(Bevel1, QStringLiteral("Label1"));
    Label1->setWordWrap(true);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    RichEdit1 = Fensterteile::textbox(Bevel1, [this] { RichEdit1Enter(); });

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

    Fensterteile::rahmen(this, titel, Bevel1, Button1);
    setFixedSize(457, 474);

    connect(Button1, &QPushButton::clicked, this, &TAlarm::Button1Click);
    Button1->setFocus();
}

void TAlarm::Button1Click()
{
    accept();
}

void TAlarm::RichEdit1Enter()
{
    Button1->setFocus();
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
