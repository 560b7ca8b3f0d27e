#pragma once
// The notice window: the sentences and the bar chart of the feeding check or
// the feeding schedule.
#include "analysis/Auswertung.h"
#include "analysis/ui/Auswertungsteile.h"

#include <chrono>

class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;
class TBalkenSerie;
class TChart;
class TZeilenText;

class TAlarm : public TErgebnisfenster {
    Q_OBJECT
public:
    explicit TAlarm(QWidget *parent = nullptr);

    // Writes an evaluation's sentences and bars into the window and makes the
    // chart as tall as its bars need.
    void fuellen(const Auswertung::Ergebnis &ergebnis);

    // Run the evaluation and show the window modally when it has a line to
    // show; without one nothing appears. An unreadable date raises before any
    // window is made.
    static void FressCheck(QWidget *parent, const TSchlangen &schlangen, std::chrono::year_month_day heute);
    static void FressTermine(QWidget *parent, const TSchlangen &schlangen, std::chrono::year_month_day heute);

    QLabel *Label1;
    QScrollArea *ScrollBox1;
    TChart *Chart1;
    TBalkenSerie *Series1;

private:
    static void zeigen(QWidget *parent, const Auswertung::Ergebnis &ergebnis, const QString &ueberschrift,
                       const QString &einleitung);
};
