#include "toolkit/TWertLabel.h"

#include "toolkit/Klartext.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

#include <algorithm>
#include <array>

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

namespace {
// The widths a value label's room depends on. The value labels of a window
// share a font or two (the name is bold), and measuring a text means shaping
// it: measured once per font and resolution, not once per label and layout
// pass.
struct Masse {
    QFont schrift;
    int dpi = 0;
    int halbesX = 0; // QLabel's default indent in a frame
    int datum = 0;   // the narrowest a label gets: a date
};

const Masse &masse(const QWidget &w)
{
    static std::array<Masse, 4> gemessen; // the fonts measured last, the latest first
    const int dpi = w.logicalDpiY();
    const QFont schrift = w.font();
    auto it = std::find_if(gemessen.begin(), gemessen.end(),
                           [&](const Masse &m) { return m.dpi == dpi && m.schrift == schrift; });
    if (it == gemessen.end()) {
        it = gemessen.end() - 1; // the one measured longest ago makes room
        const QFontMetrics fm = w.fontMetrics();
        *it = {schrift, dpi, fm.horizontalAdvance(u'x') / 2, fm.horizontalAdvance(QStringLiteral("00.00.00"))};
    }
    std::rotate(gemessen.begin(), it, it + 1);
    return gemessen.front();
}
} // namespace

// Where QLabel puts its text: inside the frame and margin, after the indent.
QRect TWertLabel::textRaum() const
{
    QRect r = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const int einzug = indent() >= 0 ? indent() : (frameWidth() > 0 ? masse(*this).halbesX : 0);
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
    s.setWidth(qMin(s.width(), masse(*this).datum + qMax(0, rand)));
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
