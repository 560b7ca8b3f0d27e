#pragma once
// "Frühere Fassung öffnen...": the versions kept of the data file, newest
// first, one of which the keeper opens as a new, unnamed collection.
#include "data/Fassungen.h"

#include <QDialog>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

class TFruehereFassung : public QDialog {
    Q_OBJECT
public:
    TFruehereFassung(QWidget *parent, const QString &datei, std::vector<Fassungen::Fassung> fassungen);

    // The path of the version chosen with "Öffnen"; empty otherwise.
    QString gewaehlt() const { return auswahl; }

private:
    std::vector<Fassungen::Fassung> fassungen;
    QTreeWidget *liste;
    QPushButton *oeffnen;
    QString auswahl;
};
