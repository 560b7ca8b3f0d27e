#pragma once
// The entry edit dialog "Eingaben editieren", for both journals.
#include <QDate>
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TKlickLabel;

class TFutterEdit : public QDialog {
    Q_OBJECT
public:
    TFutterEdit(QWidget *parent, const QDate &heute);

    bool ok = false; // set only by "OK"

    QLabel *titel;
    TKlickLabel *datum1;  // the entry's date; a click opens the date dialog
    QLabel *Label2;       // "Text:"
    QLineEdit *futter1;   // the entry's text, at most 100 characters
    QPushButton *Button2; // "OK", the default button
    QPushButton *Button3; // "Abbrechen"

public slots:
    void datum1Click();

private:
    QDate heute;
};
