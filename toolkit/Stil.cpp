#include "toolkit/Stil.h"

#include "bild/Bild.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>

#include <functional>

namespace {
// Qt's raster engine hands a line of a hundred or more single pixels that are
// blended (drawn in a colour that is not opaque) to its thread pool, so
// Fusion's lines along a window-wide tool bar or page frame would start two
// threads just for the window's first paint. Painted in pieces, each clipped
// to at most Stil::Streifen pixels along any line, the same pixels come out and
// the work stays on this thread. The inside of `ganz`, `rand` pixels in from
// its edges, is painted in one piece: what lies there is filled, not stroked.
void stueckweise(QPainter *maler, const QRect &ganz, int rand, const std::function<void()> &malen)
{
    const auto stueck = [&](const QRect &r) {
        if (r.isEmpty())
            return;
        maler->save();
        maler->setClipRect(r, Qt::IntersectClip);
        malen();
        maler->restore();
    };
    const auto reihe = [&](const QRect &band) { // cut across its longer side
        const bool quer = band.width() >= band.height();
        const int laenge = quer ? band.width() : band.height();
        for (int i = 0; i < laenge; i += Stil::Streifen) {
            const int n = qMin(Stil::Streifen, laenge - i);
            stueck(quer ? QRect(band.left() + i, band.top(), n, band.height())
                        : QRect(band.left(), band.top() + i, band.width(), n));
        }
    };
    const int oben = qMin(rand, ganz.height());
    const int unten = qMin(rand, ganz.height() - oben);
    const int seiten = qMin(rand, ganz.width() / 2);
    reihe(QRect(ganz.left(), ganz.top(), ganz.width(), oben));
    reihe(QRect(ganz.left(), ganz.bottom() + 1 - unten, ganz.width(), unten));
    const int mitte = ganz.height() - oben - unten;
    reihe(QRect(ganz.left(), ganz.top() + oben, seiten, mitte));
    reihe(QRect(ganz.right() + 1 - seiten, ganz.top() + oben, seiten, mitte));
    stueck(ganz.adjusted(seiten, oben, -seiten, -unten));
}
} // namespace

Stil::Stil(QStyle *grundlage) : QProxyStyle(grundlage)
{
    fusion = baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
}

QIcon Stil::standardIcon(StandardPixmap art, const QStyleOption *option, const QWidget *widget) const
{
    // The button of a menu or tool bar too narrow for all its entries. Every
    // menu and tool bar makes one as it is built, so the style's picture, read
    // through the image format plugins, would load four of them at start.
    if (art == SP_ToolBarHorizontalExtensionButton)
        return Bild::symbol("mehr");
    return QProxyStyle::standardIcon(art, option, widget);
}

void Stil::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const
{
    // A tool bar's bevel lines run along its whole length.
    if (fusion && element == CE_ToolBar && painter && option->rect.width() >= Streifen) {
        const int rand = qMax(option->rect.width(), option->rect.height());
        stueckweise(painter, option->rect, rand, [&] { QProxyStyle::drawControl(element, option, painter, widget); });
        return;
    }
    // A column header's lines run across its whole width. Its pieces are
    // painted as sections that end without the separator line (which Fusion
    // draws only at the right edge of a section that is not the last); the
    // section's own ending comes with its last piece.
    const auto *kopf = qstyleoption_cast<const QStyleOptionHeader *>(option);
    if (fusion && element == CE_HeaderSection && kopf && kopf->orientation == Qt::Horizontal && painter &&
        kopf->rect.width() > Streifen) {
        QStyleOptionHeader teil = *kopf;
        const QRect ganz = kopf->rect;
        for (int x = ganz.left(); x <= ganz.right(); x += Streifen) {
            const int breite = qMin(Streifen, ganz.right() + 1 - x);
            teil.rect = QRect(x, ganz.top(), breite, ganz.height());
            teil.position = x + breite > ganz.right() ? kopf->position : QStyleOptionHeader::End;
            QProxyStyle::drawControl(element, &teil, painter, widget);
        }
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void Stil::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                         const QWidget *widget) const
{
    // A page frame: a filled pane inside two outlines and a shadow line.
    if (fusion && element == PE_FrameTabWidget && painter &&
        qMax(option->rect.width(), option->rect.height()) >= Streifen) {
        stueckweise(painter, option->rect, 3, [&] { QProxyStyle::drawPrimitive(element, option, painter, widget); });
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void Stil::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                              const QWidget *widget) const
{
    // A scroll bar's groove is shaded across it, line by line along its
    // length, and the style clips some of its lines itself, which a clip of
    // ours would not survive. So it is painted band by band into a picture of
    // its own; the style covers the whole bar with its groove first, so each
    // band starts as the window would, and comes out the same.
    const QRect ganz = option->rect;
    if (fusion && control == CC_ScrollBar && painter && qMax(ganz.width(), ganz.height()) > Streifen &&
        painter->device()->devicePixelRatio() == 1 && painter->worldTransform().type() <= QTransform::TxTranslate) {
        const bool quer = ganz.width() > ganz.height();
        const int laenge = quer ? ganz.width() : ganz.height();
        for (int i = 0; i < laenge; i += Streifen) {
            const int n = qMin(Streifen, laenge - i);
            const QRect band = quer ? QRect(ganz.left() + i, ganz.top(), n, ganz.height())
                                    : QRect(ganz.left(), ganz.top() + i, ganz.width(), n);
            QImage bild(band.size(), QImage::Format_ARGB32_Premultiplied);
            QPainter maler(&bild);
            maler.translate(-band.topLeft());
            QProxyStyle::drawComplexControl(control, option, &maler, widget);
            maler.end();
            painter->drawImage(band.topLeft(), bild);
        }
        return;
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

void Stil::einrichten()
{
    if (!dynamic_cast<Stil *>(QApplication::style()))
        QApplication::setStyle(new Stil(QApplication::style()));
}
