#pragma once
// The program's style: the desktop's own, except that the arrow of the
// overflow button of menu bars and tool bars is read only when such a button
// shows. Qt reads it whenever a menu bar is made, and reading a picture file
// loads every picture-format plugin Qt has (and with them Qt's SVG library)
// before the first window is on screen.
#include <QProxyStyle>

class Anwendungsstil : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap art, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};
