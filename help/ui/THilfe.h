#pragma once
// The help window: the local help pages in a text browser. Links between the
// pages are followed inside the window; a link to the web opens the system's
// browser instead.
#include <QDialog>
#include <QUrl>

class QLabel;
class QPushButton;
class QTextBrowser;

class THilfe : public QDialog {
    Q_OBJECT
public:
    // `startVerz` is the folder the program started in, one of the places the
    // help is looked for.
    THilfe(QWidget *parent, const QString &startVerz);

    QLabel *titel;
    QWidget *Panel1;
    QTextBrowser *WebBrowser1;
    QPushButton *Button1; // "OK"

public slots:
    void FormActivate();
    void Button1Click();

protected:
private:
    void folgen(const QUrl &verweis);

    QString startVerz;
};
