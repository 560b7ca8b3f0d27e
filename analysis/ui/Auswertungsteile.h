#pragma once
// The frame the two result windows share: a title on top, the sunken panel
// `Bevel1` the window fills, a read-only text box that hands the focus on to
// the window's "OK" button, and that button centred below.
#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class TZeilenText;

class TErgebnisfenster : public QDialog {
    Q_OBJECT
public:
    QPushButton *Button1 = nullptr;
    QFrame *Bevel1;
    TZeilenText *RichEdit1 = nullptr;
    QLabel *titel;

public slots:
    void Button1Click();
    void RichEdit1Enter();

protected:
    // A window named `name` with `ueberschrift` as caption and title; it can be
    // minimised and closed but not resized.
    TErgebnisfenster(QWidget *parent, const QString &name, const QString &ueberschrift);
    // The "OK" button `Button1`, the default; made where the window wants it in
    // its focus order.
    void okKnopf();
    // The text box `RichEdit1` in `Bevel1`: vertical scroll bar, only the lines
    // in view laid out.
    void textbox();
    // Lays out title, panel and button at the window's fixed `breite` x `hoehe`
    // and gives "OK" the focus.
    void rahmen(int breite, int hoehe);
};
