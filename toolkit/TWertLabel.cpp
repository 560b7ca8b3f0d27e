#include "toolkit/TWertLabel.h"

#include "toolkit/Klartext.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

TWertLabel::TWertLabel(const QString &text, QWidget *parent) : QLabel(parent), beschriftung(text)
{
    setTextFormat(Qt::PlainText);
    setText(QString());
}

void TWertLabel::setText(const QString &text)
{
    QLabel::setText(text);
    if (!beschriftung.isEmpty())
        setAccessibleName(beschriftung + QStringLiteral(": ") + text);
}

// Where QLabel puts its text: inside the frame and margin, after the indent.
QRect TWertLabel::textRaum() const
{
    QRect r = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const int einzug = indent() >= 0 ? indent() : (frameWidth() > 0 ? fontMetrics().horizontalAdvance(u'x') / 2 : 0);
    if (alignment() & Qt::AlignLeft)
        r.setLeft(r.left() + einzug);
    else if (alignment() & Qt::AlignRight)
        r.setRight(r.right() - einzug);
    return r;
}

bool TWertLabel::abgeschnitten() const
{
    return fontMetrics().horizontalAdvance(text()) > textRaum().width();
}

QSize TWertLabel::minimumSizeHint() const
{
    QSize s = QLabel::minimumSizeHint();
    const int rand = width() - textRaum().width();
    s.setWidth(qMin(s.width(), fontMetrics().horizontalAdvance(QStringLiteral("00.00.00")) + qMax(0, rand)));
    return s;
}

void TWertLabel::paintEvent(QPaintEvent *e)
{
    if (!abgeschnitten()) {
        QLabel::paintEvent(e);
        return;
    }
    QPainter p(this);
    drawFrame(&p);
    const QRect r = textRaum();
    const QString kurz = fontMetrics().elidedText(text(), Qt::ElideRight, r.width());
    style()->drawItemText(&p, r, int(alignment()), palette(), isEnabled(), kurz, foregroundRole());
}

bool TWertLabel::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip && abgeschnitten()) {
        const auto *hilfe = static_cast<QHelpEvent *>(e);
        QToolTip::showText(hilfe->globalPos(), KlartextTooltip(text()), this, rect());
        return true;
    }
    return QLabel::event(e);
}
