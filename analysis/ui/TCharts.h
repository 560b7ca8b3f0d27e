#pragma once
// The parade window: the first three places on the podium, the others as a list.
#include "analysis/Auswertung.h"
#include "analysis/ui/Auswertungsteile.h"

class QFrame;
class QLabel;
class QPushButton;
class TZeilenText;

class TCharts : public TErgebnisfenster {
    Q_OBJECT
public:
    explicit TCharts(QWidget *parent = nullptr);

    // Puts the places into the podium labels and the list.
    void fuellen(const std::vector<Auswertung::Platz> &plaetze);

    // Ranks the collection and shows the window modally, whatever the result.
    static void FressParade(QWidget *parent, const TSchlangen &schlangen);

    QLabel *Image1;
    QLabel *Label1;
    QLabel *Label6, *Label7, *Label8, *Label9, *Label10;
    QLabel *Label2;
    QLabel *Label5;
};
