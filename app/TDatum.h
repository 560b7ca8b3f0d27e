#pragma once
// The date dialog "Datumsauswahl": a German month calendar that offers no day
// after today, and a field for typing the date, with the date it read beside it.
#include "data/Datum.h"

#include <QDate>
#include <QDialog>
#include <optional>

class QCalendarWidget;
class QLabel;
class QLineEdit;
class QPushButton;

class TDatum : public QDialog {
    Q_OBJECT
public:
    TDatum(QWidget *parent, const QDate &heute);

    // Chooses a date for a date label: shows the dialog modally on the date
    // `labelText` names, or with the text in the field to be corrected when it
    // names none, and returns the chosen date as date text, or nothing on
    // "Abbrechen". "OK" on a date the keeper did not touch gives `labelText`
    // back as it was, also one the calendar cannot show.
    static std::optional<QString> waehle(QWidget *parent, const QString &labelText, const QDate &heute);

    bool ok = false; // set only by "OK"

    QLabel *titel;
    QCalendarWidget *MonthCalendar1;
    QLineEdit *Edit1;     // the date as typed; characters typed in the calendar land here
    QLabel *Label1;       // the date read from Edit1 in words, or why it is none
    QPushButton *Button2; // "OK", the default button; enabled while Edit1 holds a date
    QPushButton *Button3; // "Abbrechen"

    // The date the dialog would give back; invalid while the field holds none.
    QDate datum() const;

private:
    void kalenderGewaehlt();
    void eingetippt();
    void zeigeGelesen(const DatumEingabe &e);
    void vorgeben(const QString &text);

    QDate heute;
    bool abgleich = false; // the calendar is following the field
    QString vorgabe;       // the date text the dialog was opened on
    bool beruehrt = true;  // the keeper changed the date in the calendar or the field
};
