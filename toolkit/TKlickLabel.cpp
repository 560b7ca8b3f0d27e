#include "toolkit/TKlickLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

TKlickLabel::TKlickLabel(const QString &text, QWidget *parent) : TWertLabel(text, parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAlignment(Qt::AlignCenter);
}

void TKlickLabel::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && isEnabled())
        emit clicked();
    TWertLabel::mouseReleaseEvent(e);
}

void TKlickLabel::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        emit clicked();
        return;
    }
    TWertLabel::keyPressEvent(e);
}

void TKlickLabel::paintEvent(QPaintEvent *e)
{
    TWertLabel::paintEvent(e);
    if (!hasFocus())
        return;
    QStylePainter maler(this);
    QStyleOptionFocusRect o;
    o.initFrom(this);
    o.rect = contentsRect().adjusted(1, 1, -1, -1);
    o.backgroundColor = palette().color(backgroundRole());
    maler.drawPrimitive(QStyle::PE_FrameFocusRect, o);
}
