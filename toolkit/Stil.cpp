#include "toolkit/Stil.h"

#include "bild/Bild.h"

#include <QApplication>

Stil::Stil(QStyle *grundlage) : QProxyStyle(grundlage) {}

QIcon Stil::standardIcon(StandardPixmap art, const QStyleOption *option, const QWidget *widget) const
{
    // The button of a menu or tool bar too narrow for all its entries. Every
    // menu and tool bar makes one as it is built, so the style's picture, read
    // through the image format plugins, would load four of them at start.
    if (art == SP_ToolBarHorizontalExtensionButton)
        return Bild::symbol("mehr");
    return QProxyStyle::standardIcon(art, option, widget);
}

void Stil::einrichten()
{
    if (!dynamic_cast<Stil *>(QApplication::style()))
        QApplication::setStyle(new Stil(QApplication::style()));
}
