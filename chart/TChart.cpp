#include "chart/TChart.h"

#include "toolkit/Klartext.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHash>
#include <QHelpEvent>
#include <QToolTip>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {
constexpr int Rand = 4;               // white margin around the drawing
constexpr int LabelAbstand = 6;       // between the labels and the bars
constexpr int Linie = 20;             // length of the line from a bar to its mark
constexpr double Balkenanteil = 0.65; // a bar's thickness as a part of its row

QString markenText(double wert)
{
    if (std::isfinite(wert) && wert == std::trunc(wert) && std::abs(wert) < 9.0e15)
        return QString::number(qint64(wert));
    return QString::number(wert);
}
} // namespace

TBalkenSerie::TBalkenSerie(TChart *diagramm) : QObject(diagramm), chart(diagramm) {}

void TBalkenSerie::Add(double wert, const QString &beschriftung, const QColor &farbe)
{
    balken.push_back({wert, beschriftung, farbe});
    chart->geaendert();
}

void TBalkenSerie::setUrsprung(double u)
{
    start = u;
    chart->geaendert();
}

TChart::TChart(QWidget *parent) : QWidget(parent), balkenSerie(new TBalkenSerie(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent); // every exposed pixel is painted
    setAccessibleName(QStringLiteral("Diagramm"));
}

void TChart::geaendert()
{
    cache.gueltig = false;
    update();
}

void TChart::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange)
        cache.gueltig = false;
    QWidget::changeEvent(e);
}

bool TChart::event(QEvent *e)
{
    if (e->type() != QEvent::ToolTip)
        return QWidget::event(e);
    const auto *hilfe = static_cast<QHelpEvent *>(e);
    const Raster r = raster();
    const int i = int(std::floor((r.unten - hilfe->pos().y()) / r.hoehe));
    if (i >= 0 && i < balkenSerie->Count() && hilfe->pos().x() <= r.labelRechts &&
        sichtbareBeschriftung(i) != (*balkenSerie)[i].beschriftung) {
        // A tooltip reads markup: show the label as the text it is.
        QToolTip::showText(hilfe->globalPos(), KlartextTooltip((*balkenSerie)[i].beschriftung), this);
    } else {
        QToolTip::hideText();
    }
    return true;
}

const TChart::Masse &TChart::masse() const
{
    if (cache.gueltig)
        return cache;
    Masse m;
    const QFontMetrics fm = fontMetrics();
    const QFontMetricsF fmf(font());
    // Shaping ten thousand labels one by one would cost more than the rest of
    // the window together: add up the advances of their characters instead,
    // each measured once and kept unrounded (rounded, ten narrow letters beat
    // ten wider ones), and measure exactly the labels that come near the
    // widest. The characters of Windows-1252 names are looked up in a plain
    // table, others in a hash.
    std::array<qreal, 256> latin;
    latin.fill(-1);
    QHash<char16_t, qreal> zeichen;
    auto geschaetzt = [&](const QString &text) {
        qreal w = 0;
        for (const QChar c : text) {
            if (c.unicode() < latin.size()) {
                qreal &b = latin[c.unicode()];
                if (b < 0)
                    b = fmf.horizontalAdvance(c);
                w += b;
                continue;
            }
            auto it = zeichen.find(c.unicode());
            if (it == zeichen.end())
                it = zeichen.insert(c.unicode(), fmf.horizontalAdvance(c));
            w += *it;
        }
        return w;
    };
    std::vector<std::pair<qreal, int>> breiten; // estimated width, bar
    breiten.reserve(std::size_t(balkenSerie->Count()));
    for (int i = 0; i < balkenSerie->Count(); ++i) {
        const TBalkenSerie::Balken &b = (*balkenSerie)[i];
        if (i == 0 || b.wert < m.minWert)
            m.minWert = b.wert;
        if (i == 0 || b.wert > m.maxWert)
            m.maxWert = b.wert;
        breiten.emplace_back(geschaetzt(b.beschriftung), i);
    }
    if (!breiten.empty()) {
        // Kerning and shaping move a label at most a character's width from
        // its sum; of those within that of the widest, the widest few are measured.
        constexpr std::size_t Genau = 32;
        const std::size_t k = std::min(Genau, breiten.size());
        std::partial_sort(breiten.begin(), breiten.begin() + std::ptrdiff_t(k), breiten.end(),
                          [](const auto &a, const auto &b) { return a.first > b.first; });
        qreal breiteste = breiten.front().first;
        for (std::size_t j = 0; j < k && breiten[j].first >= breiten.front().first - fmf.maxWidth(); ++j)
            breiteste = std::max(breiteste, fmf.horizontalAdvance((*balkenSerie)[breiten[j].second].beschriftung));
        m.labelBreite = int(std::ceil(breiteste)) + 2; // +2: a label that fits is never cut
    }
    // The widest mark belongs to one of the extreme values.
    if (balkenSerie->Count() > 0)
        m.markeBreite =
            std::max(fm.horizontalAdvance(markenText(m.minWert)), fm.horizontalAdvance(markenText(m.maxWert))) + 6;
    m.gueltig = true;
    cache = m;
    return cache;
}

TChart::Raster TChart::raster() const
{
    const Masse &m = masse();
    const int n = std::max(1, balkenSerie->Count());
    Raster r;
    const double roh = double(height() - 2 * Rand) / n;
    // A slight depth: a quarter of a row, never more than a tenth of the width.
    r.tiefe = std::clamp(int(std::lround(roh * 0.25)), 1, std::max(1, width() / 10));
    r.oben = Rand + r.tiefe;
    r.unten = height() - Rand;
    r.hoehe = std::max(1.0, (r.unten - r.oben) / n);
    r.labelRechts = Rand + std::min(m.labelBreite, int(width() * 0.4));
    r.links = r.labelRechts + LabelAbstand;
    r.rechts = std::max(r.links + 10, width() - Rand - r.tiefe - Linie - m.markeBreite);
    const double u = balkenSerie->ursprung();
    r.lo = std::min(u, m.minWert);
    // The scale reaches at least one day, so bars of 0 stay stubs even when
    // no bar is longer.
    r.hi = std::max({u, m.maxWert, 1.0});
    return r;
}

QRectF TChart::zeile(int i) const
{
    const Raster r = raster();
    return QRectF(0, r.unten - (i + 1) * r.hoehe, width(), r.hoehe);
}

QString TChart::sichtbareBeschriftung(int i) const
{
    const Raster r = raster();
    return fontMetrics().elidedText((*balkenSerie)[i].beschriftung, Qt::ElideRight, r.labelRechts - Rand);
}

void TChart::paintEvent(QPaintEvent *e)
{
    QPainter p(this);
    const QRect bereich = e->rect();
    p.fillRect(bereich, Qt::white);
    const int n = balkenSerie->Count();
    if (n == 0)
        return;
    const Raster r = raster();
    const QFontMetrics fm = fontMetrics();

    // Only the rows that reach into the exposed strip; one more on each side
    // for the depth and the marks, which stand out a little.
    const int von = std::max(0, int(std::floor((r.unten - bereich.bottom() - 1) / r.hoehe)) - 1);
    const int bis = std::min(n - 1, int(std::ceil((r.unten - bereich.top()) / r.hoehe)) + 1);
    const double dicke = std::max(2.0, r.hoehe * Balkenanteil);
    const double x0 = r.x(balkenSerie->ursprung());

    for (int i = von; i <= bis; ++i) {
        const TBalkenSerie::Balken &b = (*balkenSerie)[i];
        const double mitte = r.unten - (i + 0.5) * r.hoehe;
        const double oben = mitte - dicke / 2;
        const double links = std::min(x0, r.x(b.wert));
        const double rechts = std::max(x0, r.x(b.wert));
        const double t = r.tiefe;

        // Label at the axis, drawn as plain text.
        p.setPen(Qt::black);
        p.drawText(QRectF(Rand, mitte - r.hoehe / 2, r.labelRechts - Rand, r.hoehe), Qt::AlignRight | Qt::AlignVCenter,
                   fm.elidedText(b.beschriftung, Qt::ElideRight, r.labelRechts - Rand));

        // The bar: front, top and side face, no outline.
        p.setPen(Qt::NoPen);
        p.setBrush(b.farbe);
        p.drawRect(QRectF(links, oben, rechts - links, dicke));
        p.setBrush(b.farbe.lighter(120));
        p.drawPolygon(QPolygonF({{links, oben}, {rechts, oben}, {rechts + t, oben - t}, {links + t, oben - t}}));
        p.setBrush(b.farbe.darker(135));
        p.drawPolygon(QPolygonF(
            {{rechts, oben}, {rechts + t, oben - t}, {rechts + t, oben + dicke - t}, {rechts, oben + dicke}}));

        // The value mark on white ground, joined to the bar's end by a short black line.
        const double y = mitte - t / 2;
        const double start = rechts + t / 2;
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(QPointF(start, y), QPointF(start + Linie, y));
        const QString text = markenText(b.wert);
        const QRectF marke(start + Linie, y - fm.height() / 2.0, fm.horizontalAdvance(text) + 6, fm.height());
        p.setPen(QPen(Qt::gray, 1));
        p.setBrush(Qt::white);
        p.drawRect(marke);
        p.setPen(Qt::black);
        p.drawText(marke, Qt::AlignCenter, text);
    }
}
