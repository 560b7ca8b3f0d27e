#include "app/Anwendungsstil.h"

#include <QIconEngine>
#include <QPointer>

namespace {
// A standard symbol of `stil`, asked for at its first use.
class SpaetesSymbol : public QIconEngine {
public:
    SpaetesSymbol(QStyle *von, QStyle::StandardPixmap welches) : stil(von), art(welches) {}

    void paint(QPainter *p, const QRect &r, QIcon::Mode m, QIcon::State s) override
    {
        echt().paint(p, r, Qt::AlignCenter, m, s);
    }
    QSize actualSize(const QSize &g, QIcon::Mode m, QIcon::State s) override { return echt().actualSize(g, m, s); }
    QPixmap pixmap(const QSize &g, QIcon::Mode m, QIcon::State s) override { return echt().pixmap(g, m, s); }
    QPixmap scaledPixmap(const QSize &g, QIcon::Mode m, QIcon::State s, qreal faktor) override
    {
        return echt().pixmap(g, faktor, m, s);
    }
    QList<QSize> availableSizes(QIcon::Mode m, QIcon::State s) override { return echt().availableSizes(m, s); }
    bool isNull() override { return false; } // Qt always has it; asking must not read it
    QIconEngine *clone() const override { return new SpaetesSymbol(stil, art); }

private:
    const QIcon &echt()
    {
        if (!gelesen && stil)
            symbol = stil->standardIcon(art);
        gelesen = true;
        return symbol;
    }

    QPointer<QStyle> stil;
    QStyle::StandardPixmap art;
    bool gelesen = false;
    QIcon symbol;
};
} // namespace

QIcon Anwendungsstil::standardIcon(StandardPixmap art, const QStyleOption *option, const QWidget *widget) const
{
    if (art == SP_ToolBarHorizontalExtensionButton || art == SP_ToolBarVerticalExtensionButton)
        return QIcon(new SpaetesSymbol(baseStyle(), art));
    return QProxyStyle::standardIcon(art, option, widget);
}
