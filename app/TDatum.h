#pragma once
// The date dialog "Datumsauswahl": a German month calendar that offers no day
// after today.
#include <QDate>
#include <QDialog>
#include <optional>

class QCalendarWidget;
class QLabel;
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
    QPushButton *Button2; // "OK", the default button
    QPushButton *Button3; // "Abbrechen"

private:
    QDate heute;
};
