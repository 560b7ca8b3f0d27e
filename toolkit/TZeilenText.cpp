#include "toolkit/TZeilenText.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {
constexpr int Rand = 4;                    // around the text, as a text box's document margin
constexpr qreal Tabulator = 80;            // a text box's tab stops
constexpr int BreiteOhneUmbruch = 1 << 20; // lines never wrap

bool wortZeichen(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// The word around index `i` of a line; a blank or a sign is a unit of its own.
void wort(const QString &t, int i, int &von, int &bis)
{
    von = bis = std::clamp<int>(i, 0, int(t.size()));
    while (von > 0 && wortZeichen(t.at(von - 1)))
        --von;
    while (bis < t.size() && wortZeichen(t.at(bis)))
        ++bis;
    if (von == bis && bis < t.size())
        ++bis;
}
} // namespace

// ---------------------------------------------------------------- screen readers

// The box as screen readers see a read-only text box: its whole text through
// the text interface, each line, word and character reachable by offset, but
// only the piece asked for is ever built.
class TZeilenText::Zugang : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit Zugang(TZeilenText *t) : QAccessibleWidget(t, QAccessible::EditableText) {}

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return box()->toPlainText();
        return QAccessibleWidget::text(t);
    }

    void selection(int i, int *anfang, int *ende) const override
    {
        *anfang = *ende = 0;
        if (i == 0 && box()->anker() != box()->position()) {
            *anfang = std::min(box()->anker(), box()->position());
            *ende = std::max(box()->anker(), box()->position());
        }
    }
    int selectionCount() const override { return box()->anker() != box()->position() ? 1 : 0; }
    void addSelection(int anfang, int ende) override { box()->setAuswahl(anfang, ende); }
    void removeSelection(int) override { box()->setAuswahl(box()->position(), box()->position()); }
    void setSelection(int, int anfang, int ende) override { box()->setAuswahl(anfang, ende); }
    int cursorPosition() const override { return box()->position(); }
    void setCursorPosition(int p) override
    {
        box()->setAuswahl(p, p);
        box()->zeigen(p);
    }
    QString text(int anfang, int ende) const override { return box()->textBereich(anfang, ende); }
    int characterCount() const override { return box()->zeichenAnzahl(); }

    QString textAtOffset(int offset, QAccessible::TextBoundaryType art, int *anfang, int *ende) const override
    {
        *anfang = *ende = -1;
        const int n = box()->zeichenAnzahl();
        if (art == QAccessible::NoBoundary) {
            *anfang = 0;
            *ende = n;
            return box()->toPlainText();
        }
        if (offset == -2)
            offset = box()->position();
        if (offset < 0 || offset > n || box()->zeilenAnzahl() == 0)
            return {};
        const int z = box()->zeileVon(std::min(offset, std::max(0, n - 1)));
        const int a = box()->anfang(z);
        const QString &zeile = box()->zeile(z);
        switch (art) {
        case QAccessible::CharBoundary:
            if (offset >= n)
                return {};
            *anfang = offset;
            *ende = offset + 1;
            return offset - a < zeile.size() ? QString(zeile.at(offset - a)) : QStringLiteral("\n");
        case QAccessible::WordBoundary: {
            int von, bis;
            wort(zeile, offset - a, von, bis);
            *anfang = a + von;
            *ende = a + bis;
            return zeile.mid(von, bis - von);
        }
        default: // a line is also the sentence and the paragraph
            *anfang = a;
            *ende = a + int(zeile.size());
            return zeile;
        }
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType art, int *anfang, int *ende) const override
    {
        int a, e;
        textAtOffset(offset, art, &a, &e);
        if (a <= 0) {
            *anfang = *ende = -1;
            return {};
        }
        // The unit before holds the character before this one (a line's break belongs to its line).
        return textAtOffset(a - 1, art, anfang, ende);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType art, int *anfang, int *ende) const override
    {
        int a, e;
        textAtOffset(offset, art, &a, &e);
        const int weiter = art == QAccessible::CharBoundary || art == QAccessible::WordBoundary ? e : e + 1;
        if (a < 0 || weiter >= box()->zeichenAnzahl()) {
            *anfang = *ende = -1;
            return {};
        }
        return textAtOffset(weiter, art, anfang, ende);
    }

    QRect characterRect(int offset) const override
    {
        const QRect r = box()->zeichenRechteck(offset);
        return r.isNull() ? QRect() : QRect(box()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint &punkt) const override
    {
        const QPoint p = box()->viewport()->mapFromGlobal(punkt);
        return box()->viewport()->rect().contains(p) ? box()->positionBei(p) : -1;
    }
    void scrollToSubstring(int anfang, int) override { box()->zeigen(anfang); }
    QString attributes(int offset, int *anfang, int *ende) const override
    {
        *anfang = *ende = -1;
        if (offset < 0 || offset >= box()->zeichenAnzahl())
            return {};
        const int z = box()->zeileVon(offset);
        const int a = box()->anfang(z);
        const int i = offset - a;
        int von = 0, bis = int(box()->zeile(z).size()) + 1; // a plain run up to the next format
        for (const QTextLayout::FormatRange &r : box()->formate(z)) {
            if (i >= r.start && i < r.start + r.length) {
                *anfang = a + r.start;
                *ende = a + r.start + r.length;
                QString s;
                if (r.format.fontWeight() >= QFont::Bold)
                    s += QStringLiteral("font-weight:bold;");
                // Written as Qt's own text widgets write it: the bridge to the
                // screen reader reads "rgb(r,g,b)", not "#rrggbb".
                if (r.format.foreground().style() != Qt::NoBrush) {
                    const QColor c = r.format.foreground().color();
                    s += QStringLiteral("color:rgb(%1,%2,%3);").arg(c.red()).arg(c.green()).arg(c.blue());
                }
                return s;
            }
            if (r.start + r.length <= i)
                von = std::max(von, r.start + r.length);
            else
                bis = std::min(bis, r.start);
        }
        *anfang = a + von;
        *ende = a + bis;
        return {};
    }

private:
    TZeilenText *box() const { return static_cast<TZeilenText *>(widget()); }
};

QAccessibleInterface *TZeilenText::zugangFabrik(const QString &klasse, QObject *objekt)
{
    if (klasse == QLatin1String("TZeilenText"))
        if (auto *t = qobject_cast<TZeilenText *>(objekt))
            return new Zugang(t);
    return nullptr;
}

// ---------------------------------------------------------------- the box

TZeilenText::TZeilenText(QWidget *parent) : QAbstractScrollArea(parent)
{
    static const bool fabrik = (QAccessible::installFactory(&TZeilenText::zugangFabrik), true);
    Q_UNUSED(fabrik);
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);

    kopieren = new QAction(QStringLiteral("&Kopieren"), this);
    kopieren->setShortcut(QKeySequence::Copy);
    kopieren->setShortcutContext(Qt::WindowShortcut);
    kopieren->setEnabled(false);
    connect(kopieren, &QAction::triggered, this, &TZeilenText::copy);
    alles = new QAction(QStringLiteral("Alles auswählen"), this);
    alles->setShortcut(QKeySequence::SelectAll);
    alles->setShortcutContext(Qt::WindowShortcut);
    connect(alles, &QAction::triggered, this, &TZeilenText::selectAll);
    addAction(kopieren);
    addAction(alles);
    masseNeu();
}

void TZeilenText::setZeilen(std::vector<QString> zeilen, Formate formate)
{
    texte = std::move(zeilen);
    formatGeber = std::move(formate);
    anfaenge.resize(texte.size());
    int p = 0;
    for (std::size_t i = 0; i < texte.size(); ++i) {
        anfaenge[i] = p;
        p += int(texte[i].size()) + 1;
    }
    // The line with most characters sets the first width; a wider one widens
    // the scroll range when it is first painted.
    breite = 0;
    std::size_t laengste = 0;
    for (std::size_t i = 1; i < texte.size(); ++i)
        if (texte[i].size() > texte[laengste].size())
            laengste = i;
    if (!texte.empty())
        breite = zeilenBreite(int(laengste));
    auswahlAnker = auswahlPosition = 0;
    kopieren->setEnabled(false);
    leistenNeu();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent e(this, 0, QString(), toPlainText());
        QAccessible::updateAccessibility(&e);
    }
}

void TZeilenText::setPlainText(const QString &text)
{
    std::vector<QString> zeilen;
    if (!text.isEmpty())
        for (const QStringView z : QStringView(text).split(u'\n'))
            zeilen.push_back(z.toString());
    setZeilen(std::move(zeilen));
}

QList<QTextLayout::FormatRange> TZeilenText::formate(int i) const
{
    return formatGeber ? formatGeber(i) : QList<QTextLayout::FormatRange>();
}

int TZeilenText::zeichenAnzahl() const
{
    return texte.empty() ? 0 : anfaenge.back() + int(texte.back().size());
}

QString TZeilenText::textBereich(int von, int bis) const
{
    von = std::clamp(von, 0, zeichenAnzahl());
    bis = std::clamp(bis, von, zeichenAnzahl());
    QString s;
    if (von == bis)
        return s;
    s.reserve(bis - von);
    for (int z = zeileVon(von); z < zeilenAnzahl() && anfang(z) < bis; ++z) {
        const int a = anfang(z);
        const int i = std::max(von - a, 0);
        s += QStringView(zeile(z)).mid(i, std::min<qsizetype>(bis - a, zeile(z).size()) - i);
        if (a + zeile(z).size() < bis)
            s += u'\n';
    }
    return s;
}

QString TZeilenText::toPlainText() const
{
    return textBereich(0, zeichenAnzahl());
}

int TZeilenText::zeileVon(int position) const
{
    const auto it = std::upper_bound(anfaenge.begin(), anfaenge.end(), position);
    return std::max(0, int(it - anfaenge.begin()) - 1);
}

void TZeilenText::setAuswahl(int neuerAnker, int neuePosition)
{
    neuerAnker = std::clamp(neuerAnker, 0, zeichenAnzahl());
    neuePosition = std::clamp(neuePosition, 0, zeichenAnzahl());
    if (neuerAnker == auswahlAnker && neuePosition == auswahlPosition)
        return;
    auswahlAnker = neuerAnker;
    auswahlPosition = neuePosition;
    kopieren->setEnabled(auswahlAnker != auswahlPosition);
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTextSelectionEvent e(this, std::min(auswahlAnker, auswahlPosition),
                                        std::max(auswahlAnker, auswahlPosition));
        e.setCursorPosition(auswahlPosition);
        QAccessible::updateAccessibility(&e);
    }
}

QString TZeilenText::markierterText() const
{
    return textBereich(std::min(auswahlAnker, auswahlPosition), std::max(auswahlAnker, auswahlPosition));
}

void TZeilenText::copy()
{
    if (auswahlAnker != auswahlPosition)
        QApplication::clipboard()->setText(markierterText());
}

void TZeilenText::selectAll()
{
    setAuswahl(0, zeichenAnzahl());
}

// ---------------------------------------------------------------- geometry

void TZeilenText::layoutFuer(int zeile, QTextLayout &layout) const
{
    layout.setText(texte[std::size_t(zeile)]);
    layout.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(Tabulator);
    layout.setTextOption(option);
    layout.setFormats(formate(zeile));
    layout.beginLayout();
    QTextLine l = layout.createLine();
    if (l.isValid())
        l.setLineWidth(BreiteOhneUmbruch);
    layout.endLayout();
}

int TZeilenText::zeilenBreite(int zeile) const
{
    QTextLayout layout;
    layoutFuer(zeile, layout);
    return layout.lineCount() ? int(std::ceil(layout.lineAt(0).naturalTextWidth())) : 0;
}

void TZeilenText::masseNeu()
{
    QFont fett = font();
    fett.setBold(true);
    zeilenHoehe = std::max(QFontMetrics(font()).lineSpacing(), QFontMetrics(fett).lineSpacing());
    verticalScrollBar()->setSingleStep(zeilenHoehe);
}

void TZeilenText::leistenNeu()
{
    const int hoehe = zeilenAnzahl() * zeilenHoehe + 2 * Rand;
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(0, std::max(0, hoehe - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(zeilenHoehe);
    horizontalScrollBar()->setRange(0, std::max(0, breite + 2 * Rand - viewport()->width()));
}

int TZeilenText::zeileBei(int y) const
{
    if (texte.empty())
        return -1;
    const int z = (y + verticalScrollBar()->value() - Rand) / std::max(zeilenHoehe, 1);
    return std::clamp(z, 0, zeilenAnzahl() - 1);
}

int TZeilenText::positionBei(const QPoint &p) const
{
    const int z = zeileBei(p.y());
    if (z < 0)
        return 0;
    if (p.y() + verticalScrollBar()->value() < Rand)
        return anfang(z);
    if (p.y() + verticalScrollBar()->value() >= Rand + zeilenAnzahl() * zeilenHoehe)
        return anfang(z) + int(zeile(z).size());
    QTextLayout layout;
    layoutFuer(z, layout);
    return anfang(z) + layout.lineAt(0).xToCursor(p.x() + horizontalScrollBar()->value() - Rand);
}

QRect TZeilenText::zeichenRechteck(int position) const
{
    if (texte.empty() || position < 0 || position >= zeichenAnzahl())
        return {};
    const int z = zeileVon(position);
    QTextLayout layout;
    layoutFuer(z, layout);
    const QTextLine l = layout.lineAt(0);
    const int i = position - anfang(z);
    const qreal x1 = l.cursorToX(i), x2 = i < zeile(z).size() ? l.cursorToX(i + 1) : x1 + 1;
    const int y = Rand + z * zeilenHoehe - verticalScrollBar()->value();
    const int x = Rand - horizontalScrollBar()->value();
    return QRect(x + int(x1), y, std::max(1, int(x2 - x1)), zeilenHoehe);
}

void TZeilenText::zeigen(int position)
{
    if (texte.empty())
        return;
    const int y = Rand + zeileVon(position) * zeilenHoehe;
    QScrollBar *s = verticalScrollBar();
    if (y < s->value())
        s->setValue(y - Rand);
    else if (y + zeilenHoehe > s->value() + viewport()->height())
        s->setValue(y + zeilenHoehe + Rand - viewport()->height());
}

// ---------------------------------------------------------------- painting and input

void TZeilenText::paintEvent(QPaintEvent *)
{
    if (texte.empty())
        return;
    QPainter p(viewport());
    p.setPen(palette().color(QPalette::Text));
    const int dy = verticalScrollBar()->value(), dx = horizontalScrollBar()->value();
    const int erste = zeileBei(0), letzte = zeileBei(viewport()->height());
    const int von = std::min(auswahlAnker, auswahlPosition), bis = std::max(auswahlAnker, auswahlPosition);
    QTextCharFormat markiert;
    markiert.setBackground(palette().brush(QPalette::Highlight));
    markiert.setForeground(palette().brush(QPalette::HighlightedText));
    int breiteste = breite;
    QTextLayout layout;
    for (int z = erste; z <= letzte; ++z) {
        layoutFuer(z, layout);
        QList<QTextLayout::FormatRange> auswahl;
        const int a = anfang(z);
        if (von < bis && von <= a + zeile(z).size() && bis > a)
            auswahl.append(
                {std::max(von - a, 0), std::min(bis - a, int(zeile(z).size())) - std::max(von - a, 0), markiert});
        layout.draw(&p, QPointF(Rand - dx, Rand + z * zeilenHoehe - dy), auswahl);
        breiteste = std::max(breiteste, int(std::ceil(layout.lineAt(0).naturalTextWidth())));
    }
    if (breiteste > breite) {
        breite = breiteste;
        leistenNeu();
    }
}

void TZeilenText::resizeEvent(QResizeEvent *e)
{
    QAbstractScrollArea::resizeEvent(e);
    leistenNeu();
}

void TZeilenText::changeEvent(QEvent *e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        masseNeu();
        if (!texte.empty()) {
            breite = 0;
            setZeilen(std::move(texte), std::move(formatGeber));
        }
    }
}

void TZeilenText::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    const int p = positionBei(e->position().toPoint());
    setAuswahl(e->modifiers() & Qt::ShiftModifier ? auswahlAnker : p, p);
    ziehen = true;
}

void TZeilenText::mouseMoveEvent(QMouseEvent *e)
{
    if (!ziehen || !(e->buttons() & Qt::LeftButton))
        return;
    // Dragging past the edge scrolls on, one line per movement.
    const QPoint punkt = e->position().toPoint();
    if (punkt.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (punkt.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    setAuswahl(auswahlAnker, positionBei(punkt));
}

void TZeilenText::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && ziehen) {
        ziehen = false;
        QClipboard *c = QApplication::clipboard();
        if (auswahlAnker != auswahlPosition && c->supportsSelection())
            c->setText(markierterText(), QClipboard::Selection);
    }
}

void TZeilenText::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || texte.empty())
        return;
    const int p = positionBei(e->position().toPoint());
    const int z = zeileVon(p);
    int von, bis;
    wort(zeile(z), p - anfang(z), von, bis);
    setAuswahl(anfang(z) + von, anfang(z) + bis);
}

void TZeilenText::contextMenuEvent(QContextMenuEvent *e)
{
    QMenu menue(this);
    menue.addAction(kopieren);
    menue.addAction(alles);
    menue.exec(e->globalPos());
}
