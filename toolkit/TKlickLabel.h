#pragma once
// A label in a small frame that acts like a button: a click, Space or Enter
// raises clicked(). It takes the keyboard focus so the date can be chosen
// without a mouse, and tells screen readers it is a button.
#include <QLabel>

class TKlickLabel : public QLabel {
    Q_OBJECT
public:
    explicit TKlickLabel(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
};
