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

    // Chooses a date for a date label: reads `labelText` as a date (raising
    // EConvertError before any dialog opens when it is none), shows the dialog
    // modally and returns the chosen date as date text, or nothing on "Abbrechen".
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

    QDate heute;
    bool abgleich = false; // the calendar is following the field
};
