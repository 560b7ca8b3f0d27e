#include "TTabControl.h"

#include "toolkit/Klartext.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLayout>
#include <QPointer>
#include <QStyleOption>
#include <QStylePainter>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Captions wider than this are cut with an ellipsis; the tooltip shows them whole.
constexpr int maxTextWidth = 200;

// The tab shows its caption on one line: a line break in a name would make
// the tab grow tall, so breaks and tab characters read as blanks there.
QString oneLine(const QString &caption)
{
    QString s = caption;
    for (QChar &c : s)
        if (c == u'\n' || c == u'\r' || c == u'\t')
            c = u' ';
    return s;
}

// The style option of the frame around the page, shared by the layout and the
// painting so both ask the style about the same geometry.
QStyleOptionTabWidgetFrame frameOption(const QWidget *control, const QRect &rect, int stripHeight)
{
    QStyleOptionTabWidgetFrame opt;
    opt.initFrom(control);
    opt.rect = rect;
    opt.lineWidth = control->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, control);
    opt.shape = QTabBar::RoundedNorth;
    opt.tabBarSize = QSize(rect.width(), stripHeight);
    return opt;
}

// Places the strip on top and the page inside the frame below it, where the
// style puts them in a tab widget. The strip overlaps the frame's top edge,
// which no box layout can express. Size hints come from the page's own layout.
class TabLayout : public QLayout {
public:
    TabLayout(QWidget *control, QWidget *s, QWidget *p) : QLayout(control), strip(s), page(p)
    {
        setContentsMargins(0, 0, 0, 0);
        addWidget(strip);
        addWidget(page);
    }
    ~TabLayout() override { qDeleteAll(items); }

    void addItem(QLayoutItem *item) override { items.append(item); }
    int count() const override { return int(items.size()); }
    QLayoutItem *itemAt(int i) const override { return items.value(i); }
    QLayoutItem *takeAt(int i) override { return i >= 0 && i < items.size() ? items.takeAt(i) : nullptr; }

    QSize sizeHint() const override { return hint(false); }
    QSize minimumSize() const override { return hint(true); }

    void setGeometry(const QRect &r) override
    {
        QLayout::setGeometry(r);
        QWidget *control = parentWidget();
        if (!control || !strip || !page)
            return;
        const QStyleOptionTabWidgetFrame opt = frameOption(control, r, strip->sizeHint().height());
        strip->setGeometry(control->style()->subElementRect(QStyle::SE_TabWidgetTabBar, &opt, control));
        page->setGeometry(control->style()->subElementRect(QStyle::SE_TabWidgetTabContents, &opt, control));
    }

private:
    QSize hint(bool minimum) const
    {
        QWidget *control = parentWidget();
        if (!control || !strip || !page)
            return {};
        const QSize t = minimum ? strip->minimumSizeHint() : strip->sizeHint();
        QSize s = minimum ? page->minimumSizeHint() : page->sizeHint();
        s = s.expandedTo(page->minimumSize()).expandedTo(QSize(0, 0));
        const QSize both(std::max(s.width(), t.width()), s.height() + t.height());
        const QStyleOptionTabWidgetFrame opt = frameOption(control, control->rect(), t.height());
        return control->style()->sizeFromContents(QStyle::CT_TabWidget, &opt, both, control);
    }

    QList<QLayoutItem *> items;
    QPointer<QWidget> strip, page;
};

} // namespace

// The strip keeps only the captions and a width per tab, measured when a tab
// first comes into view. The scroll position is the index of the first tab
// shown, so laying out and painting walk one screen of tabs, never all of them.
// Changes only mark the layout stale and post one layout request; however
// many tabs a batch adds, the strip is laid out once afterwards.
class TTabControl::Strip : public QWidget {
public:
    explicit Strip(TTabControl *owner);

    int count() const { return int(captions.size()); }
    bool valid(int index) const { return index >= 0 && index < count(); }

    void insert(int index, const QString &caption);
    void setAll(const QStringList &list);
    void setTexts(const QStringList &list);
    void setText(int index, const QString &caption);
    void remove(int index);

    // Selects from the program: no signal, the tab is scrolled into view.
    void select(int index);
    // Selects for the user: as select(), and tells the owner when the tab changed.
    void userSelect(int index);

    QRect tabRect(int index) const;
    int tabAt(const QPoint &pos) const;

    QStringList captions;
    int current = -1;

protected:
    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

public:
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    class TabAccessible;
    class Accessible;
    static QAccessibleInterface *accessibleFactory(const QString &key, QObject *object);

    void relayoutLater();
    void ensureMetrics() const;
    void ensureLayout() const;
    int tabWidth(int index) const;
    void scrollBy(int step);
    void setHover(int index);
    void currentChanged();
    void initTabOption(QStyleOptionTab *opt, int index, const QRect &rect) const;

    TTabControl *owner;
    QToolButton *leftArrow = nullptr; // both null until the constructor has made them
    QToolButton *rightArrow = nullptr;
    int hover = -1;
    int wheelRest = 0;
    bool layoutPosted = false;

    // Layout state, brought up to date by ensureLayout() on demand.
    mutable std::vector<int> widths; // whole tab width per tab, 0 = not measured yet
    mutable int first = 0;           // first tab shown (the scroll position)
    mutable int last = -1;           // last tab shown, maybe cut off by the arrows
    mutable int area = 0;            // width for tabs, left of the arrows
    mutable bool dirty = true;
    mutable bool revealCurrent = false;
    mutable bool metricsValid = false;
    mutable int tabHeight = 0;
    mutable int padding = 0; // tab width beyond its text
};

// ---------------------------------------------------------------- accessibility

// One tab as screen readers see it. Tabs have no widget of their own, so the
// interface refers to its tab by index, as Qt's tab bar does.
class TTabControl::Strip::TabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TabAccessible(Strip *s, int i) : strip(s), index(i) {}
    int tabIndex() const { return index; }

    bool isValid() const override { return strip && strip->valid(index); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return strip ? strip->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(strip); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    void setText(QAccessible::Text, const QString &) override {}

    // The name, and where the tab stands among all of them ("3 von 13").
    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        if (t == QAccessible::Name)
            return strip->captions.at(index);
        if (t == QAccessible::Description)
            return QStringLiteral("%1 von %2").arg(index + 1).arg(strip->count());
        return {};
    }
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = strip->tabRect(index).intersected(strip->rect());
        return r.isEmpty() ? QRect() : QRect(strip->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        s.selected = index == strip->current;
        s.focused = s.selected && strip->hasFocus();
        s.offscreen = rect().isEmpty(); // scrolled out of view: still listed, reached by selecting it
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && isValid())
            strip->userSelect(index);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<Strip> strip;
    int index;
};

// The strip as a page tab list whose children are all its tabs, on screen or
// scrolled out of view, followed by the scroll arrows. A tab's interface is made
// only when a screen reader asks for it, and counting them lays out nothing.
class TTabControl::Strip::Accessible : public QAccessibleWidget {
public:
    explicit Accessible(Strip *strip) : QAccessibleWidget(strip, QAccessible::PageTabList) {}
    ~Accessible() override
    {
        for (QAccessible::Id id : std::as_const(tabs))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return strip()->count() + QAccessibleWidget::childCount(); }

    QAccessibleInterface *child(int index) const override
    {
        const int n = strip()->count();
        if (index < 0)
            return nullptr;
        if (index >= n)
            return QAccessibleWidget::child(index - n);
        if (QAccessible::Id id = tabs.value(index))
            return QAccessible::accessibleInterface(id);
        auto *tab = new TabAccessible(strip(), index);
        tabs.insert(index, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (const auto *tab = dynamic_cast<const TabAccessible *>(child))
            return tab->isValid() && QAccessible::accessibleInterface(tabs.value(tab->tabIndex())) == child
                       ? tab->tabIndex()
                       : -1;
        const int i = QAccessibleWidget::indexOfChild(child);
        return i < 0 ? -1 : i + strip()->count();
    }

private:
    Strip *strip() const { return static_cast<Strip *>(widget()); }

    mutable QHash<int, QAccessible::Id> tabs; // by tab index
};

QAccessibleInterface *TTabControl::Strip::accessibleFactory(const QString &key, QObject *object)
{
    // The strip has no meta object of its own, so it asks under QWidget's name.
    if (key == QLatin1String("QWidget"))
        if (auto *strip = dynamic_cast<Strip *>(object))
            return new Accessible(strip);
    return nullptr;
}

// ---------------------------------------------------------------- strip

TTabControl::Strip::Strip(TTabControl *o) : QWidget(o), owner(o)
{
    static const bool factoryInstalled = (QAccessible::installFactory(&Strip::accessibleFactory), true);
    Q_UNUSED(factoryInstalled);

    setObjectName(QStringLiteral("TabControl1Strip"));
    setAccessibleName(QStringLiteral("Schlangen"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto arrow = [this](Qt::ArrowType type, const char *name, const QString &text, int step) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setArrowType(type);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAccessibleName(text);
        b->hide();
        connect(b, &QToolButton::clicked, this, [this, step] { scrollBy(step); });
        return b;
    };
    leftArrow = arrow(Qt::LeftArrow, "ScrollLeftButton", QStringLiteral("Reiter nach links blättern"), -1);
    rightArrow = arrow(Qt::RightArrow, "ScrollRightButton", QStringLiteral("Reiter nach rechts blättern"), 1);
}

void TTabControl::Strip::insert(int index, const QString &caption)
{
    index = qBound(0, index, count());
    captions.insert(index, caption);
    widths.insert(widths.begin() + index, 0);
    hover = -1;
    if (index < first)
        ++first; // keep the same tabs in view
    if (current < 0) {
        select(0);
        return;
    }
    if (index <= current)
        ++current; // the same tab, one place on
    relayoutLater();
}

void TTabControl::Strip::setAll(const QStringList &list)
{
    captions = list;
    widths.assign(size_t(list.size()), 0);
    first = 0;
    hover = -1;
    current = -2; // differs from any index, so select() treats it as a change
    select(list.isEmpty() ? -1 : 0);
}

void TTabControl::Strip::setTexts(const QStringList &list)
{
    if (list.size() != captions.size())
        return;
    captions = list;
    std::fill(widths.begin(), widths.end(), 0);
    if (valid(current))
        setAccessibleDescription(captions.at(current));
    relayoutLater();
    update();
}

void TTabControl::Strip::setText(int index, const QString &caption)
{
    // Every edit of a snake stores its name again; an unchanged caption needs no new layout.
    if (!valid(index) || captions.at(index) == caption)
        return;
    captions[index] = caption;
    widths[size_t(index)] = 0;
    if (index == current)
        setAccessibleDescription(caption);
    relayoutLater();
}

// Like QTabBar: removing the current tab selects the one that moves into its
// place, or the new last tab; removing one before it keeps the same tab selected.
void TTabControl::Strip::remove(int index)
{
    if (!valid(index))
        return;
    captions.removeAt(index);
    widths.erase(widths.begin() + index);
    hover = -1;
    if (index < first)
        --first; // keep the same tabs in view

    int next = current;
    if (captions.isEmpty())
        next = -1;
    else if (index < current || (index == current && index == count()))
        next = current - 1;
    if (index == current)
        current = -2; // another tab sits at this index now: describe it afresh
    select(next);
}

void TTabControl::Strip::select(int index)
{
    if (index < -1 || index >= count())
        return;
    const bool changed = index != current;
    current = index;
    revealCurrent = true;
    relayoutLater();
    if (changed)
        currentChanged();
}

void TTabControl::Strip::userSelect(int index)
{
    if (!valid(index))
        return;
    const bool changed = index != current;
    select(index);
    if (changed)
        emit owner->currentChanged(index);
}

void TTabControl::Strip::currentChanged()
{
    setAccessibleDescription(valid(current) ? captions.at(current) : QString());
    if (!QAccessible::isActive() || current < 0)
        return;
    QAccessibleEvent selection(this, QAccessible::Selection);
    selection.setChild(current);
    QAccessible::updateAccessibility(&selection);
    if (hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(current);
        QAccessible::updateAccessibility(&focus);
    }
}

void TTabControl::Strip::relayoutLater()
{
    dirty = true;
    if (!layoutPosted) {
        layoutPosted = true;
        QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest));
    }
}

void TTabControl::Strip::ensureMetrics() const
{
    if (metricsValid)
        return;
    metricsValid = true;
    QStyleOptionTab opt;
    opt.initFrom(this);
    opt.shape = QTabBar::RoundedNorth;
    opt.features = QStyleOptionTab::HasFrame;
    const int hspace = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &opt, this);
    const int vspace = style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &opt, this);
    const QSize size =
        style()->sizeFromContents(QStyle::CT_TabBarTab, &opt, QSize(hspace, fontMetrics().height() + vspace), this);
    padding = std::max(size.width(), 1);
    tabHeight = size.height();
    std::fill(widths.begin(), widths.end(), 0);
    dirty = true;
}

int TTabControl::Strip::tabWidth(int index) const
{
    int &w = widths[size_t(index)];
    if (w == 0) {
        // Rounded up: the style elides a text that misses its rectangle by a fraction of a pixel.
        const qreal text = QFontMetricsF(font()).horizontalAdvance(oneLine(captions.at(index)));
        w = std::min(int(std::ceil(text)), maxTextWidth) + padding;
    }
    return w;
}

// Decides whether the arrows are needed and which tabs are on screen. Each
// step walks at most about one screen of tabs.
void TTabControl::Strip::ensureLayout() const
{
    ensureMetrics();
    // A screen reader may ask for the tabs while the strip is still being built.
    if (!dirty || !rightArrow)
        return;
    dirty = false;
    const int n = count();
    const int full = width();
    first = std::clamp(first, 0, std::max(n - 1, 0));

    // The width of tabs from..n-1 when they fit into `room`, else -1.
    auto tailWidth = [&](int from, int room) {
        int used = 0;
        for (int i = from; i < n; ++i)
            if ((used += tabWidth(i)) > room)
                return -1;
        return used;
    };

    bool arrows = !(first == 0 && tailWidth(0, full) >= 0);
    area = full;
    QRect leftRect, rightRect;
    if (arrows) {
        QStyleOption opt;
        opt.initFrom(this);
        leftRect = style()->subElementRect(QStyle::SE_TabBarScrollLeftButton, &opt, this);
        rightRect = style()->subElementRect(QStyle::SE_TabBarScrollRightButton, &opt, this);
        const int buttonWidth = style()->pixelMetric(QStyle::PM_TabBarScrollButtonWidth, &opt, this);
        leftRect.setWidth(buttonWidth);
        rightRect.setLeft(rightRect.right() + 1 - buttonWidth);
        area = std::max(0, std::min(leftRect.left(), rightRect.left()));

        if (revealCurrent && valid(current)) {
            if (current < first) {
                first = current;
            } else {
                // The leftmost first tab from which the current one still fits.
                int start = current;
                int used = tabWidth(current);
                while (start > first && used + tabWidth(start - 1) <= area)
                    used += tabWidth(--start);
                first = start;
            }
        }
        // After removals or a wider strip, do not leave room empty at the end.
        int used = tailWidth(first, area);
        if (used >= 0) {
            while (first > 0 && used + tabWidth(first - 1) <= area)
                used += tabWidth(--first);
            if (first == 0 && tailWidth(0, full) >= 0) {
                arrows = false;
                area = full;
            }
        }
    }
    revealCurrent = false;

    int x = 0;
    last = first - 1;
    for (int i = first; i < n && x < area; ++i) {
        x += tabWidth(i);
        last = i;
    }

    if (arrows) {
        leftArrow->setGeometry(leftRect);
        rightArrow->setGeometry(rightRect);
        leftArrow->setEnabled(first > 0);
        rightArrow->setEnabled(x > area || last < n - 1);
    }
    leftArrow->setVisible(arrows);
    rightArrow->setVisible(arrows);
}

QRect TTabControl::Strip::tabRect(int index) const
{
    if (!valid(index))
        return {};
    ensureLayout();
    int x = 0;
    for (int i = first; i < index; ++i)
        x += tabWidth(i);
    for (int i = index; i < first; ++i)
        x -= tabWidth(i);
    return QRect(x, 0, tabWidth(index), height());
}

int TTabControl::Strip::tabAt(const QPoint &pos) const
{
    ensureLayout();
    if (pos.y() < 0 || pos.y() >= height() || pos.x() < 0 || pos.x() >= area)
        return -1;
    int x = 0;
    for (int i = first; i <= last; ++i) {
        x += tabWidth(i);
        if (pos.x() < x)
            return i;
    }
    return -1;
}

void TTabControl::Strip::scrollBy(int step)
{
    ensureLayout();
    if ((step < 0 && leftArrow->isEnabled()) || (step > 0 && rightArrow->isEnabled())) {
        first += step;
        dirty = true;
        ensureLayout();
        update();
    }
}

QSize TTabControl::Strip::sizeHint() const
{
    ensureMetrics();
    const int arrows = 2 * style()->pixelMetric(QStyle::PM_TabBarScrollButtonWidth, nullptr, this);
    return {arrows + maxTextWidth + padding, tabHeight};
}

QSize TTabControl::Strip::minimumSizeHint() const
{
    ensureMetrics();
    return {2 * style()->pixelMetric(QStyle::PM_TabBarScrollButtonWidth, nullptr, this) + padding, tabHeight};
}

void TTabControl::Strip::initTabOption(QStyleOptionTab *opt, int index, const QRect &rect) const
{
    opt->initFrom(this);
    opt->state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    opt->rect = rect;
    opt->shape = QTabBar::RoundedNorth;
    opt->row = 0;
    opt->documentMode = false;
    opt->features = QStyleOptionTab::HasFrame;
    opt->tabIndex = index;
    if (index == current) {
        opt->state |= QStyle::State_Selected;
        if (hasFocus())
            opt->state |= QStyle::State_HasFocus;
    }
    if (isActiveWindow())
        opt->state |= QStyle::State_Active;
    if (index == hover)
        opt->state |= QStyle::State_MouseOver;

    const int n = count();
    if (n == 1)
        opt->position = QStyleOptionTab::OnlyOneTab;
    else if (index == 0)
        opt->position = QStyleOptionTab::Beginning;
    else if (index == n - 1)
        opt->position = QStyleOptionTab::End;
    else
        opt->position = QStyleOptionTab::Middle;
    if (current >= 0 && index == current + 1)
        opt->selectedPosition = QStyleOptionTab::PreviousIsSelected;
    else if (index + 1 == current)
        opt->selectedPosition = QStyleOptionTab::NextIsSelected;
    else
        opt->selectedPosition = QStyleOptionTab::NotAdjacent;

    // Plain text: the style reads "&" as a mnemonic marker, so it is doubled.
    QString text = oneLine(captions.at(index));
    text.replace(u'&', QLatin1String("&&"));
    opt->text = text;
    const QRect textRect = style()->subElementRect(QStyle::SE_TabBarTabText, opt, this);
    opt->text = fontMetrics().elidedText(text, Qt::ElideRight, textRect.width(), Qt::TextShowMnemonic);
}

void TTabControl::Strip::paintEvent(QPaintEvent *)
{
    ensureLayout();
    QStylePainter p(this);

    QStyleOptionTab shapeOpt;
    shapeOpt.shape = QTabBar::RoundedNorth;
    const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, &shapeOpt, this);
    if (overlap > 0) {
        QStyleOptionTabBarBase base;
        base.initFrom(this);
        base.shape = QTabBar::RoundedNorth;
        base.documentMode = false;
        base.rect = QRect(0, height() - overlap, width(), overlap);
        base.tabBarRect = QRect(0, 0, area, height());
        if (current >= first && current <= last)
            base.selectedTabRect = tabRect(current);
        p.drawPrimitive(QStyle::PE_FrameTabBarBase, base);
    }

    p.setClipRect(QRect(0, 0, area, height()));
    QStyleOptionTab selected;
    int x = 0;
    for (int i = first; i <= last; ++i) {
        const QRect r(x, 0, tabWidth(i), height());
        x += r.width();
        QStyleOptionTab opt;
        initTabOption(&opt, i, r);
        if (i == current)
            selected = opt; // drawn last, so it lies on top of its neighbours
        else
            p.drawControl(QStyle::CE_TabBarTab, opt);
    }
    if (current >= first && current <= last)
        p.drawControl(QStyle::CE_TabBarTab, selected);
}

bool TTabControl::Strip::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::LayoutRequest: {
        layoutPosted = false;
        ensureLayout();
        update();
        owner->update(geometry()); // the frame edge under the strip
        return true;
    }
    case QEvent::ToolTip: {
        const auto *help = static_cast<QHelpEvent *>(e);
        const int index = tabAt(help->pos());
        if (index >= 0 && fontMetrics().horizontalAdvance(oneLine(captions.at(index))) > maxTextWidth) {
            // Escaped so that a name like "<b>Kaa</b>" shows as typed.
            QToolTip::showText(help->globalPos(), KlartextTooltip(captions.at(index)), this, tabRect(index));
        } else {
            QToolTip::hideText();
            e->ignore();
        }
        return true;
    }
    default:
        return QWidget::event(e);
    }
}

void TTabControl::Strip::resizeEvent(QResizeEvent *)
{
    revealCurrent = true;
    dirty = true;
    ensureLayout();
}

void TTabControl::Strip::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::StyleChange || e->type() == QEvent::FontChange) {
        metricsValid = false;
        revealCurrent = true;
        relayoutLater();
        updateGeometry();
    }
    QWidget::changeEvent(e);
}

void TTabControl::Strip::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    const int index = tabAt(e->position().toPoint());
    if (index >= 0)
        userSelect(index);
}

void TTabControl::Strip::setHover(int index)
{
    if (index == hover)
        return;
    if (valid(hover))
        update(tabRect(hover));
    hover = index;
    if (valid(hover))
        update(tabRect(hover));
}

void TTabControl::Strip::mouseMoveEvent(QMouseEvent *e)
{
    setHover(tabAt(e->position().toPoint()));
    QWidget::mouseMoveEvent(e);
}

void TTabControl::Strip::leaveEvent(QEvent *e)
{
    setHover(-1);
    QWidget::leaveEvent(e);
}

// The wheel moves the selection one tab per notch, as over a QTabBar.
void TTabControl::Strip::wheelEvent(QWheelEvent *e)
{
    if (captions.isEmpty()) {
        e->ignore();
        return;
    }
    const QPoint d = e->angleDelta();
    wheelRest += std::abs(d.y()) >= std::abs(d.x()) ? d.y() : d.x();
    const int steps = wheelRest / QWheelEvent::DefaultDeltasPerStep;
    wheelRest -= steps * QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0)
        userSelect(std::clamp(current - steps, 0, count() - 1));
    e->accept();
}

void TTabControl::Strip::keyPressEvent(QKeyEvent *e)
{
    if (captions.isEmpty() || (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        e->ignore(); // Ctrl+Tab and friends are handled by the whole control
        return;
    }
    switch (e->key()) {
    case Qt::Key_Left:
        userSelect(std::max(current - 1, 0));
        break;
    case Qt::Key_Right:
        userSelect(std::min(current + 1, count() - 1));
        break;
    case Qt::Key_Home:
        userSelect(0);
        break;
    case Qt::Key_End:
        userSelect(count() - 1);
        break;
    default:
        e->ignore();
    }
}

// ---------------------------------------------------------------- control

TTabControl::TTabControl(QWidget *parent) : QWidget(parent)
{
    strip = new Strip(this);
    pane = new QFrame(this);
    pane->setFrameShape(QFrame::NoFrame);
    new TabLayout(this, strip, pane);
    strip->raise();
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusProxy(strip);
}

int TTabControl::count() const
{
    return strip->count();
}

QString TTabControl::tabText(int index) const
{
    return strip->valid(index) ? strip->captions.at(index) : QString();
}

void TTabControl::setTabText(int index, const QString &caption)
{
    strip->setText(index, caption);
}

void TTabControl::addTab(const QString &caption)
{
    strip->insert(count(), caption);
}

void TTabControl::insertTab(int index, const QString &caption)
{
    strip->insert(index, caption);
}

// A new set of tabs starts at the first one, scrolled to the start.
void TTabControl::setTabs(const QStringList &captions)
{
    strip->setAll(captions);
}

void TTabControl::setTabTexts(const QStringList &captions)
{
    strip->setTexts(captions);
}

void TTabControl::removeTab(int index)
{
    strip->remove(index);
}

void TTabControl::clear()
{
    strip->setAll({});
}

int TTabControl::currentIndex() const
{
    return strip->current;
}

void TTabControl::setCurrentIndex(int index)
{
    if (strip->valid(index))
        strip->select(index);
}

QWidget *TTabControl::contentArea() const
{
    return pane;
}

QRect TTabControl::tabRect(int index) const
{
    return strip->tabRect(index).translated(strip->pos());
}

void TTabControl::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    QStyleOptionTabWidgetFrame opt = frameOption(this, rect(), strip->sizeHint().height());
    opt.rect = style()->subElementRect(QStyle::SE_TabWidgetTabPane, &opt, this);
    opt.tabBarRect = strip->geometry();
    opt.selectedTabRect = tabRect(currentIndex()).intersected(strip->geometry());
    p.drawPrimitive(QStyle::PE_FrameTabWidget, opt);
}

// Ctrl+Tab and Ctrl+Shift+Tab (and Ctrl+PageDown/PageUp) move to the next or
// previous tab from anywhere in the control, wrapping around like QTabWidget.
void TTabControl::keyPressEvent(QKeyEvent *e)
{
    const int n = count();
    int step = 0;
    if (e->modifiers() & Qt::ControlModifier) {
        if (e->key() == Qt::Key_Backtab || (e->key() == Qt::Key_Tab && (e->modifiers() & Qt::ShiftModifier)) ||
            e->key() == Qt::Key_PageUp)
            step = -1;
        else if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_PageDown)
            step = 1;
    }
    if (step == 0 || n == 0) {
        QWidget::keyPressEvent(e);
        return;
    }
    strip->userSelect((currentIndex() + step + n) % n);
}
