#pragma once
// The master data dialog "Stammdaten" for creating and changing a snake.
#include "toolkit/Dialoge.h"
#include <QDialog>

class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;

class TDateneingabe : public QDialog {
    Q_OBJECT
public:
    explicit TDateneingabe(QWidget *parent);

    bool ok = false; // set only by "OK"

    QLabel *titel;
    QLineEdit *Edit1;     // "Name:", 30 characters
    QLineEdit *Edit2;     // "Gattung:", 50 characters, as many as the record keeps
    QLineEdit *Edit5;     // "Farbvariante:", 50 characters, as many as the record keeps
    QComboBox *ComboBox2; // "Geschlecht:", fixed list "männlich", "weiblich", "unbekannt"
    QLineEdit *Edit3;     // "Schlupfmonat:", 10 characters
    QLineEdit *Edit4;     // "Bilddatei:", 50 characters
    QPushButton *Button1; // "Wählen..."
    QComboBox *ComboBox1; // interval, editable, "7" to "21", 3 characters
    QPushButton *Button2; // "OK", the default button
    QPushButton *Button3; // "Abbrechen"

    DateiDialog OpenPictureDialog1;
    // The collection's data file, empty if none: the chooser starts in its folder
    // when the snake has no picture, and a chosen path too long for the record is
    // kept relative to it where that fits.
    QString Datendatei;

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();

private:
    void eingabenAnlegen(QWidget *rahmen); // the fields and boxes, in their tab order
    QLayout *felderAnordnen(QWidget *rahmen);
    QWidget *trennlinie(QWidget *rahmen);
    QLayout *intervallZeile(QWidget *rahmen);
    void bildWaehlerEinrichten();
    void waehlerVorbereiten();
    QString speicherbar(const QString &pfad) const;
};
