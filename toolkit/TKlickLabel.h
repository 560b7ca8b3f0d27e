#pragma once
// A value label in a small frame that acts like a button: a click, Space or
// Enter raises clicked(). It takes the keyboard focus so the date can be
// chosen without a mouse, and shows it with the style's focus frame.
#include "toolkit/TWertLabel.h"

class TKlickLabel : public TWertLabel {
    Q_OBJECT
public:
    explicit TKlickLabel(const QString &beschriftung = {}, QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
};
