#include "toolkit/Stil.h"

#include "bild/Bild.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>

#include <functional>

// Qt's raster engine hands a blend of 96 pixels or more to its thread pool, and
// a line one pixel wide in a colour that is not opaque is blended pixel by
// pixel; so the lines along a window-wide tool bar, page frame, column header
// or scroll bar would start two threads just for the window's first paint.
// Fusion paints each of them in pieces of at most Streifen pixels below, so
// the same pixels come out and the work stays on this thread.

namespace {
// Calls `f(anfang, laenge)` for each piece, of at most Streifen pixels, of the
// stretch from `von` up to (not including) `bis`.
template <typename F>
void inStuecken(int von, int bis, F f)
{
    for (int anfang = von; anfang < bis; anfang += Stil::Streifen)
        f(anfang, qMin(Stil::Streifen, bis - anfang));
}

// A frame whose lines run parallel to its edges, at most `tiefe` pixels in from
// them, around a filled inside: each stretch of an edge is painted as the same
// edge of a small frame of its own just around the stretch, clipped to it, so
// its other edges fall outside; the inside in one piece.
void rahmenStueckweise(QPainter *maler, const QRect &ganz, int tiefe, const std::function<void(const QRect &)> &malen)
{
    const auto stueck = [&](const QRect &teil, QRect rahmen) {
        if (teil.isEmpty())
            return;
        maler->save();
        maler->setClipRect(teil, Qt::IntersectClip);
        malen(rahmen & ganz); // the real frame's edges where the stretch reaches them
        maler->restore();
    };
    const int t = qMin(tiefe, qMin(ganz.width(), ganz.height()) / 2);
    inStuecken(ganz.left(), ganz.right() + 1, [&](int x, int n) {
        stueck(QRect(x, ganz.top(), n, t), QRect(x - t, ganz.top(), n + 2 * t, 3 * t));
        stueck(QRect(x, ganz.bottom() + 1 - t, n, t), QRect(x - t, ganz.bottom() + 1 - 3 * t, n + 2 * t, 3 * t));
    });
    inStuecken(ganz.top() + t, ganz.bottom() + 1 - t, [&](int y, int n) {
        stueck(QRect(ganz.left(), y, t, n), QRect(ganz.left(), y - t, 3 * t, n + 2 * t));
        stueck(QRect(ganz.right() + 1 - t, y, t, n), QRect(ganz.right() + 1 - 3 * t, y - t, 3 * t, n + 2 * t));
    });
    stueck(ganz.adjusted(t, t, -t, -t), ganz);
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
    // A horizontal tool bar is shaded from top to bottom and has lines along
    // its length only: it is painted as narrower bars side by side.
    const auto *leiste = qstyleoption_cast<const QStyleOptionToolBar *>(option);
    if (fusion && element == CE_ToolBar && leiste && (leiste->state & State_Horizontal) && painter &&
        leiste->rect.width() > Streifen) {
        QStyleOptionToolBar teil = *leiste;
        const QRect ganz = leiste->rect;
        inStuecken(ganz.left(), ganz.right() + 1, [&](int x, int n) {
            teil.rect = QRect(x, ganz.top(), n, ganz.height());
            QProxyStyle::drawControl(element, &teil, painter, widget);
        });
        return;
    }
    // A column header's lines run across its whole width. It is painted as
    // narrower sections side by side that end without the separator line
    // (which Fusion draws only at the right edge of a section that is not the
    // last); the section's own ending comes with its last piece.
    const auto *kopf = qstyleoption_cast<const QStyleOptionHeader *>(option);
    if (fusion && element == CE_HeaderSection && kopf && kopf->orientation == Qt::Horizontal && painter &&
        kopf->rect.width() > Streifen) {
        QStyleOptionHeader teil = *kopf;
        const QRect ganz = kopf->rect;
        inStuecken(ganz.left(), ganz.right() + 1, [&](int x, int n) {
            teil.rect = QRect(x, ganz.top(), n, ganz.height());
            teil.position = x + n > ganz.right() ? kopf->position : QStyleOptionHeader::End;
            QProxyStyle::drawControl(element, &teil, painter, widget);
        });
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void Stil::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                         const QWidget *widget) const
{
    // A page frame: a filled pane inside two outlines and a shadow line, all
    // within three pixels of its edges.
    const auto *seite = qstyleoption_cast<const QStyleOptionTabWidgetFrame *>(option);
    if (fusion && element == PE_FrameTabWidget && seite && painter &&
        qMax(seite->rect.width(), seite->rect.height()) > Streifen) {
        QStyleOptionTabWidgetFrame teil = *seite;
        rahmenStueckweise(painter, seite->rect, 3, [&](const QRect &rahmen) {
            teil.rect = rahmen;
            QProxyStyle::drawPrimitive(element, &teil, painter, widget);
        });
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void Stil::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                              const QWidget *widget) const
{
    // A scroll bar's groove is shaded across it, line by line along its
    // length, and Fusion clips some of its lines itself, which a clip of
    // ours would not survive. So it is painted band by band into a picture of
    // its own; the style covers the whole bar with its groove first, so each
    // band starts as the window would, and comes out the same.
    const QRect ganz = option->rect;
    if (fusion && control == CC_ScrollBar && painter && qMax(ganz.width(), ganz.height()) > Streifen &&
        painter->device()->devicePixelRatio() == 1 && painter->worldTransform().type() <= QTransform::TxTranslate) {
        const bool quer = ganz.width() > ganz.height();
        const int laenge = quer ? ganz.width() : ganz.height();
        inStuecken(0, laenge, [&](int i, int n) {
            const QRect band = quer ? QRect(ganz.left() + i, ganz.top(), n, ganz.height())
                                    : QRect(ganz.left(), ganz.top() + i, ganz.width(), n);
            QImage bild(band.size(), QImage::Format_ARGB32_Premultiplied);
            QPainter maler(&bild);
            maler.translate(-band.topLeft());
            QProxyStyle::drawComplexControl(control, option, &maler, widget);
            maler.end();
            painter->drawImage(band.topLeft(), bild);
        });
        return;
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

void Stil::einrichten()
{
    if (!dynamic_cast<Stil *>(QApplication::style()))
        QApplication::setStyle(new Stil(QApplication::style()));
}
