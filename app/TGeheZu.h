#pragma once
// "Gehe zu Schlange": finds a snake by a part of its name and shows its tab,
// for collections whose tab strip is too long to walk.
#include <QAbstractListModel>
#include <QDialog>
#include <QStringList>
#include <vector>

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

// The names that contain a text, ignoring case; "ä" finds "Ä" but not "ae".
// A view over the plain list of names and the indices of the hits, so ten
// thousand names need no item or widget each.
class TNamenFilter : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TNamenFilter(QStringList namen, QObject *parent = nullptr);

    void filtern(const QString &text);
    int tabIndex(int zeile) const;    // -1 outside the hits
    int zeileVon(int tabIndex) const; // -1 when that snake is no hit

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QStringList namen;
    std::vector<int> treffer; // tab indices, in tab order
    QString gefiltert;        // the text the hits were found for
};

class TGeheZu : public QDialog {
    Q_OBJECT
public:
    // `namen` in tab order; `aktuell` the tab on show, selected at the start.
    TGeheZu(QWidget *parent, const QStringList &namen, int aktuell);

    // The tab index of the snake chosen with "OK" (or Enter); -1 otherwise.
    int gewaehlt() const { return auswahl; }

    QLabel *titel;
    QLabel *Label1;       // "Name enthält:"
    QLineEdit *suche;     // the part of the name
    QListView *liste;     // the snakes whose names contain it
    QLabel *Label2;       // how many they are
    QPushButton *Button2; // "OK", the default button
    QPushButton *Button3; // "Abbrechen"

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    TNamenFilter *modell;
    int auswahl = -1;
    void filtern();
};
