#pragma once
// A label that shows a value as plain text. Where the room ends the value is
// cut with "…" and the tooltip shows it whole; screen readers hear the caption
// and the value ("Name: Kaa"), whatever the label shows.
#include <QLabel>

class TWertLabel : public QLabel {
    Q_OBJECT
public:
    // `beschriftung` is what the caption beside the label says, without its colon.
    explicit TWertLabel(const QString &beschriftung = {}, QWidget *parent = nullptr);

    // Hides QLabel::setText, so that the accessible name follows every value.
    // Set values through a TWertLabel pointer.
    void setText(const QString &text);

    // The value does not fit and is shown cut.
    bool abgeschnitten() const;

    // A few letters wide: a long value is cut instead of widening the window.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *e) override;
    bool event(QEvent *e) override;

private:
    QRect textRaum() const;
    QString beschriftung;
};
