#pragma once
// The print preview: the page of the snake on show, with "Drucken" and "Abbrechen".
#include "data/TSchlange.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTextEdit;

class TDruckvorschau : public QDialog {
    Q_OBJECT
public:
    // Builds the page of `s`; the record is read only here.
    TDruckvorschau(QWidget *parent, const TSchlange &s);

    QLabel *titel;
    QTextEdit *RichEdit1;
    QPushButton *Button1; // "Abbrechen"
    QPushButton *Button2; // "Drucken"

public slots:
    void Button1Click();
    void Button2Click();
    void FormActivate();
    void RichEdit1Enter();

protected:
    bool event(QEvent *e) override;
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;
};
