#pragma once
// The options dialog. Its settings-file operations delegate to the rules in
// settings/Optionen.h. Readers elsewhere call OptionenLesen.
#include "settings/Optionen.h"
#include "toolkit/Dialoge.h"

#include <QDialog>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTabWidget;

class TOptionen : public QDialog {
    Q_OBJECT
public:
    explicit TOptionen(QWidget *parent = nullptr);

    // Reads the settings file; when it cannot be read whole, tells the user
    // why ("Optionsdatei "options.ini" nicht gefunden", too large, ...) and
    // keeps what was read. "OK" then never writes over a file that is there
    // but was not read whole.
    void OptionenLoad();
    // What OptionenLoad read last.
    const Optionen::Werte &geladen() const { return gelesen; }
    // What OptionenLoad reads, with the same message when it cannot, for a
    // reader that would otherwise build the whole dialog just to ask. Without
    // `gesperrteMelden`, a file that is there but was not read whole is not
    // told again (the start and the dialog tell it); a missing one is.
    static Optionen::Werte OptionenLesen(QWidget *besitzer, bool gesperrteMelden = true);
    // Writes what the dialog's controls hold; raises EInOutError when it cannot.
    void OptionenSave();
    // What the controls hold, as the settings file keeps it.
    Optionen::Werte eingestellt() const;

    // The food list, first row first; it always has at least one row.
    QStringList futterZeilen() const;

    QLabel *titel;
    QTabWidget *PageControl1;
    QWidget *TabSheet1, *TabSheet2; // "Allgemein", "Futterarten"
    QCheckBox *CheckBox1;           // load a file at start
    QCheckBox *CheckBox2;           // feeding check after every load
    QCheckBox *CheckBox3;           // maximised start
    QLineEdit *Edit1;               // the file to load at start
    QPushButton *Button1;           // "ändern..."
    QListWidget *StringGrid1;       // the usual foods, one per row
    QLineEdit *futter1;             // a food to add
    QPushButton *ok1;               // adds futter1; the default button, and what Enter presses (keyPressEvent)
    QMenu *PopupMenu1;
    QAction *Lschen1, *Nachoben1, *Nachunten1;
    QPushButton *Button2; // "OK"
    QPushButton *Button3; // "Abbrechen"

    DateiDialog OpenDialog1;

public slots:
    void FormActivate();
    void CheckBox1Click();
    void Button1Click();
    void ok1Click();
    void PopupMenu1Popup();
    void Lschen1Click();
    void Nachoben1Click();
    void Nachunten1Click();
    void Button2Click();
    void Button3Click();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    QWidget *seiteAllgemein();
    QWidget *seiteFutterarten();
    void setFutterZeilen(const QStringList &zeilen);
    void tauschen(int mitZeile); // swaps the selected row with another and selects that one

    static Optionen::Gelesen lesenUndMelden(Optionen::Werte &w, QWidget *besitzer, bool gesperrteMelden = true);

    Optionen::Werte gelesen;
    Optionen::Gelesen lesestand;
};
