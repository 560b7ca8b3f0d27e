#pragma once
// The widget style the application would use by itself, with the program's own
// pictures where that style would read its own from files at run time, and
// Fusion's long lines painted in pieces that keep the painting on the main
// thread (see Stil.cpp).
#include <QProxyStyle>

class Stil : public QProxyStyle {
public:
    // Takes over `grundlage`, normally the application's style as Qt chose it
    // (its -style argument and QT_STYLE_OVERRIDE included).
    explicit Stil(QStyle *grundlage);

    QIcon standardIcon(StandardPixmap art, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget = nullptr) const override;

    // The longest piece of a line that the style's long lines are painted in
    // (see Stil.cpp).
    static constexpr int Streifen = 95;

    // Makes this the application's style, once.
    static void einrichten();

private:
    bool fusion = false; // the style whose long lines are painted in pieces
};
