#pragma once
// A horizontal bar chart: the bars stack upward in the order they are added,
// each in its own colour, labelled on the vertical axis, each with a mark
// showing its value. There is no legend and no value axis. Only the rows in
// the exposed part are painted, so a chart of many thousand bars in a
// scrolling area costs no more per paint than one of four.
#include <QColor>
#include <QObject>
#include <QString>
#include <QWidget>
#include <vector>

class TChart;

// The bars of a chart, in adding order; several may carry the same label.
class TBalkenSerie : public QObject {
    Q_OBJECT
public:
    struct Balken {
        double wert;
        QString beschriftung;
        QColor farbe;
    };

    explicit TBalkenSerie(TChart *chart);
    void Add(double wert, const QString &beschriftung, const QColor &farbe);
    int Count() const { return int(balken.size()); }
    const Balken &operator[](int i) const { return balken[std::size_t(i)]; }

    // Bars run from here to their value, so a bar of value 0 still shows as a stub.
    double ursprung() const { return start; }
    void setUrsprung(double u);

private:
    TChart *chart;
    std::vector<Balken> balken;
    double start = 0.0;
};

class TChart : public QWidget {
    Q_OBJECT
public:
    explicit TChart(QWidget *parent = nullptr);
    TBalkenSerie *serie() const { return balkenSerie; }

    // Where row `i` (0 = the first bar added, at the bottom) lies; for tests and hit-testing.
    QRectF zeile(int i) const;
    // The label as drawn at the axis: cut off with "…" when it is too long for the label column.
    QString sichtbareBeschriftung(int i) const;

    QSize sizeHint() const override { return {385, 74}; }

protected:
    void paintEvent(QPaintEvent *e) override;
    void changeEvent(QEvent *e) override;
    bool event(QEvent *e) override; // a cut-off label shows whole in its tooltip

private:
    friend class TBalkenSerie;
    void geaendert();

    // Sizes that depend on every bar; measured once after a change, not per paint.
    struct Masse {
        bool gueltig = false;
        double minWert = 0, maxWert = 0;
        int labelBreite = 0; // widest label
        int markeBreite = 0; // widest value mark
    };
    const Masse &masse() const;

    struct Raster {
        double oben, unten, hoehe; // rows between oben and unten, hoehe each
        int links, rechts;         // the bars' value range in pixels
        int labelRechts;           // right edge of the label column
        int tiefe;                 // the slight depth of each bar
        double lo, hi;             // values at links and rechts
        double x(double wert) const { return links + (wert - lo) / (hi - lo) * (rechts - links); }
    };
    Raster raster() const;

    TBalkenSerie *balkenSerie;
    mutable Masse cache;
};
