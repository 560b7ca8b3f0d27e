#pragma once
// The about box: the program's pictures, its version, who made it and where
// to write to.
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class TInfo : public QDialog {
    Q_OBJECT
public:
    explicit TInfo(QWidget *parent = nullptr);

    QLabel *titel;
    QFrame *Bevel1;
    QLabel *Image1;       // the narrow upright picture
    QLabel *Image2;       // the banner
    QLabel *Label1;       // "Version " and the program's version, over the banner's lower right corner
    QLabel *Label2;       // years and authors
    QLabel *Label3;       // "Kommentare, Anregungen, Kritik, Fehlermeldungen an:"
    QLabel *Label4;       // e-mail address
    QLabel *Label5;       // web address
    QPushButton *Button1; // "OK"

public slots:
    void Button1Click();
};
